// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

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
  EXPECT_EQ(ImageError(Wave(1, 11025, 12, {1, 2, 3})), "File format not supported");
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

// WAVE_FORMAT_EXTENSIBLE, 24- and 32-bit integers and 32-bit floats load as the 16-bit PCM
// file with the same samples would; what the conversion does not know is still refused.
TEST_F(WaveLoad, EveryCommonWaveLoadsAsThe16BitFileWithItsSamples) {
  const MixConfig config{sizeof(MixConfig), MixConfigChannels | MixConfigRate, 2, 22};
  session_ = WaveMixInitEx(&config);
  const std::vector<std::int16_t> values = {0, 1, -1, 32767, -32768, 12345, -23456, 256, -257, 77};
  Bytes pcm16, pcm24, pcm32, float32;
  for (std::int16_t v : values) {
    const auto u = static_cast<std::uint16_t>(v);
    PutHalf(pcm16, u);
    pcm24.push_back(0xA5);  // below the top 16 bits: dropped
    PutHalf(pcm24, u);
    PutHalf(pcm32, 0x5AA5);
    PutHalf(pcm32, u);
    float f = static_cast<float>(v) / 32768.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    PutWord(float32, bits);
  }
  const auto samplesOf = [&](const Bytes& image) {
    MixWave* wave = LoadImage(image);
    const Bytes samples = Samples(wave);
    WaveMixFreeWave(session_, wave);
    return samples;
  };
  const Bytes expected = samplesOf(Wave(2, 44100, 16, pcm16));
  const auto load = [&](const Bytes& fmt, const Bytes& data) {
    return samplesOf(Riff({Chunk("fmt ", fmt), Chunk("data", data)}));
  };
  EXPECT_EQ(load(ExtensibleBody(2, 44100, 16, 1), pcm16), expected);
  EXPECT_EQ(load(FormatBody(2, 44100, 24), pcm24), expected);
  EXPECT_EQ(load(ExtensibleBody(2, 44100, 24, 1), pcm24), expected);
  EXPECT_EQ(load(FormatBody(2, 44100, 32), pcm32), expected);
  EXPECT_EQ(load(ExtensibleBody(2, 44100, 32, 1), pcm32), expected);
  EXPECT_EQ(load(FormatBody(2, 44100, 32, 3), float32), expected);
  EXPECT_EQ(load(ExtensibleBody(2, 44100, 32, 3), float32), expected);
  EXPECT_EQ(load(ExtensibleBody(1, 22050, 8, 1), {1, 2, 250}), (Bytes{1, 1, 2, 2, 250, 250}));
  // Floats beyond full scale are clamped, and NaN is silence.
  Bytes loud;
  for (float f : {1.5f, -2.0f, std::nanf("")}) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    PutWord(loud, bits);
  }
  EXPECT_EQ(load(FormatBody(1, 22050, 32, 3), loud), (Bytes{255, 255, 0, 0, 128, 128}));

  EXPECT_EQ(
      ImageError(Riff({Chunk("fmt ", ExtensibleBody(3, 44100, 16, 1)), Chunk("data", pcm16)})),
      "The file has 3 channels; only mono and stereo are supported");
  EXPECT_EQ(
      ImageError(Riff({Chunk("fmt ", ExtensibleBody(2, 44100, 16, 2)), Chunk("data", pcm16)})),
      "The file is not a PCM file");
  Bytes foreign = ExtensibleBody(2, 44100, 16, 1);
  foreign.back() ^= 1;  // another family of sub-formats
  EXPECT_EQ(ImageError(Riff({Chunk("fmt ", foreign), Chunk("data", pcm16)})),
            "The file is not a PCM file");
  Bytes cut = ExtensibleBody(2, 44100, 16, 1);
  cut.resize(30);  // the extension ends before its sub-format
  EXPECT_EQ(ImageError(Riff({Chunk("fmt ", cut), Chunk("data", pcm16)})),
            "Failed to read format chunk");
  EXPECT_EQ(ImageError(Riff({Chunk("fmt ", FormatBody(2, 44100, 64, 3)), Chunk("data", pcm16)})),
            "The file is not a PCM file");
  EXPECT_EQ(ImageError(Wave(1, 11025, 20, {1, 2, 3})), "File format not supported");
}

// Exact rate: a 48 kHz tone keeps its pitch and length in an 11025 Hz session, a tone above
// the output's Nyquist frequency is not heard, a wave at the session's rate is not touched,
// and the 64 MiB bound holds after resampling. Pitch and aliasing are measured on what the
// device played.
TEST_F(WaveLoad, ExactRateKeepsPitchAndLengthAndLetsNoAliasThrough) {
  const auto tone = [](double frequency, double amplitude, int frames) {
    Bytes data;
    for (int i = 0; i < frames; ++i) {
      const double v = amplitude * std::sin(2 * M_PI * frequency * i / 48000.0);
      PutHalf(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767))));
    }
    return Wave(1, 48000, 16, data);
  };
  Start("[default]\nResample=1\n");
  EXPECT_TRUE(session_->exactRate);
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  MixWave* pitch = LoadImage(tone(1000, 0.5, 48000));  // 1 s
  MixWave* alias = LoadImage(tone(8000, 0.5, 48000));  // aliases to 3025 Hz
  EXPECT_EQ(pitch->header.dwBufferLength, 11025u);
  const Bytes same = {1, 2, 3, 250, 7};
  MixWave* unchanged = LoadImage(Wave(1, 11025, 8, same));
  EXPECT_EQ(Samples(unchanged), same);
  const auto heard = [&](MixWave* wave) {
    const std::size_t from = device_->Recording().size();
    MixPlayParams params{};
    params.Size = sizeof params;
    params.Session = session_;
    params.Wave = wave;
    WaveMixPlay(&params);
    device_->Advance(1500, [] { msg::DispatchPostedMessages(); });
    // The middle of the second, clear of the edges where the tone starts and stops.
    const Bytes& all = device_->Recording();
    return Bytes(all.begin() + static_cast<std::ptrdiff_t>(from + 1000),
                 all.begin() + static_cast<std::ptrdiff_t>(from + 10000));
  };
  const Bytes played = heard(pitch);
  std::vector<double> crossings;
  for (std::size_t i = 0; i + 1 < played.size(); ++i) {
    const double a = played[i] - 128.0, b = played[i + 1] - 128.0;
    if (a < 0 && b >= 0) crossings.push_back(static_cast<double>(i) + a / (a - b));
  }
  ASSERT_GT(crossings.size(), 100u);
  const double hz = (crossings.size() - 1) * 11025.0 / (crossings.back() - crossings.front());
  EXPECT_NEAR(hz, 1000.0, 1.0);
  const Bytes aliased = heard(alias);
  EXPECT_EQ(std::count(aliased.begin(), aliased.end(), 128),
            static_cast<std::ptrdiff_t>(aliased.size()));
  WaveMixActivate(session_, false);
  for (MixWave* wave : {pitch, alias, unchanged}) WaveMixFreeWave(session_, wave);
  WaveMixEndSession(session_);

  // 243800 frames at 160 Hz: 67045000 bytes by whole-number ratios (within 64 MiB), 67197375
  // at the exact rate (beyond it).
  const MixConfig config{sizeof(MixConfig), MixConfigRate | MixConfigExactRate, 0, 44};
  session_ = WaveMixInitEx(&config);
  EXPECT_EQ(ImageError(Wave(1, 160, 16, Bytes(487600, 0))), kOutOfMemory);
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
