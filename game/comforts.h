// SPDX-License-Identifier: MIT
// The player's comforts around the game window, as additions that leave its layout alone:
// zoom and fullscreen, the effects' and the music's volume, mute and quick response, a context
// menu (right click, the Menu key, Shift+F10), the keys box and gamepad play. They are kept in
// the settings file between starts. With no setting changed the game looks and sounds as made.
#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QShortcut>
#include <memory>
#include <optional>
#include <string>

#include "game/display_mode.h"
#include "game/player_settings.h"
#include "game/sound_levels.h"

namespace qtui {
class Dialogs;
}

namespace brandel {

class TForm1;
class PadControl;

// The keys box: every key and gamepad button, one per line (CR breaks lines, as in every box).
extern const char* const kKeysText;

// What the command line asks for this start only; the settings file keeps its own values.
struct DisplayRequest {
  std::optional<int> zoom;
  std::optional<bool> fullscreen;
};

class Comforts : public QObject {
 public:
  // Reads the settings from settingsPath (empty: defaults, nothing saved), applies them and the
  // request to form, and takes the keys, the context menu and the gamepads. Goes before form.
  Comforts(TForm1* form, qtui::Dialogs* boxes, const std::string& settingsPath,
           const DisplayRequest& request = {});
  ~Comforts() override;

  const PlayerSettings& Settings() const { return settings_; }
  DisplayMode& Display() { return display_; }
  const PadControl* Pads() const { return pads_.get(); }

  void SetZoom(int factor);
  void SetFullscreen(bool on);
  void SetEffectsVolume(int percent);
  void SetMusicVolume(int percent);
  void SetMute(bool on);
  void SetQuickResponse(bool on);
  void ShowKeys();
  // Opens the context menu at a point of the screen; returns it (it closes by itself).
  QMenu* ShowMenu(QPoint globalPos);

 private:
  // The shortcut of the last key.
  QShortcut* AddShortcut(const QList<QKeySequence>& keys, void (Comforts::*action)());
  void ZoomIn() { SetZoom(display_.Zoom() + 1); }
  void ZoomOut() { SetZoom(display_.Zoom() - 1); }
  void ZoomReset() { SetZoom(1); }
  void ToggleFullscreen() { SetFullscreen(!display_.Fullscreen()); }
  void LeaveFullscreen() { SetFullscreen(false); }
  void ToggleMute() { SetMute(!settings_.mute); }
  void MenuAtFocus();
  void DisplayChanged();
  QMenu* NewMenu(QWidget* parent) const;

  TForm1* form_;
  qtui::Dialogs* boxes_;
  SettingsFile file_;
  PlayerSettings settings_;
  DisplayMode display_;
  SoundLevels sound_;
  std::unique_ptr<PadControl> pads_;
  QPointer<QMenu> menu_;
  QPointer<QShortcut> leaveFullscreen_;
};

}  // namespace brandel
