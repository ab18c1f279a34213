// SPDX-License-Identifier: MIT
// The real-time wave mixer: load waves once (converted to one 8-bit output format), play
// them on eight channels with queueing, looping, priority and end-of-wave notification,
// and feed the summed blocks to a wave-output device.
//
// Every routine runs on the UI thread (the thread that drains posted messages). Every
// failure raises EWaveMixError with a fixed English message; there are no error codes.
// Handles are checked against the live session and the live waves before anything is read
// through them. This header is the whole interface: it brings the message layer, the wave
// records and the sources of WaveMixOpenWave with it.
#pragma once

#include <wavemix/export.h>
#include <wavemix/memory_file.h>
#include <wavemix/messages.h>
#include <wavemix/resources.h>
#include <wavemix/wave_format.h>

#include <cstdint>
#include <stdexcept>
#include <string>

// ---- Errors -------------------------------------------------------------------------

class WAVEMIX_API EWaveMixError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  // Out of line, so the library holds the one type description a caller's catch matches.
  ~EWaveMixError() override;
};

// ---- Constants ----------------------------------------------------------------------

constexpr int MixChannelCount = 8;

// MixConfig::flags
constexpr std::uint32_t MixConfigChannels = 0x0001;
constexpr std::uint32_t MixConfigRate = 0x0002;
// Read from the full record only (size == sizeof(MixConfig)); a 10-byte record ignores them.
constexpr std::uint32_t MixConfigBlocks = 0x0004;     // use blockCount and blockLength
constexpr std::uint32_t MixConfigExactRate = 0x0008;  // resample waves to the session's rate

// MixPlayParams::Flags (only the low byte is examined)
constexpr std::uint32_t MixPlayQueue = 0x00;
constexpr std::uint32_t MixPlayClearQueue = 0x01;
constexpr std::uint32_t MixPlayLeastRecent = 0x02;
constexpr std::uint32_t MixPlayHighPriority = 0x04;
constexpr std::uint32_t MixPlayWait = 0x08;
constexpr std::uint16_t MixLoopForever = 0xFFFF;

// WaveMixOpenChannels flags (a plain value)
constexpr std::int32_t MixOpenOne = 0;
constexpr std::int32_t MixOpenAll = 1;
constexpr std::int32_t MixOpenCount = 2;

// WaveMixFlushChannels / WaveMixCloseChannels flags (bits)
constexpr std::int32_t MixAllChannels = 0x01;
constexpr std::int32_t MixNoRemix = 0x02;

// WaveMixGetChannelStatus bits
constexpr std::uint32_t MixChannelOpen = 0x01;
constexpr std::uint32_t MixChannelSounding = 0x02;  // one of its requests is being heard
constexpr std::uint32_t MixChannelQueued = 0x04;    // requests that are still to be heard

// WaveMixOpenWave source modes (bits, tested in this order: resource, memory, else file)
constexpr std::uint32_t MixOpenFromFile = 0x01;
constexpr std::uint32_t MixOpenFromResource = 0x02;
constexpr std::uint32_t MixOpenFromMemory = 0x04;

// ---- Records ------------------------------------------------------------------------

struct MixSession;
using HMIXSESSION = MixSession*;  // opaque

#pragma pack(push, 1)
// Optional argument of WaveMixInitEx. size is sizeof(MixConfig) (14), or 10 for the short
// record of the first version, which ends after rateCode; with any other size the whole
// record is ignored.
struct MixConfig {
  std::uint16_t size;
  std::uint32_t flags;
  std::uint16_t channels;  // above 1 asks for stereo
  std::uint16_t rateCode;  // 11, 22 or 44 (kHz)
  // MixConfigBlocks, overriding WAVEMIX.INI and held to the same ranges (initialised, so
  // that a record written for the first version compiles as it did):
  std::uint16_t blockCount = 0;   // 2..6
  std::uint16_t blockLength = 0;  // bytes, 512..4096 (whole frames); 0 = the rate's default
};
#pragma pack(pop)
static_assert(sizeof(MixConfig) == 14);
constexpr std::uint16_t MixConfigShortSize = 10;

// What WaveMixGetPosition reports: the audible position of the output stream.
struct MixPosition {
  std::int64_t frames;
  std::int64_t milliseconds;
};

// One loaded wave, converted to the session's output format. Its address is the wave handle.
struct MixWave {
  wo::PCMWAVEFORMAT format;  // the source file's "fmt " chunk, as stored
  wo::WAVEHDR header;        // lpData / dwBufferLength: the converted samples
  char name[16];             // first 15 characters of the source name, or "res#" + number
};

// Argument record of WaveMixPlay. Size = sizeof(MixPlayParams); not checked.
struct MixPlayParams {
  std::uint16_t Size;
  HMIXSESSION Session;
  std::int32_t Channel;  // with MixPlayLeastRecent, WaveMixPlay writes its choice here
  MixWave* Wave;
  msg::HWND NotifyWindow;  // receives MM_WOM_DONE (wParam channel, lParam wave); 0 = none
  std::uint32_t Flags;
  std::uint16_t Loops;  // extra repetitions; MixLoopForever repeats until flushed
};

// ---- Routines -----------------------------------------------------------------------

WAVEMIX_API HMIXSESSION WaveMixInit();
WAVEMIX_API HMIXSESSION WaveMixInitEx(const MixConfig* config);
WAVEMIX_API void WaveMixEndSession(HMIXSESSION session);

WAVEMIX_API void WaveMixActivate(HMIXSESSION session, bool activate);

// source: a path (file), a resource name or MakeIntResource number (resource, with module),
// or the address of a caller-filled mmio::MMIOINFO describing a memory file (memory).
WAVEMIX_API MixWave* WaveMixOpenWave(HMIXSESSION session, const char* source, res::HMODULE module,
                                     std::uint32_t mode);
WAVEMIX_API void WaveMixFreeWave(HMIXSESSION session, MixWave* wave);

WAVEMIX_API void WaveMixOpenChannels(HMIXSESSION session, std::int32_t channel, std::int32_t flags);
WAVEMIX_API void WaveMixCloseChannels(HMIXSESSION session, std::int32_t channel,
                                      std::int32_t flags);
WAVEMIX_API void WaveMixFlushChannels(HMIXSESSION session, std::int32_t channel,
                                      std::int32_t flags);

WAVEMIX_API void WaveMixPlay(MixPlayParams* params);

// Levels, applied from the next block mixed: volume 0..100 (per cent), pan -100 (left) ..
// +100 (right), 0 = centre; mono sessions ignore pan. Full volume at centre is the plain sum.
WAVEMIX_API void WaveMixSetChannelVolume(HMIXSESSION session, std::int32_t channel,
                                         std::int32_t volume, std::int32_t pan);
WAVEMIX_API void WaveMixGetChannelVolume(HMIXSESSION session, std::int32_t channel,
                                         std::int32_t* volume, std::int32_t* pan);
WAVEMIX_API void WaveMixSetMasterVolume(HMIXSESSION session, std::int32_t volume);
WAVEMIX_API std::int32_t WaveMixGetMasterVolume(HMIXSESSION session);

// Status: MixChannel* bits of one channel, and the position that is being heard.
WAVEMIX_API std::uint32_t WaveMixGetChannelStatus(HMIXSESSION session, std::int32_t channel);
WAVEMIX_API MixPosition WaveMixGetPosition(HMIXSESSION session);
