// SPDX-License-Identifier: MIT
// Session creation: the WAVEMIX.INI rows through the virtual device, the failures and the
// state each leaves, and handle validation.
#include <memory>

#include "mixer_fixture.h"
#include "wavemix/twavemix.h"

namespace mixtest {
namespace {

using wavemix::DeferToMixPosition;
using wavemix::RemixFromPosition;

class SettingsTest : public MixerTest {
 protected:
  MixSession& Session() { return *session_; }
};

TEST_F(SettingsTest, MissingFileGivesTheDefaults) {
  Init();
  EXPECT_EQ(Session().deviceNumber, 0);
  EXPECT_STREQ(Session().sectionName, "Virtual wave output");
  EXPECT_EQ(Session().outputFormat.wFormatTag, 1);
  EXPECT_EQ(Session().outputFormat.nChannels, 1);
  EXPECT_EQ(Session().outputFormat.nSamplesPerSec, 11025u);
  EXPECT_EQ(Session().outputFormat.nAvgBytesPerSec, 11025u);
  EXPECT_EQ(Session().outputFormat.nBlockAlign, 1);
  EXPECT_EQ(Session().outputFormat.wBitsPerSample, 8);
  EXPECT_EQ(Session().blockCount, 3);
  EXPECT_EQ(Session().blockLength, 2048);
  EXPECT_EQ(Session().goodWavePos, 0);
  EXPECT_EQ(Session().remixProc, &RemixFromPosition);
  EXPECT_FALSE(Session().active);
  EXPECT_EQ(Session().mixPosition, 0);
  for (PlayNode* head : Session().channelTable) EXPECT_EQ(head, ClosedChannel());
}

TEST_F(SettingsTest, WaveOutDeviceNotBelowTheCountSelectsTheMapper) {
  WriteSettings("[general]\nWaveOutDevice=1\n");
  Init();
  EXPECT_EQ(Session().deviceNumber, -1);
}

TEST_F(SettingsTest, WaveOutDeviceBelowTheCountIsKept) {
  device_->SetDeviceCount(3);
  WriteSettings("[general]\nWaveOutDevice=2\n");
  Init();
  EXPECT_EQ(Session().deviceNumber, 2);
}

struct BlockRow {
  const char* settings;
  std::int32_t blockCount;
  std::int32_t blockLength;
  std::uint32_t rate;
};

class BlockSettingsTest : public SettingsTest, public ::testing::WithParamInterface<BlockRow> {};

TEST_P(BlockSettingsTest, ClampsAndDefaults) {
  WriteSettings(GetParam().settings);
  Init();
  EXPECT_EQ(Session().blockCount, GetParam().blockCount);
  EXPECT_EQ(Session().blockLength, GetParam().blockLength);
  EXPECT_EQ(Session().outputFormat.nSamplesPerSec, GetParam().rate);
  EXPECT_EQ(Session().outputFormat.nAvgBytesPerSec, GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BlockSettingsTest,
    ::testing::Values(
        BlockRow{"[Virtual wave output]\nWaveBlocks=1\n", 2, 2048, 11025},
        BlockRow{"[Virtual wave output]\nWaveBlocks=7\n", 6, 2048, 11025},
        BlockRow{"[default]\nWaveBlocks=5\n", 5, 2048, 11025},
        BlockRow{"[default]\nWaveBlocks=5\n[Virtual wave output]\nWaveBlocks=4\n", 4, 2048, 11025},
        BlockRow{"[Virtual wave output]\nWaveBlockLen=100\n", 3, 512, 11025},
        BlockRow{"[Virtual wave output]\nWaveBlockLen=5000\n", 3, 4096, 11025},
        BlockRow{"[Virtual wave output]\nWaveBlockLen=1001\n", 3, 1001, 11025},
        BlockRow{"[default]\nWaveBlockLen=1001\n", 3, 1000, 11025},
        BlockRow{"[default]\nWaveBlockLen=65540\n", 3, 512, 11025},
        BlockRow{"[default]\nWaveBlockLen=3000\n[Virtual wave output]\nWaveBlockLen=700\n", 3, 700,
                 11025},
        BlockRow{"[Virtual wave output]\nSamplesPerSec=22\n", 3, 4096, 22050},
        BlockRow{"[Virtual wave output]\nSamplesPerSec=44\n", 3, 4096, 44100},
        BlockRow{"[Virtual wave output]\nSamplesPerSec=8\n", 3, 2048, 11025},
        BlockRow{"[default]\nSamplesPerSec=22\n", 3, 4096, 22050},
        BlockRow{"[default]\nSamplesPerSec=22\n[Virtual wave output]\nSamplesPerSec=11\n", 3, 2048,
                 11025},
        BlockRow{"[default]\nSamplesPerSec=44\nWaveBlockLen=1024\n", 3, 1024, 44100},
        // Section and key names ignore case, as the platform reader does.
        BlockRow{"[VIRTUAL WAVE OUTPUT]\nwaveblocks=6\n", 6, 2048, 11025}));

TEST_F(SettingsTest, RemixTwoDefersAnythingElseRemixes) {
  WriteSettings("[Virtual wave output]\nRemix=2\n");
  Init();
  EXPECT_EQ(Session().remixProc, &DeferToMixPosition);
  WaveMixEndSession(session_);

  WriteSettings("[default]\nRemix=2\n");
  Init();
  EXPECT_EQ(Session().remixProc, &DeferToMixPosition);
  WaveMixEndSession(session_);

  WriteSettings("[default]\nRemix=2\n[Virtual wave output]\nRemix=3\n");
  Init();
  EXPECT_EQ(Session().remixProc, &RemixFromPosition);
}

TEST_F(SettingsTest, GoodWavePosKeepsOnlyTheLowByte) {
  WriteSettings("[Virtual wave output]\nGoodWavePos=257\n");
  Init();
  EXPECT_EQ(Session().goodWavePos, 1);
  WaveMixEndSession(session_);
  WriteSettings("[default]\nGoodWavePos=1\n");
  Init();
  EXPECT_EQ(Session().goodWavePos, 1);
}

MixConfig Config(std::uint32_t flags, std::uint16_t channels, std::uint16_t rateCode) {
  MixConfig config{};
  config.size = sizeof(MixConfig);
  config.flags = flags;
  config.channels = channels;
  config.rateCode = rateCode;
  return config;
}

TEST_F(SettingsTest, ConfigAsksForStereoAndRate) {
  const MixConfig config = Config(MixConfigChannels | MixConfigRate, 2, 22);
  InitEx(&config);
  EXPECT_EQ(Session().outputFormat.nChannels, 2);
  EXPECT_EQ(Session().outputFormat.nBlockAlign, 2);
  EXPECT_EQ(Session().outputFormat.nSamplesPerSec, 22050u);
  EXPECT_EQ(Session().outputFormat.nAvgBytesPerSec, 44100u);
  EXPECT_EQ(Session().blockLength, 4096);
}

TEST_F(SettingsTest, ConfigRateOverridesTheFileAndOddCodesAreIgnored) {
  WriteSettings("[Virtual wave output]\nSamplesPerSec=44\n");
  MixConfig config = Config(MixConfigRate, 0, 11);
  InitEx(&config);
  EXPECT_EQ(Session().outputFormat.nSamplesPerSec, 11025u);
  WaveMixEndSession(session_);

  config = Config(MixConfigRate, 0, 33);
  InitEx(&config);
  EXPECT_EQ(Session().outputFormat.nSamplesPerSec, 44100u);
  WaveMixEndSession(session_);

  config = Config(0, 2, 22);  // fields without their flags
  InitEx(&config);
  EXPECT_EQ(Session().outputFormat.nSamplesPerSec, 44100u);
  EXPECT_EQ(Session().outputFormat.nChannels, 1);
}

TEST_F(SettingsTest, StereoNeedsAStereoDevice) {
  device_->SetCapabilityChannels(1);
  const MixConfig config = Config(MixConfigChannels, 2, 0);
  InitEx(&config);
  EXPECT_EQ(Session().outputFormat.nChannels, 1);
  EXPECT_EQ(Session().outputFormat.nBlockAlign, 1);
}

TEST_F(SettingsTest, ConfigOfTheWrongSizeIsIgnoredEntirely) {
  MixConfig config = Config(MixConfigChannels | MixConfigRate, 2, 44);
  config.size = 12;
  InitEx(&config);
  EXPECT_EQ(Session().outputFormat.nChannels, 1);
  EXPECT_EQ(Session().outputFormat.nSamplesPerSec, 11025u);
}

TEST_F(SettingsTest, NullConfigTakesEverythingFromTheFile) {
  WriteSettings("[Virtual wave output]\nSamplesPerSec=22\n");
  InitEx(nullptr);
  EXPECT_EQ(Session().outputFormat.nSamplesPerSec, 22050u);
}

// ---- Failures -------------------------------------------------------------------------

TEST_F(SettingsTest, NoDeviceLeavesNoSession) {
  device_->SetDeviceCount(0);
  ExpectMessage([&] { Init(); }, "No wave output devices available");
  EXPECT_EQ(wavemix::LiveSession, nullptr);
  EXPECT_EQ(wavemix::CurrentSession, nullptr);
  device_->SetDeviceCount(1);
  EXPECT_NE(Init(), nullptr);
}

TEST_F(SettingsTest, SynchronousDeviceIsRefusedByName) {
  device_->SetSynchronous(true);
  ExpectMessage([&] { Init(); },
                "Virtual wave output is a syncronous (blocking) wave output device.  This will "
                "not permit audio to play while other applications are running");
  EXPECT_EQ(wavemix::LiveSession, nullptr);
  EXPECT_EQ(wavemix::CurrentSession, nullptr);
  device_->SetSynchronous(false);
  EXPECT_NE(Init(), nullptr);
}

TEST_F(SettingsTest, DeviceListedAsNotCompatibleIsRefusedByName) {
  WriteSettings("[not compatible]\nVirtual wave output=1\n");
  ExpectMessage([&] { Init(); },
                "Virtual wave output is not compatible with the realtime wavemixer");
  EXPECT_EQ(wavemix::LiveSession, nullptr);
  WriteSettings("[not compatible]\nVirtual wave output=0\n");
  EXPECT_NE(Init(), nullptr);
}

TEST_F(SettingsTest, SecondInitialisationFailsAndLeavesTheQueuedRequestsAlone) {
  Start();
  HandWave wave(Constant(30000, 200));
  Play(0, wave);
  Play(0, wave);
  Play(1, wave, MixPlayWait);
  const int freeBefore = FreeNodeCount();
  PlayNode* queued = Session().channelTable[0];
  PlayNode* pending = Session().pendingTail;
  ASSERT_NE(queued, nullptr);
  ASSERT_NE(pending, nullptr);

  ExpectMessage([&] { WaveMixInit(); }, "Session already initialized");

  EXPECT_EQ(wavemix::LiveSession, session_);
  EXPECT_EQ(FreeNodeCount(), freeBefore);
  EXPECT_EQ(Session().channelTable[0], queued);
  EXPECT_EQ(queued->Next->Wave, wave.get());
  EXPECT_EQ(Session().pendingTail, pending);
  // The first session still plays: the held request starts with the next plain one.
  Play(2, wave);
  EXPECT_EQ(Session().pendingTail, nullptr);
  EXPECT_NE(Session().channelTable[1], nullptr);
  Advance(600);
  EXPECT_EQ(Heard(0, 10), Constant(10, 200));
  EXPECT_EQ(Heard(3 * 2048, 10), Constant(10, 255));  // 128 + 3 * 72, clipped
}

TEST_F(SettingsTest, HandlesAreCheckedAgainstTheLiveSession) {
  Init();
  ExpectMessage([&] { wavemix::ValidateSession(nullptr); }, "Invalid Session handle");
  // A record that looks right but is not the live session is never trusted.
  MixSession forged{};
  forged.headMagic = SessionMagic;
  forged.tailMagic = SessionMagic;
  ExpectMessage([&] { WaveMixActivate(&forged, true); }, "Invalid Session handle");
  ExpectMessage([&] { WaveMixOpenChannels(&forged, 0, MixOpenAll); }, "Invalid Session handle");
  EXPECT_EQ(wavemix::DeviceOwner, nullptr);
  // A live record whose guard word was overwritten is refused too.
  Session().tailMagic = 0;
  ExpectMessage([&] { wavemix::ValidateSession(session_); }, "Invalid Session handle");
  Session().tailMagic = SessionMagic;
  EXPECT_EQ(wavemix::ValidateSession(session_), session_);
}

TEST_F(SettingsTest, AnEndedSessionsHandleIsRefused) {
  HMIXSESSION old = Init();
  WaveMixEndSession(old);
  EXPECT_EQ(wavemix::LiveSession, nullptr);
  ExpectMessage([&] { WaveMixEndSession(old); }, "Invalid Session handle");
  ExpectMessage([&] { WaveMixActivate(old, true); }, "Invalid Session handle");
  ExpectMessage([&] { WaveMixFlushChannels(old, 0, MixAllChannels); }, "Invalid Session handle");
  EXPECT_EQ(wavemix::DeviceOwner, nullptr);
  EXPECT_NE(Init(), nullptr);
}

// A handle names one session or one wave for ever, however memory is reused: an ended
// session's handle never passes for a later session, a freed wave's never for a later wave,
// and a wave works only in the session it was loaded in.
TEST_F(SettingsTest, HandlesOfEndedSessionsAndFreedWavesNeverNameLaterOnes) {
  std::vector<HMIXSESSION> ended;
  std::vector<MixWave*> orphaned;
  for (int i = 0; i < 50; ++i) {
    Init();
    orphaned.push_back(Load(Ramp(100)));  // left behind by its session
    ended.push_back(session_);
    WaveMixEndSession(session_);
  }
  Start();
  for (HMIXSESSION old : ended) {
    ASSERT_NE(old, session_);
    ExpectMessage([&] { WaveMixFlushChannels(old, 0, MixAllChannels); }, "Invalid Session handle");
  }
  MixPlayParams params{sizeof params, session_, 0, orphaned.back(), 0, 0, 0};
  ExpectMessage([&] { WaveMixPlay(&params); }, "The given pointer was not valid");
  ExpectMessage([&] { WaveMixFreeWave(session_, orphaned.back()); },
                "The given pointer was not valid");

  std::vector<MixWave*> freed;
  for (int i = 0; i < 50; ++i) {
    freed.push_back(Load(Ramp(100)));
    WaveMixFreeWave(session_, freed.back());
  }
  MixWave* live = Load(Ramp(100));
  for (MixWave* gone : freed) {
    ASSERT_NE(gone, live);
    ExpectMessage([&] { WaveMixFreeWave(session_, gone); }, "The given pointer was not valid");
  }
  params.Wave = live;
  WaveMixPlay(&params);
  WaveMixFreeWave(session_, live);
  WaveMixEndSession(session_);

  // A component whose session another caller ended leaves the next session alone.
  auto component = std::make_unique<TWaveMix>();
  WaveMixEndSession(component->Session());
  HMIXSESSION next = WaveMixInit();
  component.reset();
  EXPECT_EQ(wavemix::LiveSession, next);
  EXPECT_EQ(wavemix::ValidateSession(next), next);
  WaveMixEndSession(next);
}

}  // namespace
}  // namespace mixtest
