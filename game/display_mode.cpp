// SPDX-License-Identifier: MIT
#include "game/display_mode.h"

#include <QEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <algorithm>

#include "platform/qt/screen_fit.h"

namespace brandel {

DisplayMode::DisplayMode(QWidget* window) : window_(window), scale_(window) {
  window_->installEventFilter(this);
}

QSize DisplayMode::FrameExtra() const {
  // Known once the window manager has framed the window; nothing before.
  return window_->frameGeometry().size() - window_->size();
}

int DisplayMode::LargestZoom() const {
  const QScreen* screen = window_->screen();
  if (screen == nullptr) return 1;
  return scale_.LargestFactor(screen->availableGeometry().size() - FrameExtra());
}

void DisplayMode::SetZoom(int factor) {
  const int zoom = std::clamp(factor, 1, LargestZoom());
  if (zoom == zoom_) return;
  zoom_ = zoom;
  if (!fullscreen_) {
    ApplyWindowed();
    qtui::KeepOnScreen(window_);
  }
  if (changed_) changed_();
}

void DisplayMode::SetFullscreen(bool on) {
  if (on == fullscreen_) return;
  fullscreen_ = on;
  if (on) {
    // Where the window's inside was: the frame is gone while fullscreen, so its outer corner
    // could not be given back.
    windowedPos_ = window_->geometry().topLeft();
    // A window manager refuses fullscreen to a window that may not change its size.
    window_->setMinimumSize(0, 0);
    window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window_->showFullScreen();
    LayOutFullscreen();
  } else {
    window_->showNormal();
    ApplyWindowed();
    window_->setGeometry(QRect(windowedPos_, window_->size()));
    qtui::KeepOnScreen(window_);
  }
  window_->update();
  if (changed_) changed_();
}

void DisplayMode::ApplyWindowed() {
  scale_.Apply(zoom_);
  window_->setFixedSize(scale_.BaseSize() * zoom_);
}

void DisplayMode::LayOutFullscreen() {
  const QSize room = window_->size();
  const int factor = scale_.LargestFactor(room);
  const QSize game = scale_.BaseSize() * factor;
  const QPoint origin((room.width() - game.width()) / 2, (room.height() - game.height()) / 2);
  if (factor == scale_.Factor() && origin == scale_.Origin()) return;
  scale_.Apply(factor, origin);
  if (changed_) changed_();
}

bool DisplayMode::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && fullscreen_) {
    if (event->type() == QEvent::Resize) {
      LayOutFullscreen();
    } else if (event->type() == QEvent::Paint) {
      // The game keeps its window colour; everything around it is black.
      QPainter painter(window_);
      painter.setClipRegion(QRegion(window_->rect()).subtracted(QRegion(scale_.Area())));
      painter.fillRect(window_->rect(), Qt::black);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace brandel
