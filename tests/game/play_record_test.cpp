// SPDX-License-Identifier: MIT
// The play record: the reading rules, the writing, and what the window does when either fails.
#include "game/play_record.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "game/game_variables.h"
#include "game/io_error.h"
#include "game/text_reader.h"
#include "game_fixture.h"
#include "tests/fifo_guard.h"

namespace brandel::testing {
namespace {

struct ReadCase {
  const char* what;
  std::string contents;
  std::string text;
  std::int32_t playCount, experience, value4, value5;
};

class RecordReading : public GameTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(RecordReading, ReadsTheFiveValues) {
  const ReadCase& c = GetParam();
  WriteRecord(c.contents);
  GameVariables v;
  ReadPlayRecord(RecordPath(), v);
  EXPECT_EQ(v.RecordText, c.text);
  EXPECT_EQ(v.PlayCount, c.playCount);
  EXPECT_EQ(v.Experience, c.experience);
  EXPECT_EQ(v.RecordValue4, c.value4);
  EXPECT_EQ(v.RecordValue5, c.value5);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RecordReading,
    ::testing::Values(
        ReadCase{"plain", "x\r\n4\r\n50\r\n7\r\n9\r\n", "x", 4, 50, 7, 9},
        ReadCase{"blanks around numbers, text behind them",
                 "t\r\n  12 abc\r\n\t+7\t\r\n-3  \r\n 0\r\n", "t", 12, 7, -3, 0},
        ReadCase{"hex", "h\r\n$1F\r\n$7fffffff\r\n-$10\r\n+$0\r\n", "h", 31, 2147483647, -16, 0},
        ReadCase{"range ends", "r\r\n2147483647\r\n-2147483648\r\n0\r\n-0\r\n", "r", 2147483647,
                 -2147483648, 0, 0},
        ReadCase{"CR alone ends a line", "c\r1\r2\r3\r4\r", "c", 1, 2, 3, 4},
        ReadCase{"LF alone ends nothing", "a\n1\n2\n3\n4\n", "a\n1\n2\n3\n4\n", 0, 0, 0, 0},
        ReadCase{"fewer lines", "f\r\n3\r\n", "f", 3, 0, 0, 0},
        ReadCase{"empty file", "", "", 0, 0, 0, 0},
        ReadCase{"no line end at the end", "e\r\n5", "e", 5, 0, 0, 0},
        ReadCase{"number search crosses empty lines", "s\r\n\r\n\r\n8\r\n9\r\n", "s", 8, 9, 0, 0},
        ReadCase{"Ctrl-Z ends the file", std::string("z\r\n3\r\n\x1a") + "5\r\n6\r\n", "z", 3, 0, 0,
                 0},
        ReadCase{"Ctrl-Z inside the text", std::string("ab\x1a") + "cd\r\n1\r\n", "ab", 0, 0, 0, 0},
        ReadCase{"a number takes at most 32 characters",
                 "n\r\n" + std::string(32, '0') + "7\r\n" + std::string(31, '0') + "7\r\n", "n", 0,
                 7, 0, 0},
        ReadCase{"text line kept as raw bytes", "\x82\xa0\x83\x41 \x1b\x7f\r\n1\r\n",
                 "\x82\xa0\x83\x41 \x1b\x7f", 1, 0, 0, 0}),
    [](const ::testing::TestParamInfo<ReadCase>& param) {
      return "Case" + std::to_string(param.index);
    });

struct BadNumber {
  std::string line;
};

class RecordBadNumber : public GameTest, public ::testing::WithParamInterface<BadNumber> {};

TEST_P(RecordBadNumber, FailsWith106AndKeepsWhatWasRead) {
  WriteRecord("k\r\n6\r\n" + GetParam().line + "\r\n7\r\n8\r\n");
  GameVariables v;
  v.Experience = 99;
  v.RecordValue4 = 44;
  try {
    ReadPlayRecord(RecordPath(), v);
    FAIL() << "no error for " << GetParam().line;
  } catch (const InOutError& error) {
    EXPECT_EQ(error.Code(), 106);
    EXPECT_STREQ(error.what(), "入力値が数値ではありません");
  }
  EXPECT_EQ(v.RecordText, "k");
  EXPECT_EQ(v.PlayCount, 6);
  EXPECT_EQ(v.Experience, 0);     // the failing line
  EXPECT_EQ(v.RecordValue4, 44);  // never reached
}

INSTANTIATE_TEST_SUITE_P(Rules, RecordBadNumber,
                         ::testing::Values(BadNumber{"12abc"}, BadNumber{"abc"}, BadNumber{"$"},
                                           BadNumber{"+"}, BadNumber{"-"}, BadNumber{"$G1"},
                                           BadNumber{"2147483648"}, BadNumber{"-2147483649"},
                                           BadNumber{"$80000000"}, BadNumber{"1.5"},
                                           BadNumber{"+-1"}, BadNumber{"99999999999999999999"}));

TEST(RecordNumbers, ParseIntegerEdges) {
  EXPECT_EQ(ParseInteger("0"), 0);
  EXPECT_EQ(ParseInteger("-$80000000"), -2147483648);
  EXPECT_EQ(ParseInteger("$aBc"), 0xABC);
  EXPECT_EQ(ParseInteger("007"), 7);
  EXPECT_EQ(ParseInteger("$-1"), std::nullopt);
  EXPECT_EQ(ParseInteger("1 "), std::nullopt);
}

TEST_F(GameTest, MissingOrUnopenableRecordFailsWith103) {
  GameVariables v;
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      ReadPlayRecord(RecordPath(), v);
      FAIL() << "no error";
    } catch (const InOutError& error) {
      EXPECT_EQ(error.Code(), 103);
      EXPECT_STREQ(error.what(), "I/O ｴﾗｰ (103)");
    }
    QDir(folder_.path()).mkdir("my.dat");  // a folder where the record should be
  }
}

TEST_F(GameTest, WritesFiveCrLfLinesAndNothingElse) {
  GameVariables v;
  v.RecordText = "\x82\xa0 raw";
  v.PlayCount = -2;
  v.Experience = 0;
  v.RecordValue4 = 2147483647;
  v.RecordValue5 = -2147483648;
  WritePlayRecord(RecordPath(), v);
  EXPECT_EQ(Record(), "\x82\xa0 raw\r\n-2\r\n0\r\n2147483647\r\n-2147483648\r\n");
  EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files).size(), 1)
      << "a temporary file was left behind";

  GameVariables back;
  ReadPlayRecord(RecordPath(), back);
  EXPECT_EQ(back.RecordText, v.RecordText);
  EXPECT_EQ(back.RecordValue5, v.RecordValue5);
}

TEST_F(GameTest, RewriteKeepsTheRecordsModeAndLink) {
  WriteRecord("old\r\n");
  ASSERT_EQ(::chmod(RecordPath().c_str(), 0640), 0);
  GameVariables v;
  v.PlayCount = 3;
  WritePlayRecord(RecordPath(), v);
  struct stat info {};
  ASSERT_EQ(::stat(RecordPath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  const std::string real = Folder() + "real.dat";
  std::filesystem::rename(RecordPath(), real);
  std::filesystem::create_symlink(real, RecordPath());
  v.PlayCount = 4;
  WritePlayRecord(RecordPath(), v);
  EXPECT_TRUE(std::filesystem::is_symlink(RecordPath()));
  EXPECT_EQ(ReadFile(real), "\r\n4\r\n0\r\n0\r\n0\r\n");
}

TEST_F(GameTest, UnwritableRecordFailsWith103AndLeavesTheOldOne) {
  GameVariables v;
  v.PlayCount = 1;
  // A folder in the record's place.
  QDir(folder_.path()).mkdir("my.dat");
  try {
    WritePlayRecord(RecordPath(), v);
    FAIL() << "no error";
  } catch (const InOutError& error) {
    EXPECT_STREQ(error.what(), "I/O ｴﾗｰ (103)");
  }
  EXPECT_TRUE(std::filesystem::is_directory(RecordPath()));
  // A folder that is gone.
  EXPECT_THROW(WritePlayRecord(Folder() + "gone/my.dat", v), InOutError);
  EXPECT_FALSE(std::filesystem::exists(Folder() + "gone"));
}

TEST_F(GameTest, FailedWriteLeavesTheOldRecordWholeAndNoTemporaryFile) {
  WriteRecord("old\r\n7\r\n50\r\n0\r\n0\r\n");
  GameVariables v;
  v.RecordText = std::string(64, 'n');
  // A file size limit makes the write fail part-way, as a full disk would.
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  int code = 0;
  try {
    WritePlayRecord(RecordPath(), v);
  } catch (const InOutError& error) {
    code = error.Code();
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(code, 101);
  EXPECT_EQ(Record(), "old\r\n7\r\n50\r\n0\r\n0\r\n");
  EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files), QStringList{"my.dat"});
}

TEST_F(GameTest, StaleTemporaryFileIsReplacedAndNeverFollowed) {
  const std::string temporary = RecordPath() + ".tmp";
  const std::string victim = Folder() + "victim";
  WriteFile(victim, "victim");
  GameVariables v;
  for (const std::string kind : {"file", "link", "fifo"}) {
    SCOPED_TRACE(kind);
    if (kind == "file") WriteFile(temporary, "left by a killed save");
    if (kind == "link") std::filesystem::create_symlink(victim, temporary);
    if (kind == "fifo") {
      ASSERT_EQ(::mkfifo(temporary.c_str(), 0644), 0);
    }
    v.PlayCount += 1;
    WritePlayRecord(RecordPath(), v);
    EXPECT_EQ(Record(), "\r\n" + std::to_string(v.PlayCount) + "\r\n0\r\n0\r\n0\r\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temporary)));
    EXPECT_EQ(ReadFile(victim), "victim");
  }
}

// Runs f as a user who may not read a file of mode 000: this one, or nobody when this is root.
bool AsUnprivilegedUser(const std::function<void()>& f) {
  if (::geteuid() != 0) {
    f();
    return true;
  }
  if (::seteuid(65534) != 0) return false;
  f();
  return ::seteuid(0) == 0;
}

TEST_F(GameTest, RecordUnreadableAtStartIsKeptAsBakByTheSave) {
  WriteAllPictures();
  const std::string old = "mine\r\n41\r\n1200\r\n7\r\n9\r\n";
  WriteRecord(old);
  WriteFile(RecordPath() + ".bak", "an older backup");
  ASSERT_EQ(::chmod(Folder().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(RecordPath().c_str(), 0), 0);
  if (!AsUnprivilegedUser([this] { Start(); })) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"I/O ｴﾗｰ (103)"});
  EXPECT_EQ(Game.PlayCount, 0);

  ASSERT_EQ(::chmod(RecordPath().c_str(), 0644), 0);  // readable again by the close
  form_->show();
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(Record(), "\r\n0\r\n0\r\n0\r\n0\r\n");
  EXPECT_EQ(ReadFile(RecordPath() + ".bak"), old);

  // A record that was read is replaced without a backup.
  std::filesystem::remove(RecordPath() + ".bak");
  Start();
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(Record(), "\r\n1\r\n0\r\n0\r\n0\r\n");
  EXPECT_FALSE(std::filesystem::exists(RecordPath() + ".bak"));
}

TEST_F(GameTest, FifoAsRecordOrWaveIsRefusedAtOnce) {
  WriteAllPictures();
  test_support::FifoGuard fifos;
  ASSERT_TRUE(fifos.Make(RecordPath()));
  ASSERT_TRUE(fifos.Make(Folder() + "1.wav"));
  Start();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"I/O ｴﾗｰ (103)"});
  form_->show();
  EXPECT_FALSE(form_->close());  // no record takes a FIFO's place
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"I/O ｴﾗｰ (103)"});
  EXPECT_FALSE(fifos.Rescued()) << "an open waited on a FIFO";
  EXPECT_FALSE(std::filesystem::exists(RecordPath() + ".bak"));
}

// A folder the player may not write with a record that may be written (a shared install, a
// folder made read-only): no temporary file can be made beside the record, so it is rewritten
// in place. Locked for this user (EACCES, a stale temporary file that cannot be removed), or
// for everybody (EPERM).
TEST_F(GameTest, LockedFolderWithAWritableRecordIsRewrittenInPlace) {
  WriteRecord("locked\r\n1\r\n0\r\n0\r\n0\r\n");
  WriteFile(RecordPath() + ".tmp", "left by a killed save");
  ASSERT_EQ(::chmod(Folder().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(RecordPath().c_str(), 0666), 0);
  GameVariables v;
  v.RecordText = "locked";
  v.PlayCount = 2;
  std::optional<int> code;
  const bool ran = AsUnprivilegedUser([&] {
    try {
      WritePlayRecord(RecordPath(), v);
      code = 0;
    } catch (const InOutError& error) {
      code = error.Code();
    }
  });
  if (!ran) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Record(), "locked\r\n2\r\n0\r\n0\r\n0\r\n");
  EXPECT_EQ(ReadFile(RecordPath() + ".tmp"), "left by a killed save");
  ::chmod(Folder().c_str(), 0700);

  WriteAllPictures();
  TForm1& form = Start();
  form.show();
  if (!MakeReadOnly(folder_.path().toStdString())) {
    GTEST_SKIP() << "cannot make a folder read-only for this user (root without chattr +i)";
  }
  EXPECT_TRUE(form.close());
  MakeWritable(folder_.path().toStdString());
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_EQ(Record(), "locked\r\n3\r\n0\r\n0\r\n0\r\n");
}

// Neither the folder nor the record may be written: the close is abandoned with the error box,
// the window stays open and playable, and a later close saves.
TEST_F(GameTest, ReadOnlyFolderAndRecordKeepTheWindowOpenAndATryLaterSaves) {
  WriteAllPictures();
  WriteRecord("ro\r\n1\r\n0\r\n0\r\n0\r\n");
  TForm1& form = Start();
  form.show();
  if (!MakeReadOnly(folder_.path().toStdString())) {
    GTEST_SKIP() << "cannot make a folder read-only for this user (root without chattr +i)";
  }
  const std::string lockRecord = "chattr +i '" + RecordPath() + "' 2>/dev/null";
  const bool recordLocked = ::geteuid() == 0 ? std::system(lockRecord.c_str()) == 0
                                             : ::chmod(RecordPath().c_str(), 0444) == 0;
  const bool closed = form.close();
  if (::geteuid() == 0) {
    // Best effort: the folder is removed by root either way.
    if (std::system(("chattr -i '" + RecordPath() + "' 2>/dev/null").c_str()) != 0) {
    }
  }
  ::chmod(RecordPath().c_str(), 0644);
  MakeWritable(folder_.path().toStdString());
  ASSERT_TRUE(recordLocked);
  EXPECT_FALSE(closed);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"I/O ｴﾗｰ (103)"});
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Record(), "ro\r\n1\r\n0\r\n0\r\n0\r\n");

  form.start_b->click();  // still playable
  EXPECT_EQ(form.start_b->text().toStdString(), "opを飛ばす");
  EXPECT_TRUE(form.close());
  EXPECT_EQ(Record(), "ro\r\n2\r\n0\r\n0\r\n0\r\n");
}

TEST_F(GameTest, RecordInTheWayAtCloseKeepsTheWindowOpen) {
  WriteAllPictures();
  TForm1& form = Start();
  BoxTexts();
  form.show();
  QDir(folder_.path()).mkdir("my.dat");
  EXPECT_FALSE(form.close());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"I/O ｴﾗｰ (103)"});
  EXPECT_TRUE(form.isVisible());
  QDir(folder_.path()).rmdir("my.dat");
  EXPECT_TRUE(form.close());
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(Record(), "\r\n0\r\n0\r\n0\r\n0\r\n");
}

// Start-up with each kind of record.

TEST_F(GameTest, MissingRecordShowsError103SkipsTheCountAndIsCreatedAtClose) {
  WriteAllPictures();
  TForm1& form = Start();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"I/O ｴﾗｰ (103)"});
  EXPECT_EQ(Game.PlayCount, 0);
  EXPECT_TRUE(form.Timer1->isActive());
  form.show();
  EXPECT_TRUE(form.close());
  EXPECT_EQ(Record(), "\r\n0\r\n0\r\n0\r\n0\r\n");
}

TEST_F(GameTest, BadNumberShowsError106AndSkipsTheCount) {
  WriteAllPictures();
  WriteRecord("b\r\n4\r\nfifty\r\n7\r\n9\r\n");
  Start();
  EXPECT_EQ(BoxTexts(),
            std::vector<std::string>{"入力値が数値ではありません"});  // and no fifth-start message
  EXPECT_EQ(Game.PlayCount, 4);
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(Record(), "b\r\n4\r\n0\r\n0\r\n0\r\n");
}

TEST_F(GameTest, FifthStartIsGreetedBeforeTheWindowShows) {
  WriteAllPictures();
  WriteRecord("x\r\n4\r\n50\r\n7\r\n9\r\n");
  boxes_.WhileOpen([this](const auto&) { EXPECT_TRUE(form_ == nullptr || !form_->isVisible()); });
  Start();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"５回もこのソフトやってくれてありがとう！"});
  EXPECT_EQ(Game.PlayCount, 5);
  EXPECT_EQ(Game.Experience, 50);
  form_->show();
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(Record(), "x\r\n5\r\n50\r\n7\r\n9\r\n");
}

TEST_F(GameTest, OnlyTheFifthStartIsGreetedAndNegativeCountsCount) {
  WriteAllPictures();
  WriteRecord("x\r\n5\r\n0\r\n0\r\n0\r\n");
  Start();
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_EQ(Game.PlayCount, 6);
  form_.reset();

  WriteRecord("LF only\n-3\n");
  Start();
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(Record(), "LF only\n-3\n\r\n1\r\n0\r\n0\r\n0\r\n");

  WriteRecord("neg\r\n-3\r\n");
  Start();
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(Record(), "neg\r\n-2\r\n0\r\n0\r\n0\r\n");
}

TEST_F(GameTest, CountsAtTheLargestValueStayThere) {
  WriteAllPictures();
  WriteRecord("max\r\n2147483647\r\n2147483620\r\n0\r\n0\r\n");
  TForm1& form = Start();
  EXPECT_EQ(Game.PlayCount, 2147483647);
  Game.AttackCount = 24;  // the next attack wins a fish battle worth 50
  Game.MagicCount = 25;
  form.kougekiClick();
  EXPECT_EQ(Game.Experience, 2147483647);
  form.show();
  EXPECT_TRUE(form.close());
  EXPECT_EQ(Record(), "max\r\n2147483647\r\n2147483647\r\n0\r\n0\r\n");
}

}  // namespace
}  // namespace brandel::testing
