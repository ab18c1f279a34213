// SPDX-License-Identifier: MIT
#include "icons.h"

#include <QPainterPath>
#include <array>

#include "characters.h"
#include "draw.h"

namespace {

constexpr std::array<int, 6> kSizes = {16, 32, 48, 64, 128, 256};
constexpr int kLargestDrawn = 48;
constexpr int kEnlargedFrom = 32;

QImage DrawPortrait(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p;
  BeginPixelArt(p, image);
  QPainterPath badge;
  const double corner = size / 5.0;
  badge.addRoundedRect(QRectF(0, 0, size - 1, size - 1), corner, corner);
  p.setClipPath(badge);
  Bands(p, QRect(0, 0, size, size), pal::kDayTop, pal::kDayLow, 4);
  // Head and shoulders: the ear tips just below the top edge, the belt at the bottom.
  const double scale = size / 30.0;
  DrawHero(p, QPointF(size / 2.0 - 2 * scale, 1 + 38 * scale), scale, false, HeroPose::kStand);
  p.setClipping(false);
  Outline(p, badge, pal::kInk);
  p.end();
  return image;
}

}  // namespace

std::span<const int> IconSizes() {
  return kSizes;
}

QImage DrawIcon(int size) {
  if (size <= kLargestDrawn) return DrawPortrait(size);
  return DrawPortrait(kEnlargedFrom)
      .scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
