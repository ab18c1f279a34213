// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstring>

#include "platform/mci/mci.h"

namespace mci {
namespace {

const char* ErrorText(MCIERROR error) {
  switch (error) {
    case MCIERR_INVALID_DEVICE_ID:
      return "The device identifier does not belong to an open music device.";
    case MCIERR_UNRECOGNIZED_COMMAND:
      return "The music device does not know this command.";
    case MCIERR_INVALID_DEVICE_NAME:
      return "The only music device type here is \"sequencer\", which plays MIDI files.";
    case MCIERR_OUT_OF_MEMORY:
      return "There are not enough resources to open the music device.";
    case MCIERR_MISSING_PARAMETER:
      return "The command lacks a parameter it needs.";
    case MCIERR_UNSUPPORTED_FUNCTION:
      return "The music device cannot carry out this command with these options.";
    case MCIERR_FILE_NOT_FOUND:
      return "The music file was not found or could not be read.";
    case MCIERR_INVALID_FILE:
      return "The music file is not a standard MIDI file that can be played.";
    case MCIERR_NULL_PARAMETER_BLOCK:
      return "The command was given no parameter block.";
    case MCIERR_EXTENSION_NOT_FOUND:
      return "No music device plays files with this extension; MIDI files end in \".mid\".";
    case MCIERR_NO_SOUNDFONT:
      return "No General MIDI soundfont could be loaded to play music (install "
             "timgm6mb-soundfont, or name a soundfont in BRANDEL_SOUNDFONT).";
    case MCIERR_NO_AUDIO_DEVICE:
      return "No audio output device is available to play music.";
    case MCIERR_SYNTH_FAILED:
      return "The MIDI synthesizer could not be started.";
    default:
      return nullptr;
  }
}

}  // namespace

bool mciGetErrorString(MCIERROR error, char* buffer, std::uint32_t length) {
  const char* text = ErrorText(error);
  if (buffer == nullptr || length == 0) return text != nullptr;
  if (text == nullptr) {
    buffer[0] = '\0';
    return false;
  }
  const std::size_t copied = std::min<std::size_t>(std::strlen(text), length - 1);
  std::memcpy(buffer, text, copied);
  buffer[copied] = '\0';
  return true;
}

}  // namespace mci
