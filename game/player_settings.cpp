// SPDX-License-Identifier: MIT
#include "game/player_settings.h"

#include <QFileInfo>
#include <QSettings>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace brandel {

namespace {

int IntOr(const QSettings& file, const char* key, int fallback) {
  bool ok = false;
  const int value = file.value(key).toInt(&ok);
  return ok ? value : fallback;
}

// "true"/"false" as QSettings writes them, and 1/0 as people do; anything else is the default.
bool BoolOr(const QSettings& file, const char* key, bool fallback) {
  const QString text = file.value(key).toString().trimmed().toLower();
  if (text == QLatin1String("true") || text == QLatin1String("1")) return true;
  if (text == QLatin1String("false") || text == QLatin1String("0")) return false;
  return fallback;
}

}  // namespace

std::string PlayerSettingsPath(const std::string& configHome) {
  return configHome.empty() ? std::string() : configHome + "/brandel2/brandel2.conf";
}

int ClampVolume(int percent) {
  const int step = PlayerSettings::kVolumeStep;
  return (std::clamp(percent, 0, 100) + step / 2) / step * step;
}

bool SettingsFile::Usable() const {
  if (path_.empty()) return false;
  const QFileInfo info(QString::fromStdString(path_));
  return !info.exists() || info.isFile();
}

PlayerSettings SettingsFile::Load() const {
  PlayerSettings settings;
  if (!Usable()) return settings;
  const QSettings file(QString::fromStdString(path_), QSettings::IniFormat);
  settings.zoom =
      std::clamp(IntOr(file, setting::kZoom, settings.zoom), 1, PlayerSettings::kMaxZoom);
  settings.fullscreen = BoolOr(file, setting::kFullscreen, settings.fullscreen);
  settings.effectsVolume =
      ClampVolume(IntOr(file, setting::kEffectsVolume, settings.effectsVolume));
  settings.musicVolume = ClampVolume(IntOr(file, setting::kMusicVolume, settings.musicVolume));
  settings.mute = BoolOr(file, setting::kMute, settings.mute);
  settings.quickResponse = BoolOr(file, setting::kQuickResponse, settings.quickResponse);
  return settings;
}

void SettingsFile::Save(const char* key, const QVariant& value) {
  if (!Usable()) {
    ReportUnwritable();
    return;
  }
  QSettings file(QString::fromStdString(path_), QSettings::IniFormat);
  file.setValue(key, value);
  file.sync();
  if (file.status() != QSettings::NoError) ReportUnwritable();
}

void SettingsFile::ReportUnwritable() {
  if (std::exchange(reported_, true)) return;
  std::fprintf(stderr, "brandel2: cannot save the settings in %s; the game plays on.\n",
               path_.empty() ? "(no home folder)" : path_.c_str());
}

}  // namespace brandel
