// SPDX-License-Identifier: MIT
// The output clock: maps the stream position to what is audible now, from the device's byte
// count (goodWavePos 1) or from the millisecond timer. Both count whole frames.
//
// The device keeps two counts: what it has taken from the blocks (it cannot give that back)
// and what is audible, which trails by whatever its own buffer still holds. The stream is
// anchored on the first, so that a reset continues exactly where the device stopped taking;
// the second, on the same anchor, says what has been heard. The timer only estimates the
// audible position: it is brought back to the device whenever the two are known to part.
#include "wavemix/internal.h"

namespace wavemix {

namespace {

wo::WaveOutPositions DeviceCounts(wo::HWAVEOUT device) {
  wo::WaveOutPositions counts{0, 0};
  if (device != nullptr) wo::waveOutGetPositions(device, &counts);
  return counts;
}

// Bytes the device has taken but not yet played.
std::int32_t Unheard(const wo::WaveOutPositions& counts) {
  return static_cast<std::int32_t>(counts.consumed - static_cast<std::uint32_t>(counts.audible));
}

std::int32_t OnStream(const MixSession& session, std::uint32_t deviceCount) {
  const OffsetProc offset = session.offsetProc != nullptr ? session.offsetProc : AddOffset;
  return offset(deviceCount, session.positionOffset);
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

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b < 0 ? 1 : 0);
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
  return -FloorDiv(-a, b);
}

// The timer reads `position` from now on: anchored at the first whole millisecond that
// reaches it, so a position the timer itself gave reads back exactly and any other at most a
// millisecond later.
void AnchorTimer(MixSession& session, std::int32_t position) {
  const std::int64_t rate = session.outputFormat.nAvgBytesPerSec;
  const std::int64_t elapsedMs = CeilDiv(std::int64_t{position} * 1000, rate);
  session.timeBase = wo::timeGetTime() - static_cast<std::uint32_t>(elapsedMs);
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
  const MixSession& session = *CurrentSession;
  if (mode == 1) {
    return OnStream(session, static_cast<std::uint32_t>(DeviceCounts(device).audible));
  }
  // Whole frames: never between the two bytes of a stereo frame. The timer may have been
  // anchored a little ahead of now, at a position the device has not played yet.
  const auto elapsed = static_cast<std::int32_t>(wo::timeGetTime() - session.timeBase);
  const std::int64_t frames =
      FloorDiv(std::int64_t{elapsed} * session.outputFormat.nSamplesPerSec, 1000);
  return static_cast<std::int32_t>(frames * session.outputFormat.nBlockAlign);
}

std::int32_t ConsumedPosition(wo::HWAVEOUT device) {
  return OnStream(*CurrentSession, DeviceCounts(device).consumed);
}

std::int32_t EarliestStart() {
  // Before the device's messages after a stall are handled, the timer may still run ahead.
  KeepTimerWithDevice();
  const MixSession& session = *CurrentSession;
  const std::int32_t audible = CurrentPosition(session.device, session.goodWavePos);
  if (session.device == nullptr) return audible;
  // What the device has taken plays as it is: a request placed before it would lose its
  // first bytes.
  const std::int32_t consumed = ConsumedPosition(session.device);
  return audible > consumed ? audible : consumed;
}

void SetPosition(std::int32_t position) {
  MixSession& session = *CurrentSession;
  const wo::WaveOutPositions counts = DeviceCounts(session.device);
  SetDeviceOffset(session, static_cast<std::uint32_t>(position) - counts.consumed);
  AnchorTimer(session, position - Unheard(counts));
  session.mixPosition = position;
}

void KeepTimerWithDevice() {
  MixSession& session = *CurrentSession;
  if (session.goodWavePos == 1 || session.device == nullptr) return;
  const std::int32_t device = CurrentPosition(session.device, 1);
  const std::int32_t timer = CurrentPosition(session.device, 0);
  const std::int64_t apart = std::int64_t{timer} - device;
  if (apart > session.outputFormat.nBlockAlign || -apart > session.outputFormat.nBlockAlign) {
    AnchorTimer(session, device);
  }
}

void ShiftClock(std::int32_t by) {
  MixSession& session = *CurrentSession;
  SetDeviceOffset(session, DeviceOffset(session) - static_cast<std::uint32_t>(by));
  // by is whole seconds of output, so the timer moves by whole milliseconds exactly.
  session.timeBase += static_cast<std::uint32_t>(static_cast<std::int64_t>(by) * 1000 /
                                                 session.outputFormat.nAvgBytesPerSec);
}

void ResetOutput(wo::HWAVEOUT device) {
  // Paused first, the device takes nothing more, so what it has taken is final: the stream
  // goes on from exactly there, neither skipping nor repeating what its buffer still plays.
  wo::waveOutPause(device);
  const std::int32_t consumed = ConsumedPosition(device);
  wo::waveOutReset(device);
  wo::waveOutRestart(device);
  SetPosition(consumed);
}

}  // namespace wavemix
