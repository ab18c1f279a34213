// SPDX-License-Identifier: MIT
// The wave-output layer: the operations of the classic wave-output interface, over a
// back end chosen by the environment variable WAVEMIX_OUTPUT:
//   sdl (default)      real devices through SDL2 audio (callback mode)
//   null               one silent device that plays in real time
//   null:PATH.wav      the same, writing everything it plays to PATH.wav: one byte per byte
//                      of time, 128 while it runs dry or is paused (and for the time it
//                      stays closed between openings of the same format)
// An unknown value is reported on stderr and sdl is used. The choice is read at first use.
// Tests and offline rendering install the virtual device instead (virtual_device.h).
//
// Formats: 8-bit PCM, mono or stereo. Header size arguments are not checked (the platform's
// 32-byte header is a different size here). Every device plays, reports and resets in whole
// frames of the format it was opened with.
//
// Threading: every call comes from the UI thread. A back end's own thread never touches a
// caller's record: it only posts "block finished" (MM_WOM_DONE) through the message layer;
// WHDR_DONE is set on the UI thread when that message is dispatched, or at reset, and only
// when the message belongs to the block's latest write.
#pragma once

#include <cstdint>

#include "platform/messages/messages.h"
#include "wavemix/wave_format.h"

namespace wo {

using MMRESULT = std::uint32_t;
enum : MMRESULT {
  MMSYSERR_NOERROR = 0,
  MMSYSERR_ERROR = 1,
  MMSYSERR_BADDEVICEID = 2,
  MMSYSERR_ALLOCATED = 4,
  MMSYSERR_INVALHANDLE = 5,
  MMSYSERR_NODRIVER = 6,
  MMSYSERR_NOMEM = 7,
  MMSYSERR_INVALFLAG = 10,
  MMSYSERR_INVALPARAM = 11,
  WAVERR_BADFORMAT = 32,
  WAVERR_STILLPLAYING = 33,
  WAVERR_UNPREPARED = 34,
};

constexpr msg::UINT MM_WOM_OPEN = 0x3BB;
constexpr msg::UINT MM_WOM_CLOSE = 0x3BC;

constexpr std::uint32_t WAVE_MAPPER = 0xFFFFFFFFu;  // device number -1
constexpr std::uint32_t WAVE_FORMAT_QUERY = 0x0001;
constexpr std::uint32_t CALLBACK_WINDOW = 0x00010000;
constexpr std::uint32_t WHDR_DONE = 0x01;
constexpr std::uint32_t WHDR_PREPARED = 0x02;
constexpr std::uint32_t WHDR_INQUEUE = 0x10;
constexpr std::uint32_t WAVECAPS_SYNC = 0x0010;
constexpr std::uint32_t TIME_BYTES = 0x0004;

struct WAVEOUTCAPS {
  std::uint16_t wMid;
  std::uint16_t wPid;
  std::uint32_t vDriverVersion;
  char szPname[32];  // product name, NUL-terminated, at most 31 characters
  std::uint32_t dwFormats;
  std::uint16_t wChannels;
  std::uint16_t wReserved1;
  std::uint32_t dwSupport;
};
static_assert(sizeof(WAVEOUTCAPS) == 52);

struct MMTIME {
  std::uint32_t wType;  // TIME_BYTES on input; the format actually used on output
  std::uint32_t cb;     // bytes played since open or the last reset
};

// A device's two positions at one moment, in bytes (whole frames) since open or the last
// reset. `consumed` is what it has taken from the written blocks and can no longer give back;
// `audible` trails it by what the device's own buffer still holds. Right after a reset that
// buffer may still play what was taken before it, so `audible` may be negative.
struct WaveOutPositions {
  std::uint32_t consumed;
  std::int32_t audible;
};

using HWAVEOUT = struct WaveOutDevice*;

// Device numbers: 0 is the system's default output, the back end's other devices follow.
std::uint32_t waveOutGetNumDevs();
MMRESULT waveOutGetDevCaps(std::uint32_t deviceId, WAVEOUTCAPS* caps, std::uint32_t size);
// With WAVE_FORMAT_QUERY only asks whether the format is playable (handle may be null).
// With CALLBACK_WINDOW the device posts MM_WOM_DONE (lParam = the header) to that window.
MMRESULT waveOutOpen(HWAVEOUT* handle, std::uint32_t deviceId, const PCMWAVEFORMAT* format,
                     msg::HWND callbackWindow, std::uintptr_t instance, std::uint32_t flags);
MMRESULT waveOutClose(HWAVEOUT device);
MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, std::uint32_t size);
MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, std::uint32_t size);
// Copies the header's samples into the device's queue and clears WHDR_DONE.
MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, std::uint32_t size);
MMRESULT waveOutPause(HWAVEOUT device);
MMRESULT waveOutRestart(HWAVEOUT device);
// Stops at once, marks every written block done (each still gets its MM_WOM_DONE later)
// and restarts the position at 0.
MMRESULT waveOutReset(HWAVEOUT device);
// Bytes the device has consumed minus what still sits in its own buffer, in whole frames,
// from 0 (see waveOutGetPositions).
MMRESULT waveOutGetPosition(HWAVEOUT device, MMTIME* time, std::uint32_t size);
// Both positions, for a caller that must know what it can still replace (consumed) as well
// as what has been heard (audible).
MMRESULT waveOutGetPositions(HWAVEOUT device, WaveOutPositions* positions);

// Millisecond clock; under the virtual device it is the virtual clock.
std::uint32_t timeGetTime();

// Stops the simple sound player; there is none here, so it only reports success.
bool sndPlaySoundStop();

// An audible alarm (the terminal bell on stderr); never used for normal output.
void MessageBeep(std::uint32_t type);

}  // namespace wo
