// SPDX-License-Identifier: MIT
// The output clock: maps the stream position to what is audible now, from the device's byte
// count (goodWavePos 1) or from the millisecond timer. Both count whole frames.
#include "wavemix/internal.h"

namespace wavemix {

namespace {

std::uint32_t DeviceBytes(wo::HWAVEOUT device) {
  if (device == nullptr) return 0;
  wo::MMTIME time{wo::TIME_BYTES, 0};
  wo::waveOutGetPosition(device, &time, sizeof time);
  return time.cb;
}

// The device clock is position = device count + d, modulo 2^32 as the count itself wraps;
// d is kept as a direction and a size that is never negative.
void SetDeviceOffset(MixSession& session, std::uint32_t d) {
  if (d <= 0x7FFFFFFFu) {
    session.offsetProc = AddOffset;
    session.positionOffset = static_cast<std::int32_t>(d);
  } else {
    session.offsetProc = SubtractOffset;
    session.positionOffset = static_cast<std::int32_t>(0u - d);
  }
}

std::uint32_t DeviceOffset(const MixSession& session) {
  const auto size = static_cast<std::uint32_t>(session.positionOffset);
  return session.offsetProc == SubtractOffset ? 0u - size : size;
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
  // Whole frames: never between the two bytes of a stereo frame.
  const std::uint32_t elapsed = wo::timeGetTime() - session->timeBase;
  const std::int64_t frames =
      static_cast<std::int64_t>(elapsed) * session->outputFormat.nSamplesPerSec / 1000;
  return static_cast<std::int32_t>(frames * session->outputFormat.nBlockAlign);
}

void SetPosition(std::int32_t position) {
  MixSession* session = CurrentSession;
  SetDeviceOffset(*session, static_cast<std::uint32_t>(position) - DeviceBytes(session->device));
  // The first whole millisecond at which the timer reaches the position: a position the
  // timer itself gave (a remix, a deactivation) reads back exactly, so a remix repeats
  // nothing; any other reads back at most a millisecond later.
  const std::uint32_t rate = session->outputFormat.nAvgBytesPerSec;
  const std::int64_t elapsedMs = (static_cast<std::int64_t>(position) * 1000 + rate - 1) / rate;
  session->timeBase = wo::timeGetTime() - static_cast<std::uint32_t>(elapsedMs);
  session->mixPosition = position;
}

void ShiftClock(std::int32_t by) {
  MixSession& session = *CurrentSession;
  SetDeviceOffset(session, DeviceOffset(session) - static_cast<std::uint32_t>(by));
  // by is whole seconds of output, so the timer moves by whole milliseconds exactly.
  session.timeBase += static_cast<std::uint32_t>(static_cast<std::int64_t>(by) * 1000 /
                                                 session.outputFormat.nAvgBytesPerSec);
}

void ResetOutput(wo::HWAVEOUT device) {
  const std::int32_t audible = CurrentPosition(device, CurrentSession->goodWavePos);
  wo::waveOutReset(device);
  SetPosition(audible);
}

}  // namespace wavemix
