// SPDX-License-Identifier: MIT
// Where the game finds its assets and keeps its record: beside the program in a build tree or a
// copied folder, under share/brandel2 and the player's data folder when installed.
#include "game/game_files.h"

#include <sys/stat.h>

#include <QDir>

#include "game_fixture.h"
#include "tests/fifo_guard.h"

namespace brandel::testing {
namespace {

class GameFilesTest : public GameTest {
 protected:
  // A folder under the temporary one, created with its parents; ends in '/'.
  std::string Make(const std::string& relative) {
    EXPECT_TRUE(QDir(folder_.path()).mkpath(QString::fromStdString(relative)));
    return Folder() + relative + "/";
  }
  std::string DataHome() { return Folder() + "data"; }
  std::string DataRecord() { return DataHome() + "/brandel2/my.dat"; }
};

TEST_F(GameFilesTest, AssetsAndRecordForEachLayout) {
  // A build tree or copied folder: everything beside the program, with or without a record.
  const std::string build = Make("build/bin");
  Make("build/bin/cg");
  EXPECT_EQ(LocateGameFiles(build, DataHome()).recordPath, build + "my.dat");
  WriteFile(build + "my.dat", "\r\n3\r\n");
  GameFiles files = LocateGameFiles(build, DataHome());
  EXPECT_EQ(files.assetFolder, build);
  EXPECT_EQ(files.recordPath, build + "my.dat");

  // Installed: assets two steps away, the record in the data folder, also when bin/ is writable.
  const std::string bin = Make("usr/bin");
  Make("usr/share/brandel2/cg");
  files = LocateGameFiles(bin, DataHome());
  EXPECT_EQ(files.assetFolder, Folder() + "usr/share/brandel2/");
  EXPECT_EQ(files.recordPath, DataRecord());
  EXPECT_EQ(files.InitialRecord(), Folder() + "usr/share/brandel2/my.dat");
  EXPECT_EQ(LocateGameFiles(bin, "").recordPath, bin + "my.dat") << "no data folder known";
  WriteFile(bin + "my.dat", "");  // a record the player keeps beside the installed program
  EXPECT_EQ(LocateGameFiles(bin, DataHome()).recordPath, bin + "my.dat");

  // Without assets anywhere the boxes name the files beside the program.
  const std::string bare = Make("bare");
  EXPECT_EQ(LocateGameFiles(bare, DataHome()).assetFolder, bare);

  // A copied folder that may not be written keeps its record in the data folder.
  if (!MakeReadOnly(build)) GTEST_SKIP() << "cannot make a folder read-only for this user";
  files = LocateGameFiles(build, DataHome());
  MakeWritable(build);
  EXPECT_EQ(files.assetFolder, build);
  EXPECT_EQ(files.recordPath, DataRecord());
  EXPECT_EQ(files.InitialRecord(), build + "my.dat");
}

TEST_F(GameFilesTest, FirstStartCopiesTheInitialRecordIntoAPrivateFolderOnce) {
  const std::string shared = Make("share/brandel2");
  const GameFiles files{shared, DataRecord()};
  PrepareRecord(files);  // no initial record: the folder only, the game reports the record
  struct stat info {};
  ASSERT_EQ(::stat((DataHome() + "/brandel2").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(DataRecord())));

  {
    test_support::FifoGuard fifo;  // an initial record that is no plain file is not waited on
    ASSERT_TRUE(fifo.Make(shared + "my.dat"));
    PrepareRecord(files);
    EXPECT_FALSE(fifo.Rescued());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(DataRecord())));
  }
  WriteFile(shared + "my.dat", "\r\n0\r\n0\r\n0\r\n0\r\n");
  PrepareRecord(files);
  EXPECT_EQ(ReadFile(DataRecord()), "\r\n0\r\n0\r\n0\r\n0\r\n");
  WriteFile(DataRecord(), "mine\r\n7\r\n");
  PrepareRecord(files);
  EXPECT_EQ(ReadFile(DataRecord()), "mine\r\n7\r\n") << "a player's record was replaced";

  const std::string beside = Make("beside");
  PrepareRecord(GameFiles::InFolder(beside));
  EXPECT_EQ(QDir(QString::fromStdString(beside)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList{});
}

TEST(GameDataHome, FollowsXdgDataHomeElseTheHomeFolder) {
  const QByteArray savedData = qgetenv("XDG_DATA_HOME");
  const QByteArray savedHome = qgetenv("HOME");
  qputenv("HOME", "/home/player");
  qputenv("XDG_DATA_HOME", "/elsewhere/data");
  EXPECT_EQ(UserDataHome(), "/elsewhere/data");
  qputenv("XDG_DATA_HOME", "relative/data");  // only an absolute path counts
  EXPECT_EQ(UserDataHome(), "/home/player/.local/share");
  qunsetenv("XDG_DATA_HOME");
  EXPECT_EQ(UserDataHome(), "/home/player/.local/share");
  qputenv("HOME", savedHome);
  if (savedData.isNull()) {
    qunsetenv("XDG_DATA_HOME");
  } else {
    qputenv("XDG_DATA_HOME", savedData);
  }
}

}  // namespace
}  // namespace brandel::testing
