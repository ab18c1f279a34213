// SPDX-License-Identifier: MIT
// How big the game window is shown: a windowed zoom by whole factors, fixed-size at each and
// wholly on the screen, or fullscreen, where the game is drawn at the largest whole factor that
// fits, centred on black. Leaving fullscreen gives back the windowed zoom and position.
#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

#include "game/window_scale.h"

namespace brandel {

class DisplayMode : public QObject {
 public:
  // Records the window's layout as it stands (factor 1); changes nothing yet.
  explicit DisplayMode(QWidget* window);

  int Zoom() const { return zoom_; }
  bool Fullscreen() const { return fullscreen_; }
  // The factor the game is drawn at now: the zoom, or fullscreen's own.
  int ShownFactor() const { return scale_.Factor(); }
  // The largest windowed zoom the screen's available area holds (title bar included).
  int LargestZoom() const;

  // Clamped to 1..LargestZoom(). In fullscreen it is kept for when fullscreen is left.
  void SetZoom(int factor);
  void SetFullscreen(bool on);

  // Called after every change of what is shown.
  void SetOnChange(std::function<void()> changed) { changed_ = std::move(changed); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyWindowed();
  void LayOutFullscreen();
  QSize FrameExtra() const;

  QWidget* window_;
  WindowScale scale_;
  int zoom_ = 1;
  bool fullscreen_ = false;
  QPoint windowedPos_;
  std::function<void()> changed_;
};

}  // namespace brandel
