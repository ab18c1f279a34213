// SPDX-License-Identifier: MIT
// Scales a fixed layout by whole factors: every child control keeps its place and size times
// the factor, its font's pixel size likewise, and a picture control draws its pixels as
// squares of that side. Factor 1 at the origin is the layout exactly as it was recorded.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace brandel {

class WindowScale {
 public:
  // Records the layout of window's child controls as it stands now (factor 1).
  explicit WindowScale(QWidget* window);

  // Lays the controls out at factor, shifted by origin (which is where the layout's top-left
  // corner goes); fonts and pictures follow.
  void Apply(int factor, QPoint origin = {});

  int Factor() const { return factor_; }
  QPoint Origin() const { return origin_; }
  QSize BaseSize() const { return baseSize_; }
  // The layout's area in the window at the current factor.
  QRect Area() const { return QRect(origin_, baseSize_ * factor_); }

  // The largest whole factor (at least 1) at which the layout fits into room.
  int LargestFactor(QSize room) const;

 private:
  struct Control {
    QWidget* widget;
    QRect geometry;
    QFont font;
  };
  QWidget* window_;
  QSize baseSize_;
  QFont baseFont_;
  std::vector<Control> controls_;
  int factor_ = 1;
  QPoint origin_;
};

// The font at factor times its size (pixel size when it has one, else point size).
QFont ScaledFont(const QFont& font, int factor);

}  // namespace brandel
