// SPDX-License-Identifier: MIT
#include "mixer_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "../wavemix_load/wave_images.h"

namespace mixtest {

HandWave::HandWave(std::vector<std::uint8_t> samples) : samples_(std::move(samples)) {
  wave_.format = {wo::WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8};
  wave_.header.lpData = reinterpret_cast<char*>(samples_.data());
  wave_.header.dwBufferLength = static_cast<std::uint32_t>(samples_.size());
  wavemix::RegisterWave(&wave_);
}

HandWave::~HandWave() { wavemix::UnregisterWave(&wave_); }

std::vector<std::uint8_t> Constant(std::size_t length, std::uint8_t value) {
  return std::vector<std::uint8_t>(length, value);
}

std::vector<std::uint8_t> Ramp(std::size_t length, std::uint8_t first) {
  std::vector<std::uint8_t> bytes(length);
  for (std::size_t i = 0; i < length; ++i) {
    std::uint8_t value = static_cast<std::uint8_t>(first + i % 251);
    if (value == 128) value = 129;
    bytes[i] = value;
  }
  return bytes;
}

std::vector<Notice>& MixerTest::Notices() {
  static std::vector<Notice> notices;
  return notices;
}

namespace {

// The notice window's procedure is a plain function: it reads the time from here.
wo::VirtualDevice* g_device = nullptr;

msg::LRESULT NoticeProc(msg::HWND, msg::UINT message, msg::WPARAM wParam, msg::LPARAM lParam) {
  if (message == wo::MM_WOM_DONE) {
    MixerTest::Notices().push_back({wParam, lParam, g_device != nullptr ? g_device->NowMs() : 0});
  }
  return 0;
}

}  // namespace

void MixerTest::SetUp() {
  msg::ResetForTesting();
  Notices().clear();
  char pattern[] = "/tmp/mixcore-test-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  configDir_ = pattern;
  setenv("XDG_CONFIG_HOME", configDir_.c_str(), 1);
  device_ = &wo::VirtualDevice::Install(11025);
  g_device = device_;
}

void MixerTest::TearDown() {
  if (wavemix::LiveSession != nullptr) {
    try {
      WaveMixEndSession(wavemix::LiveSession);
    } catch (const EWaveMixError&) {
    }
  }
  g_device = nullptr;
  wo::VirtualDevice::Uninstall();
  msg::ResetForTesting();
  std::error_code ignored;
  std::filesystem::remove_all(configDir_, ignored);
}

void MixerTest::WriteSettings(const std::string& text) {
  std::ofstream(configDir_ / "WAVEMIX.INI") << text;
}

namespace {

// Messages posted while draining (end-of-wave notices from the pump) arrive at once too.
void DrainMessages() {
  while (msg::HasPostedMessages()) msg::DispatchPostedMessages();
}

}  // namespace

void MixerTest::Advance(std::uint32_t ms) {
  DrainMessages();  // what was posted before time moves is delivered first, as a loop would
  device_->Advance(ms, DrainMessages);
  DrainMessages();
}

HMIXSESSION MixerTest::Init() {
  session_ = WaveMixInit();
  return session_;
}

HMIXSESSION MixerTest::InitEx(const MixConfig* config) {
  session_ = WaveMixInitEx(config);
  return session_;
}

HMIXSESSION MixerTest::Start() {
  Init();
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  return session_;
}

void MixerTest::Play(int channel, HandWave& wave, std::uint32_t flags, std::uint16_t loops,
                     msg::HWND notify) {
  Play(channel, wave.get(), flags, loops, notify);
}

void MixerTest::Play(int channel, MixWave* wave, std::uint32_t flags, std::uint16_t loops,
                     msg::HWND notify) {
  MixPlayParams params{};
  params.Size = sizeof params;
  params.Session = session_;
  params.Channel = channel;
  params.Wave = wave;
  params.NotifyWindow = notify;
  params.Flags = flags;
  params.Loops = loops;
  WaveMixPlay(&params);
}

msg::HWND MixerTest::NotifyWindow() {
  if (notifyWindow_ == 0) {
    msg::RegisterClass("MixcoreNotice", NoticeProc);
    notifyWindow_ = msg::CreateWindow("MixcoreNotice", 0);
  }
  return notifyWindow_;
}

MixWave* MixerTest::Load(const std::vector<std::uint8_t>& samples) {
  waveimage::Bytes image = waveimage::Wave(1, 11025, 8, samples);
  mmio::MMIOINFO info{};
  info.fccIOProc = mmio::FOURCC_MEM;
  info.pchBuffer = reinterpret_cast<char*>(image.data());
  info.cchBuffer = static_cast<std::int32_t>(image.size());
  return WaveMixOpenWave(session_, reinterpret_cast<const char*>(&info), nullptr,
                         MixOpenFromMemory);
}

int MixerTest::FreeNodeCount() const {
  int count = 0;
  for (const PlayNode* node = wavemix::FreePlayNodes; node != nullptr; node = node->Next) ++count;
  return count;
}

std::vector<std::uint8_t> MixerTest::Heard(std::size_t from, std::size_t count) const {
  const auto& recording = Recording();
  std::vector<std::uint8_t> out(count, 128);
  for (std::size_t i = 0; i < count && from + i < recording.size(); ++i) out[i] = recording[from + i];
  return out;
}

std::uint32_t MixerTest::HeardByMs(std::size_t index) const {
  const wo::PCMWAVEFORMAT& f = session_->outputFormat;
  const std::uint64_t frames = index / f.nBlockAlign + 1;
  return static_cast<std::uint32_t>((frames * 1000 + f.nSamplesPerSec - 1) / f.nSamplesPerSec);
}

std::uint32_t MixerTest::BlockMs() const {
  const std::uint64_t rate = session_->outputFormat.nAvgBytesPerSec;
  return static_cast<std::uint32_t>((std::uint64_t(session_->blockLength) * 1000 + rate - 1) /
                                    rate);
}

void ExpectMessage(const std::function<void()>& call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no error; expected: " << message;
  } catch (const EWaveMixError& error) {
    EXPECT_EQ(std::string(error.what()), message);
  }
}

Expected& Expected::Bytes(const std::vector<std::uint8_t>& bytes, std::size_t from,
                          std::size_t count) {
  bytes_.insert(bytes_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
                bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
  return *this;
}

Expected& Expected::Silence(std::size_t count) { return Fill(count, 128); }

Expected& Expected::Fill(std::size_t count, std::uint8_t value) {
  bytes_.insert(bytes_.end(), count, value);
  return *this;
}

}  // namespace mixtest
