// The output clock: maps the stream position to what is audible now, from the device's byte
// count (goodWavePos 1) or from the millisecond timer.
#include "wavemix/internal.h"

namespace wavemix {

namespace {

std::uint32_t DeviceBytes(wo::HWAVEOUT device) {
  if (device == nullptr) return 0;
  wo::MMTIME time{wo::TIME_BYTES, 0};
  wo::waveOutGetPosition(device, &time, sizeof time);
  return time.cb;
}

}  // namespace

// Both in 32-bit arithmetic, wrapping as the device count does.
std::int32_t AddOffset(std::uint32_t deviceCount, std::int32_t offset) {
  return static_cast<std::int32_t>(deviceCount + static_cast<std::uint32_t>(offset));
}

std::int32_t SubtractOffset(std::uint32_t deviceCount, std::int32_t offset) {
  return static_cast<std::int32_t>(deviceCount - static_cast<std::uint32_t>(offset));
}

std::int32_t CurrentPosition(wo::HWAVEOUT device, std::uint8_t mode) {
  const MixSession* session = CurrentSession;
  if (mode == 1) {
    const OffsetProc offset = session->offsetProc != nullptr ? session->offsetProc : AddOffset;
    return offset(DeviceBytes(device), session->positionOffset);
  }
  const std::uint32_t elapsed = wo::timeGetTime() - session->timeBase;
  std::int32_t position = static_cast<std::int32_t>(
      static_cast<std::int64_t>(elapsed) * session->outputFormat.nAvgBytesPerSec / 1000);
  // Never between the two bytes of a stereo frame.
  if (session->outputFormat.nBlockAlign > 1 && (position & 1) != 0) position -= 1;
  return position;
}

void SetPosition(std::int32_t position) {
  MixSession* session = CurrentSession;
  const std::int64_t count = DeviceBytes(session->device);
  if (position > count) {
    session->positionOffset = static_cast<std::int32_t>(position - count);
    session->offsetProc = AddOffset;
  } else {
    session->positionOffset = static_cast<std::int32_t>(count - position);
    session->offsetProc = SubtractOffset;
  }
  const std::int64_t elapsedMs =
      static_cast<std::int64_t>(position) * 1000 / session->outputFormat.nAvgBytesPerSec;
  session->timeBase = wo::timeGetTime() - static_cast<std::uint32_t>(elapsedMs);
  session->mixPosition = position;
}

void ResetOutput(wo::HWAVEOUT device) {
  const std::int32_t audible = CurrentPosition(device, CurrentSession->goodWavePos);
  wo::waveOutReset(device);
  SetPosition(audible);
}

}  // namespace wavemix
