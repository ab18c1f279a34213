// SPDX-License-Identifier: MIT
#include "platform/mci/synth_preload.h"

#include <future>
#include <string>
#include <utility>

#include "platform/mci/failure_report.h"

namespace mci {
namespace {

struct Loaded {
  MCIERROR error = 0;
  std::unique_ptr<SynthHost> host;
};

struct Preload {
  std::string soundfont;
  std::future<Loaded> pending;  // its destructor waits for a load still running
};

Preload& ThePreload() {
  static Preload preload;
  return preload;
}

Loaded Load(const std::string& soundfont) {
  Loaded loaded;
  loaded.error = SynthHost::Create(soundfont, &loaded.host);
  return loaded;
}

}  // namespace

void PreloadSynthesizer() {
  Preload& preload = ThePreload();
  if (preload.pending.valid()) return;
  preload.soundfont = SoundfontPath();  // read here: the environment is not for other threads
  preload.pending = std::async(std::launch::async, Load, preload.soundfont);
}

void WaitForPreload() {
  Preload& preload = ThePreload();
  if (preload.pending.valid()) preload.pending.wait();
}

MCIERROR TakeSynthesizer(std::unique_ptr<SynthHost>* host) {
  const std::string soundfont = SoundfontPath();
  Preload& preload = ThePreload();
  Loaded loaded;
  if (preload.pending.valid()) {
    loaded = preload.pending.get();
    if (preload.soundfont != soundfont) loaded = Load(soundfont);
  } else {
    loaded = Load(soundfont);
  }
  if (loaded.error == MCIERR_NO_SOUNDFONT) {
    ReportMusicFailure("cannot load the soundfont " + soundfont +
                       "; install timgm6mb-soundfont, or name a General MIDI .sf2 file in "
                       "BRANDEL_SOUNDFONT. The game plays on without music.");
  }
  *host = std::move(loaded.host);
  return loaded.error;
}

}  // namespace mci
