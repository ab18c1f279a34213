// SPDX-License-Identifier: MIT
// Media control interface: command messages with parameter blocks, sent to numbered devices,
// over one device type: the MIDI sequencer, played by FluidSynth with a General MIDI
// soundfont.
//
//   open   (MCI_OPEN,   device 0)  MCI_OPEN_ELEMENT: the file; the device is picked by its
//                                  extension (".mid", ".midi", ".rmi"), or MCI_OPEN_TYPE
//                                  "sequencer". The synthesizer (preloaded, or loaded here)
//                                  and the audio output are taken here, so a missing
//                                  soundfont or audio device fails the open.
//   play   (MCI_PLAY)              from the current position to the end, once; returns at
//                                  once. With MCI_NOTIFY the callback window gets
//                                  MM_MCINOTIFY (wParam MCI_NOTIFY_*, lParam the device) when
//                                  the last event has played.
//   seek   (MCI_SEEK)              MCI_SEEK_TO_START only; stops playback.
//   status (MCI_STATUS)            MCI_STATUS_ITEM: length and position in milliseconds, mode.
//   close  (MCI_CLOSE)             stops the music and frees the device.
//
// A pending notification ends with MCI_NOTIFY_SUPERSEDED when a later play asks for one,
// and with MCI_NOTIFY_ABORTED when a seek or close stops the music first. The audio output is
// held only while there is something to hear: it is let go once the music has ended and died
// away, at a seek and at close, and taken again by the next play.
//
// Every command runs on the UI thread, the one that drains the message layer. The audio
// thread only posts to the layer's own hidden window; its procedure turns that into the
// caller's MM_MCINOTIFY.
//
// Environment: BRANDEL_SOUNDFONT replaces the soundfont (default
// /usr/share/sounds/sf2/default-GM.sf2); WAVEMIX_OUTPUT chooses the audio output, as it does
// for the mixer (audio_output.h).
#pragma once

#include <cstdint>

#include "platform/messages/messages.h"

namespace mci {

using MCIDEVICEID = std::uint32_t;
using MCIERROR = std::uint32_t;

// ---- Commands and flags -------------------------------------------------------------

constexpr msg::UINT MCI_OPEN = 0x803;
constexpr msg::UINT MCI_CLOSE = 0x804;
constexpr msg::UINT MCI_PLAY = 0x806;
constexpr msg::UINT MCI_SEEK = 0x807;
constexpr msg::UINT MCI_STATUS = 0x814;

constexpr std::uint32_t MCI_NOTIFY = 0x1;
constexpr std::uint32_t MCI_WAIT = 0x2;
constexpr std::uint32_t MCI_FROM = 0x4;
constexpr std::uint32_t MCI_TO = 0x8;
constexpr std::uint32_t MCI_OPEN_SHAREABLE = 0x100;
constexpr std::uint32_t MCI_OPEN_ELEMENT = 0x200;
constexpr std::uint32_t MCI_OPEN_TYPE = 0x2000;
constexpr std::uint32_t MCI_SEEK_TO_START = 0x100;
constexpr std::uint32_t MCI_STATUS_ITEM = 0x100;

constexpr std::uint32_t MCI_STATUS_LENGTH = 1;
constexpr std::uint32_t MCI_STATUS_POSITION = 2;
constexpr std::uint32_t MCI_STATUS_MODE = 4;

constexpr std::uint32_t MCI_MODE_STOP = 525;
constexpr std::uint32_t MCI_MODE_PLAY = 526;

// The notification message and its wParam values.
constexpr msg::UINT MM_MCINOTIFY = 0x3B9;
constexpr msg::WPARAM MCI_NOTIFY_SUCCESSFUL = 1;
constexpr msg::WPARAM MCI_NOTIFY_SUPERSEDED = 2;
constexpr msg::WPARAM MCI_NOTIFY_ABORTED = 4;

// ---- Parameter blocks ---------------------------------------------------------------

struct MCI_GENERIC_PARMS {
  msg::HWND dwCallback = 0;
};

struct MCI_OPEN_PARMS {
  msg::HWND dwCallback = 0;
  MCIDEVICEID wDeviceID = 0;  // out: the new device
  const char* lpstrDeviceType = nullptr;
  const char* lpstrElementName = nullptr;  // backslashes are read as separators
  const char* lpstrAlias = nullptr;
};

struct MCI_PLAY_PARMS {
  msg::HWND dwCallback = 0;
  std::uint32_t dwFrom = 0;
  std::uint32_t dwTo = 0;
};

struct MCI_SEEK_PARMS {
  msg::HWND dwCallback = 0;
  std::uint32_t dwTo = 0;
};

struct MCI_STATUS_PARMS {
  msg::HWND dwCallback = 0;
  std::uintptr_t dwReturn = 0;  // out
  std::uint32_t dwItem = 0;
  std::uint32_t dwTrack = 0;
};

// ---- Errors -------------------------------------------------------------------------

constexpr MCIERROR MCIERR_BASE = 256;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
constexpr MCIERROR MCIERR_OUT_OF_MEMORY = MCIERR_BASE + 8;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = MCIERR_BASE + 18;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;
constexpr MCIERROR MCIERR_INVALID_FILE = MCIERR_BASE + 40;
constexpr MCIERROR MCIERR_NULL_PARAMETER_BLOCK = MCIERR_BASE + 41;
constexpr MCIERROR MCIERR_EXTENSION_NOT_FOUND = MCIERR_BASE + 45;
// This layer's own: what can go wrong with a software synthesizer.
constexpr MCIERROR MCIERR_CUSTOM_DRIVER_BASE = MCIERR_BASE + 256;
constexpr MCIERROR MCIERR_NO_SOUNDFONT = MCIERR_CUSTOM_DRIVER_BASE + 1;
constexpr MCIERROR MCIERR_NO_AUDIO_DEVICE = MCIERR_CUSTOM_DRIVER_BASE + 2;
constexpr MCIERROR MCIERR_SYNTH_FAILED = MCIERR_CUSTOM_DRIVER_BASE + 3;

// ---- Entry points -------------------------------------------------------------------

// param points to the command's parameter block (MCI_OPEN_PARMS for MCI_OPEN, ...). Returns
// 0 or an MCIERR_ code.
MCIERROR mciSendCommand(MCIDEVICEID device, msg::UINT command, std::uint32_t flags, void* param);

// Copies the text for an error code into buffer (cut to fit, always terminated). False,
// with an empty buffer, for a code this layer does not know.
bool mciGetErrorString(MCIERROR error, char* buffer, std::uint32_t length);

}  // namespace mci
