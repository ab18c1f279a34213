// SPDX-License-Identifier: MIT
// Session creation and validation: picks the device, reads WAVEMIX.INI and fixes the output
// format, block count and block length.
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "platform/ini/ini_reader.h"
#include "platform/module/module.h"
#include "wavemix/internal.h"

namespace wavemix {

namespace {

constexpr const char* GeneralSectionName = "general";
constexpr const char* NotCompatibleSectionName = "not compatible";
constexpr const char* UnknownDeviceName = "Unknown Device";

// What the capability query tells us; the fallback when it fails is a plain mono device.
struct DeviceTraits {
  char productName[32] = {};
  std::uint16_t channels = 1;
  std::uint32_t support = 0;
};

std::int32_t ReadSetting(const char* section, const char* key, std::int32_t def) {
  return ini::GetPrivateProfileInt(section, key, def, SettingsFileName);
}

std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high) {
  return value < low ? low : (value > high ? high : value);
}

DeviceTraits QueryDevice(std::int32_t deviceNumber) {
  DeviceTraits traits;
  wo::WAVEOUTCAPS caps{};
  if (wo::waveOutGetDevCaps(static_cast<std::uint32_t>(deviceNumber), &caps, sizeof caps) ==
      wo::MMSYSERR_NOERROR) {
    std::memcpy(traits.productName, caps.szPname, sizeof caps.szPname);
    traits.productName[sizeof traits.productName - 1] = '\0';
    traits.channels = caps.wChannels;
    traits.support = caps.dwSupport;
  } else {
    std::strcpy(traits.productName, UnknownDeviceName);
  }
  return traits;
}

// Whole frames, so every block, and the mix position after it, starts on a frame.
std::int32_t WholeFrameBlock(std::int32_t length) {
  const std::int32_t frame = CurrentSession->outputFormat.nBlockAlign;
  const std::int32_t clamped = Clamp(length, 512, WaveBlockDataSize);
  return clamped - clamped % frame;
}

// 2048 bytes at 11025 samples per second, 4096 at the higher rates.
std::int32_t DefaultBlockLength() {
  const std::int32_t scaled =
      2048 * static_cast<std::int32_t>(CurrentSession->outputFormat.nSamplesPerSec / 11025);
  return scaled > WaveBlockDataSize ? WaveBlockDataSize : scaled;
}

// The caller's record, read no further than its size: a short record of the first version
// keeps its meaning, and the fields and flags it has no room for count as absent.
std::optional<MixConfig> ReadConfig(const MixConfig* given) {
  if (given == nullptr) return std::nullopt;
  MixConfig config{};
  if (given->size == sizeof(MixConfig)) {
    std::memcpy(static_cast<void*>(&config), given, sizeof config);
  } else if (given->size == MixConfigShortSize) {
    std::memcpy(static_cast<void*>(&config), given, MixConfigShortSize);
    config.flags &= MixConfigChannels | MixConfigRate;
  } else {
    return std::nullopt;
  }
  return config;
}

// Frees a session that failed its device checks and raises the message.
[[noreturn]] void Abandon(MixSession* session, const std::string& message) {
  delete session;
  CurrentSession = nullptr;
  LiveSession = nullptr;
  Fail(message);
}

}  // namespace

MixSession* ValidateSession(HMIXSESSION handle) {
  // Only the live session's address is ever read through: a stale or foreign pointer is
  // refused by comparison alone.
  if (handle == nullptr || handle != LiveSession || handle->headMagic != SessionMagic ||
      handle->tailMagic != SessionMagic) {
    Fail("Invalid Session handle");
  }
  return handle;
}

void MixerStartup() {
  errno = 0;
  if (module::ProgramFilePath().empty()) {
    Fail("GetModuleFileName error #" + std::to_string(errno));
  }
  if (!msg::RegisterClass(CallbackClassName, MixWindowProc)) {
    const std::uint32_t code = msg::GetLastError();
    if (code != msg::ERROR_CLASS_ALREADY_EXISTS && code != 0) {
      Fail("Error registering class #" + std::to_string(code));
    }
  }
  // A second initialisation fails once start-up is done; it must not take back the nodes
  // that the live session has queued.
  if (LiveSession == nullptr) ResetPlayNodePool();
}

std::int32_t ChooseBlockLength(std::int32_t fallback) {
  const std::int32_t perDevice = ReadSetting(CurrentSession->sectionName, "WaveBlockLen", 0);
  if (perDevice != 0) return WholeFrameBlock(perDevice);
  if (fallback != 0) return Clamp(fallback, 512, WaveBlockDataSize);
  return DefaultBlockLength();
}

}  // namespace wavemix

using namespace wavemix;

HMIXSESSION WaveMixInit() {
  MixConfig config{};
  config.size = sizeof(MixConfig);
  return WaveMixInitEx(&config);
}

HMIXSESSION WaveMixInitEx(const MixConfig* given) {
  MixerStartup();
  if (CurrentSession != nullptr || LiveSession != nullptr) Fail("Session already initialized");
  const std::optional<MixConfig> read = ReadConfig(given);
  const MixConfig* config = read ? &*read : nullptr;

  const std::uint32_t deviceCount = wo::waveOutGetNumDevs();
  if (deviceCount == 0) Fail("No wave output devices available");

  MixSession* session = new (std::nothrow) MixSession();
  if (session == nullptr) Fail(OutOfMemoryMessage);
  CurrentSession = session;
  LiveSession = session;

  session->headMagic = SessionMagic;
  session->tailMagic = SessionMagic;
  for (PlayNode*& head : session->channelTable) head = ClosedChannel();
  session->outputFormat = {wo::WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8};

  const std::int32_t defaultRemix = ReadSetting(DefaultSectionName, "Remix", 1);
  const std::int32_t defaultGoodWavePos = ReadSetting(DefaultSectionName, "GoodWavePos", 0);
  const std::int32_t defaultWaveBlocks = ReadSetting(DefaultSectionName, "WaveBlocks", 3);
  const std::int32_t defaultWaveBlockLen =
      ReadSetting(DefaultSectionName, "WaveBlockLen", 0) & 0xFFFC;
  const std::int32_t defaultSamplesPerSec = ReadSetting(DefaultSectionName, "SamplesPerSec", 11);
  const std::int32_t defaultResample = ReadSetting(DefaultSectionName, "Resample", 0);

  session->deviceNumber = ReadSetting(GeneralSectionName, "WaveOutDevice", 0);
  if (static_cast<std::int64_t>(session->deviceNumber) >= deviceCount) session->deviceNumber = -1;

  const DeviceTraits device = QueryDevice(session->deviceNumber);
  const std::string product = device.productName;
  if (device.support & wo::WAVECAPS_SYNC) {
    Abandon(session, product + " is a syncronous (blocking) " +
                         "wave output device.  This will not permit audio to play while other " +
                         "applications are running");
  }
  if (ReadSetting(NotCompatibleSectionName, device.productName, 0) != 0) {
    Abandon(session, product + " is not compatible with " + "the realtime wavemixer");
  }

  std::memcpy(session->sectionName, device.productName, sizeof session->sectionName);
  const char* section = session->sectionName;
  session->remixProc =
      ReadSetting(section, "Remix", defaultRemix) == 2 ? DeferToMixPosition : RemixFromPosition;
  session->goodWavePos =
      static_cast<std::uint8_t>(ReadSetting(section, "GoodWavePos", defaultGoodWavePos) & 0xFF);
  session->blockCount = Clamp(ReadSetting(section, "WaveBlocks", defaultWaveBlocks), 2, MaxWaveBlocks);

  wo::PCMWAVEFORMAT& format = session->outputFormat;
  if (config != nullptr && (config->flags & MixConfigChannels) && config->channels > 1 &&
      device.channels > 1) {
    format.nChannels = 2;
    format.nBlockAlign = 2;
  }
  std::int32_t rateCode = ReadSetting(section, "SamplesPerSec", defaultSamplesPerSec);
  if (config != nullptr && (config->flags & MixConfigRate) &&
      (config->rateCode == 11 || config->rateCode == 22 || config->rateCode == 44)) {
    rateCode = config->rateCode;
  }
  format.nSamplesPerSec = rateCode == 22 ? 22050 : (rateCode == 44 ? 44100 : 11025);
  format.nAvgBytesPerSec = format.nChannels * format.nSamplesPerSec;

  session->blockLength = ChooseBlockLength(defaultWaveBlockLen);
  if (config != nullptr && (config->flags & MixConfigBlocks)) {
    session->blockCount = Clamp(config->blockCount, 2, MaxWaveBlocks);
    session->blockLength =
        config->blockLength == 0 ? DefaultBlockLength() : WholeFrameBlock(config->blockLength);
  }
  session->exactRate = ReadSetting(section, "Resample", defaultResample) == 1 ||
                       (config != nullptr && (config->flags & MixConfigExactRate));
  ResetLevels(*session);
  return session;
}
