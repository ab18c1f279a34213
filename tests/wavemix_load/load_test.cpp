// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <unistd.h>

#include "platform/messages/messages.h"
#include "platform/riff/riff_reader.h"
#include "platform/waveout/virtual_device.h"
#include "wave_images.h"
#include "wavemix/internal.h"
#include "wavemix/wavemix.h"

namespace {

using namespace waveimage;

const std::string kOutOfMemory =
    "Unable to allocate memory for waveform data.  Try making more memory available by "
    "closing other applications.";

class WaveLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    msg::ResetForTesting();
    char pattern[] = "/tmp/formats-load-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    device_ = &wo::VirtualDevice::Install(11025);
  }
  void TearDown() override {
    if (wavemix::LiveSession != nullptr) WaveMixEndSession(wavemix::LiveSession);
    wo::VirtualDevice::Uninstall();
    msg::ResetForTesting();
    res::ClearResources(nullptr);
    std::filesystem::remove_all(folder_);
  }

  HMIXSESSION Start(const std::string& settings = "") {
    if (!settings.empty()) std::ofstream(folder_ / "WAVEMIX.INI") << settings;
    session_ = WaveMixInit();
    return session_;
  }

  // A memory image load; the caller's record must come back unchanged.
  MixWave* LoadImage(const Bytes& image) {
    image_ = image;
    mmio::MMIOINFO info{};
    info.fccIOProc = mmio::FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<char*>(image_.data());
    info.cchBuffer = static_cast<std::int32_t>(image_.size());
    const mmio::MMIOINFO before = info;
    MixWave* wave = WaveMixOpenWave(session_, reinterpret_cast<const char*>(&info), nullptr,
                                    MixOpenFromMemory);
    EXPECT_EQ(std::memcmp(&before, &info, sizeof info), 0);
    return wave;
  }

  std::string ImageError(const Bytes& image) {
    return ErrorOf([&] { LoadImage(image); });
  }

  static std::string ErrorOf(const std::function<void()>& call) {
    try {
      call();
    } catch (const EWaveMixError& e) {
      return e.what();
    }
    return "no error";
  }

  static Bytes Samples(const MixWave* wave) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(wave->header.lpData);
    return Bytes(p, p + wave->header.dwBufferLength);
  }

  std::filesystem::path folder_;
  wo::VirtualDevice* device_ = nullptr;
  HMIXSESSION session_ = nullptr;
  Bytes image_;
};

TEST_F(WaveLoad, WaveInTheOutputFormatLoadsUnconverted) {
  Start();
  Bytes data = {1, 2, 3, 250, 128, 7, 9};
  Bytes fmt = FormatBody(1, 11025, 8);
  fmt[8] = 0x99;  // a wrong byte rate is kept as stored and not looked at
  MixWave* wave = LoadImage(Riff({Chunk("LIST", {'I', 'N', 'F', 'O'}), Chunk("fmt ", fmt), Chunk("data", data)}));
  ASSERT_NE(wave, nullptr);
  EXPECT_TRUE(wavemix::IsLiveWave(wave));
  EXPECT_EQ(Samples(wave), data);
  EXPECT_EQ(wave->format.nAvgBytesPerSec & 0xFF, 0x99u);
  EXPECT_EQ(wave->format.wBitsPerSample, 8);
  EXPECT_EQ(wave->header.dwUser, 0u);
  EXPECT_EQ(wave->header.dwFlags, 0u);
  EXPECT_EQ(wave->header.dwLoops, 0u);
  EXPECT_STREQ(wave->name, "memory");
  // One byte already in the output format is a one-byte wave.
  MixWave* tiny = LoadImage(Wave(1, 11025, 8, {77}));
  EXPECT_EQ(Samples(tiny), Bytes{77});
  WaveMixFreeWave(session_, tiny);
  WaveMixFreeWave(session_, wave);
  EXPECT_FALSE(wavemix::IsLiveWave(wave));
}

// 64 MiB of converted samples at most, refused before anything is allocated (a 20 KB file
// declaring 1 Hz would grow to 1.76 GB in a 44 kHz stereo session).
TEST_F(WaveLoad, AWaveTooLargeOnceConvertedIsRefused) {
  const MixConfig config{sizeof(MixConfig), MixConfigChannels | MixConfigRate, 2, 44};
  session_ = WaveMixInitEx(&config);
  EXPECT_EQ(ImageError(Wave(1, 1, 8, Bytes(20000, 100))), kOutOfMemory);
  // 4410 Hz mono grows twentyfold: 3355443 bytes give 67108860, just within 64 MiB.
  EXPECT_EQ(ImageError(Wave(1, 4410, 8, Bytes(3355444, 100))), kOutOfMemory);
  MixWave* largest = LoadImage(Wave(1, 4410, 8, Bytes(3355443, 100)));
  EXPECT_EQ(largest->header.dwBufferLength, 67108860u);
  WaveMixFreeWave(session_, largest);
}

TEST_F(WaveLoad, FileIsConvertedToTheSessionFormatAndNamedByItsPathStart) {
  Start("[Virtual wave output]\nSamplesPerSec=22\n");
  // 16-bit stereo 44100: 4 frames (16 bytes) -> 2 bytes at 8-bit mono 22050.
  Bytes data;
  for (std::int16_t s : {0x0100, 0x0300, -256, -512, 0x7F00, 0x7F00, -32768, -32768}) {
    PutHalf(data, static_cast<std::uint16_t>(s));
  }
  const std::filesystem::path path = folder_ / "a-rather-long-file-name.wav";
  const Bytes image = Wave(2, 44100, 16, data);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                              static_cast<std::streamsize>(image.size()));
  MixWave* wave = WaveMixOpenWave(session_, path.c_str(), nullptr, MixOpenFromFile);
  // Frames 0 and 1 average to (2 - 2) / 2 = 0 -> 128; the last output frame copies frame 2.
  EXPECT_EQ(Samples(wave), (Bytes{128, 255}));
  EXPECT_EQ(std::string(wave->name), path.string().substr(0, 15));
  EXPECT_EQ(wave->format.nChannels, 2);  // the source's format, as stored
  WaveMixFreeWave(session_, wave);

  EXPECT_EQ(ErrorOf([&] { WaveMixOpenWave(session_, (folder_ / "none.wav").c_str(), nullptr, 1); }),
            "Failed to open wave file " + (folder_ / "none.wav").string());
  EXPECT_EQ(ErrorOf([&] { WaveMixOpenWave(session_, folder_.c_str(), nullptr, 0); }),
            "Failed to open wave file " + folder_.string());
}

TEST_F(WaveLoad, ResourcesByNameAndNumber) {
  Start();
  res::RegisterResource(nullptr, "WAVE", "ButtonClickSoundEffect", Wave(1, 11025, 8, {5, 6}));
  res::RegisterResource(nullptr, "WAVE", res::MakeIntResource(101), Wave(1, 22050, 8, {10, 20, 30, 40, 50}));
  MixWave* named = WaveMixOpenWave(session_, "buttonclicksoundeffect", nullptr, MixOpenFromResource);
  EXPECT_EQ(Samples(named), (Bytes{5, 6}));
  EXPECT_STREQ(named->name, "buttonclicksoun");
  // Resource beats memory when both bits are set.
  MixWave* numbered = WaveMixOpenWave(session_, res::MakeIntResource(101), res::ProgramModule(),
                                      MixOpenFromResource | MixOpenFromMemory);
  EXPECT_EQ(Samples(numbered), (Bytes{15, 30}));
  EXPECT_STREQ(numbered->name, "res#101");
  WaveMixFreeWave(session_, named);
  WaveMixFreeWave(session_, numbered);

  EXPECT_EQ(ErrorOf([&] { WaveMixOpenWave(session_, res::MakeIntResource(102), nullptr, MixOpenFromResource); }),
            "Failed to open \"WAVE\" resource 102");
  EXPECT_EQ(ErrorOf([&] { WaveMixOpenWave(session_, "missing", nullptr, MixOpenFromResource); }),
            "Failed to open \"WAVE\" resource missing");
  res::RegisterResource(nullptr, "WAVE", "junk", {1, 2, 3});
  EXPECT_EQ(ErrorOf([&] { WaveMixOpenWave(session_, "junk", nullptr, MixOpenFromResource); }),
            "This is not a WAVE file");
  res::RegisterResource(nullptr, "WAVE", "deep", Wave(1, 11025, 16, {1}));
  EXPECT_EQ(ErrorOf([&] { WaveMixOpenWave(session_, "deep", nullptr, MixOpenFromResource); }), kOutOfMemory);
  // Every loaded resource was given back, after the loads and after the failures.
  EXPECT_EQ(res::LoadedResourceCount(), 0u);
}

TEST_F(WaveLoad, SessionAndDeviceAreCheckedFirst) {
  EXPECT_EQ(ErrorOf([&] { WaveMixOpenWave(nullptr, "x", nullptr, 1); }), "Invalid Session handle");
  Start();
  MixSession fake{};
  fake.headMagic = fake.tailMagic = SessionMagic;  // looks valid, but is not the live session
  EXPECT_EQ(ErrorOf([&] { WaveMixOpenWave(&fake, "x", nullptr, 1); }), "Invalid Session handle");
  device_->RefuseFormatQuery(true);
  const std::string refused = ErrorOf([&] { LoadImage(Wave(1, 11025, 8, {1})); });
  EXPECT_EQ(refused, "The waveform device can\u00B4t play this format");
  EXPECT_NE(refused.find("can\xC2\xB4t"), std::string::npos);  // the acute accent, not an apostrophe
}

TEST_F(WaveLoad, EveryBrokenImageFailsWithItsMessage) {
  Start();
  const Bytes fmt = Chunk("fmt ", FormatBody(1, 11025, 8));
  const Bytes data = Chunk("data", {1, 2, 3});

  mmio::MMIOINFO dos{};
  dos.fccIOProc = mmio::FOURCC_DOS;
  EXPECT_EQ(ErrorOf([&] { WaveMixOpenWave(session_, reinterpret_cast<const char*>(&dos), nullptr, MixOpenFromMemory); }),
            "Failed to open memory file, mmioOpen error=259.#13May need to make sure memory is read-write");

  EXPECT_EQ(ImageError({}), "This is not a WAVE file");
  EXPECT_EQ(ImageError(Riff({fmt, data}, "AVI ")), "This is not a WAVE file");
  EXPECT_EQ(ImageError(Riff({data})), "WAVE file is corrupted");
  Bytes shortFmt = FormatBody(1, 11025, 8);
  shortFmt.resize(14);
  EXPECT_EQ(ImageError(Riff({Chunk("fmt ", shortFmt), data})), "Failed to read format chunk");
  Bytes cut = Riff({fmt});
  cut.resize(cut.size() - 6);  // fmt declares 16 bytes but the file ends after 10
  EXPECT_EQ(ImageError(cut), "Failed to read format chunk");
  EXPECT_EQ(ImageError(Riff({Chunk("fmt ", FormatBody(1, 11025, 8, 3)), data})), "The file is not a PCM file");
  EXPECT_EQ(ImageError(Riff({Chunk("fmt ", FormatBody(0, 11025, 8)), data})),
            "The file has 0 channels; only mono and stereo are supported");
  EXPECT_EQ(ImageError(Riff({Chunk("fmt ", FormatBody(3, 11025, 8)), data})),
            "The file has 3 channels; only mono and stereo are supported");
  EXPECT_EQ(ImageError(Riff({Chunk("fmt ", FormatBody(1, 0, 8)), data})), "The file has a sample rate of 0");
  EXPECT_EQ(ImageError(Riff({data, fmt})), "WAVE file has no data chunk");
  EXPECT_EQ(ImageError(Riff({fmt})), "WAVE file has no data chunk");
  EXPECT_EQ(ImageError(Riff({fmt, Chunk("data", {})})), "The data chunk has no data");
  EXPECT_EQ(ImageError(Riff({fmt, Chunk("data", {1, 2, 3}, 5)})), "Failed to read data chunk");
  EXPECT_EQ(ImageError(Riff({fmt, Chunk("data", {1, 2, 3}, 0xFFFFFFF0u)})), "Failed to read data chunk");
  EXPECT_EQ(ImageError(Wave(1, 11025, 24, {1, 2, 3})), "File format not supported");
  EXPECT_EQ(ImageError(Wave(1, 11025, 4, {1, 2, 3})), "File format not supported");
  EXPECT_EQ(ImageError(Wave(1, 11025, 16, {1})), kOutOfMemory);
  EXPECT_EQ(ImageError(Wave(2, 11025, 8, {1})), kOutOfMemory);
  // Nothing half-made stays registered (and ASan's leak check sees every block released).
  EXPECT_EQ(ErrorOf([&] { WaveMixFreeWave(session_, reinterpret_cast<MixWave*>(image_.data())); }),
            "The given pointer was not valid");
}

// Freeing a wave: nodes are set up by hand, as the play routine would leave them.
class WaveFree : public WaveLoad {
 protected:
  PlayNode* Node(MixWave* wave, int tag) {
    PlayNode* node = wavemix::TakePlayNode();
    node->Wave = wave;
    node->Request.Wave = wave;
    node->Start = tag;  // identifies the node in the checks
    return node;
  }
  void Queue(int channel, std::initializer_list<PlayNode*> nodes) {
    PlayNode** link = &session_->channelTable[channel];
    for (PlayNode* n : nodes) {
      *link = n;
      link = &n->Next;
    }
    *link = nullptr;
  }
  static std::vector<int> Tags(const PlayNode* head) {
    std::vector<int> tags;
    for (; head != nullptr && head != ClosedChannel(); head = head->Next) tags.push_back(head->Start);
    return tags;
  }
  std::vector<int> PendingTags() {
    std::vector<int> tags;
    if (session_->pendingTail == nullptr) return tags;
    const PlayNode* n = session_->pendingTail->Next;
    do {
      tags.push_back(n->Start);
      n = n->Next;
    } while (n != session_->pendingTail->Next);
    return tags;
  }
  static int FreeNodes() {
    int count = 0;
    for (const PlayNode* n = wavemix::FreePlayNodes; n != nullptr; n = n->Next) ++count;
    return count;
  }
};

TEST_F(WaveFree, RemovesTheWavesNodesFromQueuesAndPendingPlays) {
  Start();
  MixWave* gone = LoadImage(Wave(1, 11025, 8, {1, 2, 3}));
  MixWave* kept = LoadImage(Wave(1, 11025, 8, {4, 5}));
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  Queue(0, {Node(gone, 1), Node(kept, 2), Node(gone, 3), Node(gone, 4), Node(kept, 5)});
  Queue(3, {Node(gone, 6)});
  Queue(4, {Node(kept, 7), Node(gone, 8)});
  WaveMixCloseChannels(session_, 6, 0);
  for (PlayNode* n : {Node(gone, 9), Node(kept, 10), Node(gone, 11)}) wavemix::AppendPending(*session_, n);
  const int freeBefore = FreeNodes();

  WaveMixFreeWave(session_, gone);
  EXPECT_EQ(Tags(session_->channelTable[0]), (std::vector<int>{2, 5}));
  EXPECT_EQ(session_->channelTable[3], nullptr);  // open and idle, not closed
  EXPECT_EQ(Tags(session_->channelTable[4]), (std::vector<int>{7}));
  EXPECT_EQ(session_->channelTable[6], ClosedChannel());
  EXPECT_EQ(PendingTags(), (std::vector<int>{10}));
  EXPECT_EQ(FreeNodes(), freeBefore + 7);
  EXPECT_FALSE(wavemix::IsLiveWave(gone));
  EXPECT_TRUE(wavemix::IsLiveWave(kept));

  // A freed or unknown reference is refused without being read.
  EXPECT_EQ(ErrorOf([&] { WaveMixFreeWave(session_, gone); }), "The given pointer was not valid");
  EXPECT_EQ(ErrorOf([&] { WaveMixFreeWave(session_, nullptr); }), "The given pointer was not valid");

  WaveMixFreeWave(session_, kept);
  EXPECT_EQ(session_->channelTable[0], nullptr);
  EXPECT_EQ(session_->pendingTail, nullptr);
  EXPECT_EQ(FreeNodes(), PlayNodePoolSize);
}

TEST_F(WaveFree, InvalidSessionFreesNothing) {
  Start();
  MixWave* wave = LoadImage(Wave(1, 11025, 8, {1}));
  EXPECT_EQ(ErrorOf([&] { WaveMixFreeWave(nullptr, wave); }), "Invalid Session handle");
  EXPECT_TRUE(wavemix::IsLiveWave(wave));
  WaveMixFreeWave(session_, wave);
}

TEST_F(WaveFree, PlayingAFreedWaveIsRefused) {
  Start();
  MixWave* wave = LoadImage(Wave(1, 11025, 8, {1, 2}));
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  WaveMixFreeWave(session_, wave);
  MixPlayParams params{};
  params.Size = sizeof params;
  params.Session = session_;
  params.Wave = wave;
  EXPECT_EQ(ErrorOf([&] { WaveMixPlay(&params); }), "The given pointer was not valid");
}

TEST_F(WaveLoad, LoadedWaveIsHeardOnTheDevice) {
  Start();
  Bytes data;
  for (int i = 0; i < 300; ++i) data.push_back(static_cast<std::uint8_t>(i % 100 + 20));
  MixWave* wave = LoadImage(Wave(1, 11025, 8, data));
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  MixPlayParams params{};
  params.Size = sizeof params;
  params.Session = session_;
  params.Wave = wave;
  WaveMixPlay(&params);
  device_->Advance(1000, [] { msg::DispatchPostedMessages(); });
  const Bytes& heard = device_->Recording();
  // A request ends on its last byte without mixing it, so all but that byte are heard.
  EXPECT_NE(std::search(heard.begin(), heard.end(), data.begin(), data.end() - 1), heard.end());
  WaveMixActivate(session_, false);
  WaveMixFreeWave(session_, wave);
}

}  // namespace
