// SPDX-License-Identifier: MIT
// The game's sound on the virtual device: what the recording holds after each press, the
// queueing of quick presses, and a game that goes on silently when its sound files are missing.
#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/game_variables.h"
#include "game_fixture.h"

namespace brandel::testing {
namespace {

// Test waves in the mixer's own output format (8-bit mono, 11025 Hz), so they play unchanged:
// each a constant level above silence, and any overlap shows as the sum of the two levels.
constexpr int kButtonLevel = 10;  // "2.wav"
constexpr int kAttackLevel = 25;  // "1.wav"; no sum of copies of one wave looks like the other
constexpr std::size_t kButtonLength = 8000;  // longer than the mixer queues ahead: the two overlap
constexpr std::size_t kAttackLength = 3000;
// The mixer ends a request one byte before the end of its wave, and a request queued behind it
// starts there: each copy is heard one byte short.
constexpr std::size_t kButtonHeard = kButtonLength - 1;
constexpr std::size_t kAttackHeard = kAttackLength - 1;
constexpr std::uint32_t kBytesPerSecond = 11025;
constexpr std::uint32_t kListenMs = 2000;  // far longer than two copies of either wave
// What the mixer queues ahead of the device (3 blocks of 2048 bytes by default): a plain
// request starts at most that far behind the one before it.
constexpr std::size_t kQueuedBytes = 3 * 2048;

// A stream of the given runs of one level each, summed around 128 and clipped.
struct Sounding {
  std::size_t start;
  std::size_t length;
  std::vector<std::uint8_t> samples;  // empty: the constant level below
  int level = 0;
};

std::vector<std::uint8_t> Mixed(std::size_t length, const std::vector<Sounding>& runs) {
  std::vector<std::uint8_t> out(length);
  for (std::size_t i = 0; i < length; ++i) {
    int total = 128;
    for (const Sounding& run : runs) {
      if (i < run.start || i >= run.start + run.length) continue;
      total += run.samples.empty() ? run.level : run.samples[i - run.start] - 128;
    }
    out[i] = static_cast<std::uint8_t>(std::clamp(total, 0, 255));
  }
  return out;
}

// "" when equal, else where and how they first differ.
std::string Difference(const std::vector<std::uint8_t>& heard,
                       const std::vector<std::uint8_t>& expected) {
  if (heard == expected) return "";
  std::ostringstream out;
  const std::size_t n = std::min(heard.size(), expected.size());
  std::size_t i = 0;
  while (i < n && heard[i] == expected[i]) ++i;
  out << "sizes " << heard.size() << "/" << expected.size() << ", first difference at " << i;
  if (i < n) out << ": heard " << int(heard[i]) << ", expected " << int(expected[i]);
  return out.str();
}

class GameSound : public GameTest {
 protected:
  void WriteTestWaves() {
    WriteWave(Folder() + "2.wav", std::vector<std::uint8_t>(kButtonLength, 128 + kButtonLevel));
    WriteWave(Folder() + "1.wav", std::vector<std::uint8_t>(kAttackLength, 128 + kAttackLevel));
  }

  // The window on the folder, with the battle's flash sleep spent on the device's clock without
  // draining messages: the thread is blocked, only the blocks already queued play on.
  TForm1& StartGame(const std::string& record = "s\r\n1\r\n0\r\n0\r\n0\r\n") {
    WriteAllPictures();
    WriteRecord(record);
    TForm1& form = Start();
    form.SetSleep([this](int ms) { device_->Advance(static_cast<std::uint32_t>(ms), [] {}); });
    return form;
  }

  std::size_t Now() const { return Recording().size(); }
  const std::vector<std::uint8_t>& Recording() const { return device_->Recording(); }
  std::vector<std::uint8_t> Heard(std::size_t from) const {
    return {Recording().begin() + static_cast<std::ptrdiff_t>(from), Recording().end()};
  }

  // Where the attack level first sounds at or after from; npos if never.
  std::size_t AttackStart(std::size_t from) const {
    for (std::size_t i = from; i < Recording().size(); ++i) {
      const int level = Recording()[i] - 128;
      if (level == kAttackLevel || level == kAttackLevel + kButtonLevel) return i;
    }
    return std::string::npos;
  }

  // Clicks, listens, and checks the stretch from the press on: every byte is silence, one
  // test wave's level or the sum of both; each sound starts at the press and sounds
  // buttonCopies or attackCopies times, each copy whole. A copy queued on a busy channel
  // follows the one before it, at most the mixer's queued output later.
  void PressAndHear(QPushButton* button, int buttonCopies, int attackCopies) {
    SCOPED_TRACE(button->text().toStdString());
    const std::size_t press = Now();
    button->click();
    Advance(kListenMs);
    ExpectCopies(press, kButtonLevel, kButtonHeard, buttonCopies);
    ExpectCopies(press, kAttackLevel, kAttackHeard, attackCopies);
    if (attackCopies > 0) {
      EXPECT_TRUE(std::find(Recording().begin() + static_cast<std::ptrdiff_t>(press),
                            Recording().end(),
                            128 + kButtonLevel + kAttackLevel) != Recording().end())
          << "the two sounds never played together";
    }
  }

  void ExpectCopies(std::size_t press, int level, std::size_t heardLength, int copies) {
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // start, length
    for (std::size_t i = press; i < Recording().size(); ++i) {
      const int sum = Recording()[i] - 128;
      ASSERT_TRUE(sum == 0 || sum == kButtonLevel || sum == kAttackLevel ||
                  sum == kButtonLevel + kAttackLevel)
          << "byte " << i - press << " after the press is " << sum + 128;
      const bool on = sum == level || sum == kButtonLevel + kAttackLevel;
      if (!on) continue;
      if (!runs.empty() && runs.back().first + runs.back().second == i) {
        ++runs.back().second;
      } else {
        runs.push_back({i, 1});
      }
    }
    std::size_t heard = 0;
    std::size_t previousEnd = press;
    for (const auto& [start, length] : runs) {
      EXPECT_EQ(length % heardLength, 0u) << "a copy of level " << level << " was cut";
      EXPECT_LE(start - previousEnd, kQueuedBytes) << "level " << level << " came late";
      heard += length;
      previousEnd = start + length;
    }
    EXPECT_EQ(heard, copies * heardLength) << "level " << level;
    if (copies > 0) {
      ASSERT_FALSE(runs.empty());
      EXPECT_EQ(runs.front().first, press) << "level " << level << " did not start at the press";
    }
  }

  void ExpectSilenceAndNoBoxes() {
    EXPECT_TRUE(std::all_of(Recording().begin(), Recording().end(),
                            [](std::uint8_t b) { return b == 128; }));
    for (const auto& box : Boxes())
      EXPECT_NE(box.kind, qtui::ScriptedDialogs::Kind::Error) << box.text;
  }

  // Plays the story to its end: every start press, and each battle won magic first.
  template <typename OnPress>
  void PlayThrough(OnPress onPress) {
    for (int scene = 0; scene < 40 && form_->start_b->isEnabled(); ++scene) {
      onPress(form_->start_b);
      for (int press = 0; press < 25 && form_->magic->isEnabled(); ++press) onPress(form_->magic);
      while (form_->kougeki->isEnabled()) onPress(form_->kougeki);
    }
    ASSERT_TRUE(form_->Timer2->isActive()) << "the story did not reach its end";
  }
};

TEST_F(GameSound, EveryPressOfTheWholeStoryIsHeardOnItsChannels) {
  WriteTestWaves();
  StartGame();
  Advance(500);  // the title runs silently first
  ASSERT_TRUE(
      std::all_of(Recording().begin(), Recording().end(), [](std::uint8_t b) { return b == 128; }));
  int presses = 0;
  PlayThrough([&](QPushButton* button) {
    ++presses;
    if (button == form_->start_b) {
      const QString caption = button->text();
      // These two scenes give the button sound once more, queued behind the first.
      const bool twice =
          caption == QStringLiteral("opを飛ばす") || caption == QStringLiteral("２面へいく");
      PressAndHear(button, twice ? 2 : 1, 0);
    } else {
      PressAndHear(button, 1, 1);
    }
  });
  EXPECT_GT(presses, 100);
  for (const auto& box : Boxes())
    EXPECT_NE(box.kind, qtui::ScriptedDialogs::Kind::Error) << box.text;
}

TEST_F(GameSound, QuickPressesQueueFurtherCopiesOnEachChannel) {
  WriteTestWaves();
  StartGame();
  for (int i = 0; i < 7; ++i) form_->start_b->click();
  ASSERT_FALSE(form_->start_b->isEnabled());
  Advance(kListenMs * 4);

  const std::size_t press = Now();
  form_->kougeki->click();
  form_->magic->click();
  form_->kougeki->click();
  Advance(kListenMs * 2);
  ExpectCopies(press, kButtonLevel, kButtonHeard, 3);
  ExpectCopies(press, kAttackLevel, kAttackHeard, 3);
  // Two copies of one wave sounding at once would have summed to a level of their own: each
  // copy waited for the one before it on its channel.
}

// The button sound belongs to channel 1 and the attack sound to channel 0; channels 0 to 3
// are open, the rest closed.
TEST_F(GameSound, ButtonAndAttackSoundOnTheirOwnChannels) {
  WriteTestWaves();
  StartGame();
  for (int i = 0; i < 7; ++i) form_->start_b->click();
  Advance(kListenMs * 4);
  form_->kougeki->click();
  const MixSession* session = form_->WaveMix1->Session();
  ASSERT_NE(session->channelTable[1], nullptr);
  ASSERT_NE(session->channelTable[0], nullptr);
  EXPECT_EQ(session->channelTable[1]->Length, static_cast<std::int32_t>(kButtonLength));
  EXPECT_EQ(session->channelTable[0]->Length, static_cast<std::int32_t>(kAttackLength));
  EXPECT_EQ(session->channelTable[1]->Request.Flags, MixPlayWait);  // placed by the attack's
  EXPECT_EQ(session->channelTable[0]->Request.Flags, MixPlayQueue);
  EXPECT_EQ(session->channelTable[1]->Request.Loops, 0);
  EXPECT_EQ(session->channelTable[1]->Request.NotifyWindow, 0u);
  for (int channel = 2; channel < 4; ++channel) EXPECT_EQ(session->channelTable[channel], nullptr);
  for (int channel = 4; channel < MixChannelCount; ++channel)
    EXPECT_EQ(session->channelTable[channel], ClosedChannel());
}

// The waves that ship beside the program are converted on loading (one of them is 16-bit,
// the other stereo at another rate); the recording holds exactly their converted samples.
// A real press after quiet: the shipped click is shorter than one of the mixer's blocks, so a
// plain attack request would have started a whole block after it.
TEST_F(GameSound, ShippedWavesAreHeardAsConverted) {
  for (const char* name : {"1.wav", "2.wav"}) {
    ASSERT_TRUE(QFile::copy(QString::fromStdString(std::string(BRANDEL_BIN_DIR) + "/" + name),
                            QString::fromStdString(Folder() + name)))
        << name << " is not among the shipped files";
  }
  StartGame();
  // The converted samples, without the last byte that the mixer never plays.
  auto samples = [this](const char* name) {
    MixWave* wave = form_->WaveMix1->OpenWave((Folder() + name).c_str());
    const auto* data = reinterpret_cast<const std::uint8_t*>(wave->header.lpData);
    std::vector<std::uint8_t> bytes(data, data + wave->header.dwBufferLength - 1);
    form_->WaveMix1->FreeWave(wave);
    return bytes;
  };
  const std::vector<std::uint8_t> attackSamples = samples("1.wav");
  const std::vector<std::uint8_t> buttonSamples = samples("2.wav");
  ASSERT_FALSE(attackSamples.empty());
  ASSERT_FALSE(buttonSamples.empty());

  for (int i = 0; i < 7; ++i) form_->start_b->click();
  Advance(kListenMs * 4);
  const std::size_t press = Now();
  form_->kougeki->click();
  Advance(kListenMs * 2);
  const std::vector<std::uint8_t> heard = Heard(press);

  // Both sounds start at the press, after a quiet spell as always: of every start of the
  // attack up to the mixer's queued output later, only that one makes the recording their
  // clipped sum, byte for byte.
  auto sample = [](const std::vector<std::uint8_t>& wave, std::size_t start, std::size_t i) {
    return i >= start && i - start < wave.size() ? wave[i - start] - 128 : 0;
  };
  auto mixesTo = [&](std::size_t attack) {
    for (std::size_t i = 0; i < heard.size(); ++i) {
      const int total = 128 + sample(buttonSamples, 0, i) + sample(attackSamples, attack, i);
      if (heard[i] != std::clamp(total, 0, 255)) return false;
    }
    return true;
  };
  std::vector<std::size_t> matches;
  for (std::size_t attack = 0; attack <= kQueuedBytes; ++attack) {
    if (mixesTo(attack)) matches.push_back(attack);
  }
  EXPECT_EQ(matches, std::vector<std::size_t>{0});
}

// The button sound is held only for an attack request that can release it. Without channel 0
// the button sounds at once; with every play node in use the held copy is released by the next
// press, as that press's one button sound.
TEST_F(GameSound, APressLeavesNoButtonSoundHeld) {
  WriteTestWaves();
  StartGame();
  for (int i = 0; i < 7; ++i) form_->start_b->click();
  Advance(kListenMs * 4);
  const MixSession* session = form_->WaveMix1->Session();

  form_->WaveMix1->SetChannels(0x0E);
  std::size_t press = Now();
  form_->magic->click();
  EXPECT_EQ(session->pendingTail, nullptr);
  Advance(kListenMs);
  ExpectCopies(press, kButtonLevel, kButtonHeard, 1);
  ExpectCopies(press, kAttackLevel, kAttackHeard, 0);

  // 100 play nodes: one button sound, 49 presses, then a press whose attack finds none left.
  form_->WaveMix1->SetChannels(0x0F);
  form_->PlayButtonSound();
  for (int i = 0; i < 50; ++i) form_->magic->click();
  ASSERT_NE(session->pendingTail, nullptr);
  // The flashes ran the device dry: the block messages they left refill it, then every copy
  // plays out and is retired.
  QCoreApplication::processEvents();
  Advance(kListenMs * 30);
  press = Now();
  form_->magic->click();
  EXPECT_EQ(session->pendingTail, nullptr);
  Advance(kListenMs);
  ExpectCopies(press, kButtonLevel, kButtonHeard, 1);
  ExpectCopies(press, kAttackLevel, kAttackHeard, 1);
}

TEST_F(GameSound, WithoutEitherWaveTheStoryPlaysSilentlyWithoutErrorBoxes) {
  StartGame();
  PlayThrough([this](QPushButton* button) {
    button->click();
    Advance(300);
  });
  ExpectSilenceAndNoBoxes();
  EXPECT_TRUE(form_->close());
}

TEST_F(GameSound, WhenTheAttackWaveFailsTheButtonWaveIsNotOpenedEither) {
  WriteTestWaves();
  ASSERT_TRUE(QFile::remove(QString::fromStdString(Folder() + "1.wav")));
  StartGame();
  form_->start_b->click();
  Advance(kListenMs);
  ExpectSilenceAndNoBoxes();
}

TEST_F(GameSound, WithOnlyTheAttackWaveTheButtonIsSilentAndTheAttackHeard) {
  WriteTestWaves();
  ASSERT_TRUE(QFile::remove(QString::fromStdString(Folder() + "2.wav")));
  StartGame();
  for (int i = 0; i < 7; ++i) form_->start_b->click();
  Advance(kListenMs);
  EXPECT_TRUE(
      std::all_of(Recording().begin(), Recording().end(), [](std::uint8_t b) { return b == 128; }));
  const std::size_t press = Now();
  form_->magic->click();
  Advance(kListenMs);
  const std::size_t attack = AttackStart(press);
  ASSERT_NE(attack, std::string::npos);
  EXPECT_EQ(attack, press) << "alone on the device, the attack starts at the press";
  EXPECT_EQ(Difference(Heard(press), Mixed(Now() - press, {{0, kAttackHeard, {}, kAttackLevel}})),
            "");
}

// Closing: the record is written, the waves are freed while the mixer still stands, then the
// mixer gives up the device and ends its session.
TEST_F(GameSound, ClosingFreesTheWavesThenGivesUpTheDevice) {
  WriteTestWaves();
  StartGame();
  form_->start_b->click();
  Advance(50);  // the button sound is still playing
  ASSERT_TRUE(device_->IsOpen());
  EXPECT_TRUE(form_->close());
  form_.reset();
  EXPECT_FALSE(device_->IsOpen());
  EXPECT_EQ(device_->PreparedHeaders(), 0);
  EXPECT_EQ(Record(), "s\r\n2\r\n0\r\n0\r\n0\r\n");
  // A second window gets the device and its own session again.
  Start();
  EXPECT_TRUE(device_->IsOpen());
}

}  // namespace
}  // namespace brandel::testing
