// SPDX-License-Identifier: MIT
// The mixer's unit-wide state and internal routines, shared by its source files and tests.
// Not part of the public interface.
#pragma once

#include <cstdint>
#include <string>

#include "platform/messages/messages.h"
#include "platform/resources/resources.h"
#include "platform/waveout/wave_out.h"
#include "wavemix/records.h"
#include "wavemix/wavemix.h"

namespace wavemix {

// ---- Unit-wide state (UI thread only) ---------------------------------------------------
extern MixSession* CurrentSession;
// The one session that exists, from its creation to WaveMixEndSession. Handles are compared
// with it before anything is read through them; CurrentSession may be cleared by the block
// pump while the session still lives, so it cannot serve for that.
extern MixSession* LiveSession;
extern MixSession* DeviceOwner;
extern PlayNode PlayNodePool[PlayNodePoolSize];
extern PlayNode* FreePlayNodes;
extern WaveBlock* WaveBlockTable[MaxWaveBlocks];
extern WaveBlock* PlayingHead;
extern WaveBlock* PlayingTail;

// Fixed texts.
inline constexpr const char* SettingsFileName = "WAVEMIX.INI";
inline constexpr const char* DefaultSectionName = "default";
inline constexpr const char* CallbackClassName = "WavMix32";
// The largest wave, once converted, that a load accepts (about 25 minutes of 44 kHz stereo).
inline constexpr std::uint64_t MaxWaveBytes = std::uint64_t{64} << 20;
inline constexpr const char* OutOfMemoryMessage =
    "Unable to allocate memory for waveform data.  Try making more memory available by "
    "closing other applications.";

// ---- Records and pool -------------------------------------------------------------------
void ResetPlayNodePool();
PlayNode* TakePlayNode();
void ReturnPlayNode(PlayNode* node);

// ---- Session and clock ------------------------------------------------------------------
MixSession* ValidateSession(HMIXSESSION handle);  // "Invalid Session handle"
bool IsLiveWave(const MixWave* wave);              // registered by WaveMixOpenWave
void RegisterWave(MixWave* wave);
void UnregisterWave(MixWave* wave);
void MixerStartup();
std::int32_t ChooseBlockLength(std::int32_t fallback);
std::int32_t AddOffset(std::uint32_t deviceCount, std::int32_t offset);
std::int32_t SubtractOffset(std::uint32_t deviceCount, std::int32_t offset);
std::int32_t CurrentPosition(wo::HWAVEOUT device, std::uint8_t mode);
void SetPosition(std::int32_t position);
// Moves the clock back by `by` bytes (whole seconds of output); mixPosition is left alone.
void ShiftClock(std::int32_t by);
void ResetOutput(wo::HWAVEOUT device);

// ---- Long streams -----------------------------------------------------------------------
// Once mixPosition reaches this, every position is moved back by whole seconds.
inline constexpr std::int32_t LongStreamThreshold = 1 << 30;
// Moves every position the session keeps (clock, mix position, blocks, queued requests) back
// by `by` bytes, a whole number of seconds of output; run by the pump.
void ShiftPositions(std::int32_t by);
void KeepPositionsInRange();

// ---- Wave loading -----------------------------------------------------------------------
// Returns the same block or a new one (the given one released); size updated. Blocks come
// from std::malloc and are released with std::free. exactRate: a rate that differs is
// resampled at the wave's own pitch instead of by whole-number ratios.
std::uint8_t* ConvertWaveFormat(const wo::PCMWAVEFORMAT& destination,
                                const wo::PCMWAVEFORMAT& source, std::uint8_t* block,
                                std::uint32_t& size, bool exactRate = false);
// The size ConvertWaveFormat would give `size` source bytes, without converting anything.
std::uint64_t ConvertedSize(const wo::PCMWAVEFORMAT& destination, const wo::PCMWAVEFORMAT& source,
                            std::uint32_t size, bool exactRate = false);
// 16-bit frames of `channels` resampled to 8-bit frames (rounded), exactly `outFrames` of
// them; a new block. Raises the out-of-memory message, or "Failed to convert wave format".
std::uint8_t* ResampleTo8(const std::uint8_t* samples16, std::uint64_t frames,
                          std::uint16_t channels, std::uint32_t fromRate, std::uint32_t toRate,
                          std::uint64_t outFrames);
// Output frames of an exact-rate conversion: the input's duration at the new rate, rounded.
std::uint64_t ResampledFrames(std::uint64_t frames, std::uint32_t fromRate, std::uint32_t toRate);

// How a file stores its samples: integers of 8 to 32 bits, or 32-bit floats.
struct SampleLayout {
  bool isFloat = false;
  std::uint16_t bits = 0;
};
// Samples the conversion steps do not know (over 16 bits, or floats) are first reduced to
// 16 bits, in place.
bool IsWideLayout(const SampleLayout& layout);
std::uint64_t ReducedSize(std::uint64_t size, const SampleLayout& layout);
void ReduceTo16(std::uint8_t* block, std::uint32_t& size, const SampleLayout& layout);

// ---- Mixing and block output ------------------------------------------------------------
void MixSamples(std::uint8_t* destination, const std::uint8_t* const* sources,
                std::uint16_t count, int sourceCount);
// The same with gains: gains[j] points to source j's left and right gain (FullGain = 1);
// the sum is rounded once. rightFirst: destination[0] is a right sample (an odd stream
// position in stereo).
void MixScaledSamples(std::uint8_t* destination, const std::uint8_t* const* sources,
                      const std::int16_t* const* gains, std::uint16_t count, int sourceCount,
                      bool rightFirst);
bool MixBlock(WaveBlock* block, bool write);
WaveBlock* TakeFreeBlock();
void MarkBlockFree(WaveBlock* block);
void AppendPlayingBlock(WaveBlock* block);
WaveBlock* UnlinkPlayingBlock(WaveBlock* block);
void ReleasePlayingBlocks();
void PumpBlocks();
void RetireEndedPlays();
void RemixFromPosition(std::int32_t position, PlayNode* node);

// ---- Activation -------------------------------------------------------------------------
msg::LRESULT MixWindowProc(msg::HWND window, msg::UINT message, msg::WPARAM wParam,
                           msg::LPARAM lParam);
void DeferToMixPosition(std::int32_t position, PlayNode* node);
void OpenOutputDevice();
void CloseOutputDevice(MixSession* session);
void PrepareWaveBlocks(wo::HWAVEOUT device);
void FreeWaveBlocks(wo::HWAVEOUT device);

// ---- Levels and status ------------------------------------------------------------------
// Full volume at centre on every channel and for the session.
void ResetLevels(MixSession& session);

// ---- Channels and play ------------------------------------------------------------------
void ResetClockIfIdle();
// PendingPlays, first in first out.
void AppendPending(MixSession& session, PlayNode* node);
PlayNode* TakePending(MixSession& session);  // null when empty
// Returns every node queued on the open channel to the pool; the channel becomes idle.
void DropChannelQueue(MixSession& session, int channel);

// ---- Shared helpers ---------------------------------------------------------------------
// Raises EWaveMixError with the text.
[[noreturn]] void Fail(const std::string& message);

}  // namespace wavemix
