// SPDX-License-Identifier: MIT
#include "game/window_scale.h"

#include <algorithm>

#include "platform/qt/picture_control.h"

namespace brandel {

QFont ScaledFont(const QFont& font, int factor) {
  QFont scaled = font;
  if (font.pixelSize() > 0) {
    scaled.setPixelSize(font.pixelSize() * factor);
  } else {
    scaled.setPointSizeF(font.pointSizeF() * factor);
  }
  return scaled;
}

WindowScale::WindowScale(QWidget* window)
    : window_(window), baseSize_(window->size()), baseFont_(window->font()) {
  for (QObject* child : window->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    // Menus and boxes are windows of their own, scaled where they are made.
    if (widget == nullptr || widget->isWindow()) continue;
    controls_.push_back({widget, widget->geometry(), widget->font()});
  }
}

void WindowScale::Apply(int factor, QPoint origin) {
  factor_ = std::max(1, factor);
  origin_ = origin;
  window_->setFont(ScaledFont(baseFont_, factor_));
  for (const Control& control : controls_) {
    const QRect& g = control.geometry;
    control.widget->setGeometry(origin_.x() + g.x() * factor_, origin_.y() + g.y() * factor_,
                                g.width() * factor_, g.height() * factor_);
    control.widget->setFont(ScaledFont(control.font, factor_));
    if (auto* picture = dynamic_cast<qtui::PictureControl*>(control.widget)) {
      picture->SetScale(factor_);
    }
  }
}

int WindowScale::LargestFactor(QSize room) const {
  if (baseSize_.isEmpty()) return 1;
  return std::max(1,
                  std::min(room.width() / baseSize_.width(), room.height() / baseSize_.height()));
}

}  // namespace brandel
