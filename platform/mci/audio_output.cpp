// SPDX-License-Identifier: MIT
#include "platform/mci/audio_output.h"

#include <cstdlib>

#include "platform/waveout/output_choice.h"

namespace mci {

std::string MusicRecordingPath(const std::string& mixerRecording) {
  const auto slash = mixerRecording.rfind('/');
  const auto dot = mixerRecording.rfind('.');
  const bool hasExtension =
      dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1);
  if (!hasExtension) return mixerRecording + ".music";
  return mixerRecording.substr(0, dot) + ".music" + mixerRecording.substr(dot);
}

MCIERROR AudioOutput::Open(double sampleRate, RenderFunction render, void* context,
                           std::unique_ptr<AudioOutput>* output) {
  // An unknown value is reported by the mixer, which reads the variable first; both use SDL.
  const wo::OutputChoice choice = wo::ParseOutputChoice(std::getenv("WAVEMIX_OUTPUT"));
  if (choice.kind == wo::OutputChoice::kNull) {
    *output = OpenNullMusicOutput(
        sampleRate, render, context,
        choice.wavPath.empty() ? std::string() : MusicRecordingPath(choice.wavPath));
  } else {
    *output = OpenSdlMusicOutput(sampleRate, render, context);
  }
  return *output ? 0 : MCIERR_NO_AUDIO_DEVICE;
}

}  // namespace mci
