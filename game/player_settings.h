// SPDX-License-Identifier: MIT
// The player's comforts kept between starts: zoom, fullscreen, the two volumes, mute and quick
// response, in $XDG_CONFIG_HOME/brandel2/brandel2.conf (QSettings' INI format). They never go
// into my.dat, whose format is fixed. A missing, unreadable or malformed file gives the
// defaults; a value out of range is clamped; a file that cannot be written is said once on
// stderr and the game plays on.
#pragma once

#include <QVariant>
#include <string>

namespace brandel {

struct PlayerSettings {
  static constexpr int kMaxZoom = 16;
  static constexpr int kVolumeStep = 10;

  int zoom = 1;  // whole factor of the window; clamped again to what the screen holds
  bool fullscreen = false;
  int effectsVolume = 100;  // per cent, in steps of kVolumeStep; 100 = the sound as mixed
  int musicVolume = 100;
  bool mute = false;
  bool quickResponse = false;  // effects start at what is heard, not after the queued blocks
};

// Keys of the file, by section.
namespace setting {
inline constexpr const char* kZoom = "window/zoom";
inline constexpr const char* kFullscreen = "window/fullscreen";
inline constexpr const char* kEffectsVolume = "sound/effects_volume";
inline constexpr const char* kMusicVolume = "sound/music_volume";
inline constexpr const char* kMute = "sound/mute";
inline constexpr const char* kQuickResponse = "sound/quick_response";
}  // namespace setting

// configHome/brandel2/brandel2.conf; empty when configHome is.
std::string PlayerSettingsPath(const std::string& configHome);

// A volume read from anywhere: clamped to 0..100 and rounded to the nearest step.
int ClampVolume(int percent);

class SettingsFile {
 public:
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  PlayerSettings Load() const;
  // Writes one key, leaving the others as they are in the file. Only what the player changes
  // is written, so a start with --zoom keeps the file's zoom.
  void Save(const char* key, const QVariant& value);

  const std::string& Path() const { return path_; }

 private:
  // False (said once) when the path names something that is not a regular file: QSettings
  // would wait on a FIFO for ever.
  bool Usable() const;
  void ReportUnwritable();

  std::string path_;
  bool reported_ = false;
};

}  // namespace brandel
