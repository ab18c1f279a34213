// SPDX-License-Identifier: MIT
#include "backdrops.h"

#include <cmath>
#include <numbers>

#include "draw.h"

void Sky(QPainter& p, const QColor& top, const QColor& low, int horizon) {
  Bands(p, QRect(0, 0, kPictureWidth, horizon), top, low, 7);
}

void Stars(QPainter& p, int count, uint32_t seed, int belowY) {
  for (int i = 0; i < count; ++i) {
    const uint32_t h = Hash(seed * 977u + static_cast<uint32_t>(i));
    const int x = static_cast<int>(h % kPictureWidth);
    const int y = static_cast<int>((h >> 8) % static_cast<uint32_t>(belowY));
    Dot(p, QPointF(x, y), pal::kStar);
    if ((h >> 20) % 5 == 0) {  // a few bright ones with a cross
      Dot(p, QPointF(x - 1, y), pal::kStar);
      Dot(p, QPointF(x + 1, y), pal::kStar);
      Dot(p, QPointF(x, y - 1), pal::kStar);
      Dot(p, QPointF(x, y + 1), pal::kStar);
    }
  }
}

void Moon(QPainter& p, QPointF centre, double radius) {
  QPainterPath disc;
  disc.addEllipse(centre, radius, radius);
  QPainterPath bite;
  bite.addEllipse(centre + QPointF(radius * 0.55, -radius * 0.3), radius * 0.9, radius * 0.9);
  Shape(p, disc.subtracted(bite), pal::kMoon, kNoOutline);
}

void Sun(QPainter& p, QPointF centre, double radius, bool rays) {
  if (rays) {
    for (int i = 0; i < 12; ++i) {
      const double a = i * std::numbers::pi / 6;
      Line(p, centre + QPointF(std::cos(a), std::sin(a)) * (radius + 2),
           centre + QPointF(std::cos(a), std::sin(a)) * (radius + 5), pal::kSun);
    }
  }
  Ellipse(p, centre, radius, radius, pal::kSun, kNoOutline);
  Ellipse(p, centre - QPointF(radius * 0.3, radius * 0.3), radius * 0.35, radius * 0.35,
          pal::kFlameCore, kNoOutline);
}

void Cloud(QPainter& p, QPointF c, double s, const QColor& color) {
  QPainterPath cloud;
  cloud.setFillRule(Qt::WindingFill);  // the puffs overlap; the overlaps must stay filled
  cloud.addEllipse(c + QPointF(-7, 0) * s, 6 * s, 4 * s);
  cloud.addEllipse(c + QPointF(0, -2) * s, 7 * s, 5 * s);
  cloud.addEllipse(c + QPointF(7, 0) * s, 6 * s, 4 * s);
  cloud.addRect(QRectF(c + QPointF(-12, 0) * s, c + QPointF(12, 4) * s));
  Shape(p, cloud, color, kNoOutline);
  // A shaded underside gives the cloud its volume.
  Fill(p, QRectF(c + QPointF(-11, 3) * s, c + QPointF(11, 4) * s), Mix(color, pal::kDayTop, 0.3));
}

namespace {

struct Palette {
  QColor walls[3];
  QColor lit, dark;
  int litPercent;
};

Palette CityPalette(CityMood mood) {
  switch (mood) {
    case CityMood::kDay:
      return {
          {pal::kBuildingA, pal::kBuildingB, pal::kBuildingC}, pal::kDayLow, pal::kWindowDark, 55};
    case CityMood::kNight:
      return {{pal::kBuildingNight, Mix(pal::kBuildingNight, pal::kBlack, 0.4),
               Mix(pal::kBuildingNight, pal::kBuildingB, 0.4)},
              pal::kWindowLit,
              pal::kWindowDark,
              45};
    case CityMood::kBurning:
      return {{Mix(pal::kBuildingB, pal::kFireTop, 0.5), Mix(pal::kBuildingA, pal::kFireTop, 0.4),
               Mix(pal::kRuin, pal::kFireTop, 0.3)},
              pal::kFlameMid,
              pal::kRuin,
              60};
    case CityMood::kRuined:
      return {{pal::kRuin, Mix(pal::kRuin, pal::kBlack, 0.4), Mix(pal::kRuin, pal::kFireTop, 0.3)},
              pal::kFlameOuter,
              pal::kBlack,
              25};
    case CityMood::kDawn:
      return {{Mix(pal::kBuildingB, pal::kDuskTop, 0.4), Mix(pal::kBuildingA, pal::kDuskTop, 0.3),
               Mix(pal::kBuildingC, pal::kDawnLow, 0.2)},
              pal::kWindowLit,
              pal::kWindowDark,
              20};
  }
  return CityPalette(CityMood::kDay);
}

}  // namespace

void City(QPainter& p, int groundY, int maxHeight, CityMood mood, uint32_t seed) {
  const Palette colours = CityPalette(mood);
  int x = -static_cast<int>(Hash(seed) % 6);
  for (uint32_t i = 0; x < kPictureWidth; ++i) {
    const uint32_t h = Hash(seed * 131u + i);
    const int width = 10 + static_cast<int>(h % 12);
    int height =
        maxHeight / 2 + static_cast<int>((h >> 8) % static_cast<uint32_t>(maxHeight / 2 + 1));
    const QColor wall = colours.walls[(h >> 16) % 3];
    const int top = groundY - height;
    if (mood == CityMood::kRuined) {
      // Broken tops: a jagged edge instead of a roof.
      const double w = width;
      Polygon(p,
              {QPointF(x, groundY), QPointF(x, top + 4), QPointF(x + w * 0.3, top),
               QPointF(x + w * 0.45, top + 6), QPointF(x + w * 0.7, top + 2),
               QPointF(x + w, top + 8), QPointF(x + w, groundY)},
              wall, kNoOutline);
      height -= 8;
    } else {
      Fill(p, QRectF(x, top, width, height), wall);
      Fill(p, QRectF(x, top, width, 1),
           Mix(wall, pal::kWhite, 0.25));  // roof edge catches the light
      if ((h >> 24) % 4 == 0) Fill(p, QRectF(x + width / 2, top - 4, 1, 4), wall);  // antenna
    }
    // Windows: 2 x 2 with a one-pixel gap, some lit.
    for (int wy = groundY - height + 3; wy < groundY - 3; wy += 4) {
      for (int wx = x + 2; wx < x + width - 3; wx += 4) {
        const bool lit = Hash(h ^ static_cast<uint32_t>(wx * 7919 + wy)) % 100 <
                         static_cast<uint32_t>(colours.litPercent);
        Fill(p, QRectF(wx, wy, 2, 2), lit ? colours.lit : colours.dark);
      }
    }
    x += width + static_cast<int>((h >> 28) % 3);
  }
}

void Road(QPainter& p, int top) {
  Fill(p, QRectF(0, top, kPictureWidth, kPictureHeight - top), pal::kRoad);
  Fill(p, QRectF(0, top, kPictureWidth, 1), Mix(pal::kRoad, pal::kWhite, 0.3));  // kerb
  const int middle = (top + kPictureHeight) / 2;
  for (int x = 2; x < kPictureWidth; x += 14) Fill(p, QRectF(x, middle, 7, 1), pal::kRoadMark);
}

void Meadow(QPainter& p, int top, const QColor& grass, const QColor& tufts) {
  Bands(p, QRect(0, top, kPictureWidth, kPictureHeight - top), grass, Mix(grass, tufts, 0.6), 3);
  for (int i = 0; i < 40; ++i) {
    const uint32_t h = Hash(static_cast<uint32_t>(i) + 4242u);
    const double x = h % kPictureWidth;
    const double y = top + 3 + (h >> 8) % static_cast<uint32_t>(kPictureHeight - top - 3);
    Line(p, QPointF(x, y), QPointF(x - 1, y - 2), tufts);
    Line(p, QPointF(x + 1, y), QPointF(x + 2, y - 2), tufts);
  }
}

void HillTop(QPainter& p, QPointF centre, double rx, double ry, const QColor& color) {
  Ellipse(p, centre, rx, ry, color, kNoOutline);
}
