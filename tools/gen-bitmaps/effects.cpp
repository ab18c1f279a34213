// SPDX-License-Identifier: MIT
#include "effects.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "draw.h"

namespace {

QPointF Polar(QPointF centre, double radius, double radians) {
  return centre + QPointF(std::cos(radians), std::sin(radians)) * radius;
}

QPolygonF StarPolygon(QPointF centre, double outer, double inner, int spikes, double turn) {
  QPolygonF star;
  for (int i = 0; i < spikes * 2; ++i) {
    const double a = turn + i * std::numbers::pi / spikes;
    star << Polar(centre, i % 2 == 0 ? outer : inner, a);
  }
  return star;
}

void FillPolygon(QPainter& p, const QPolygonF& polygon, const QColor& fill, const QColor& outline) {
  QPainterPath path;
  path.addPolygon(polygon);
  path.closeSubpath();
  Shape(p, path, fill, outline);
}

// A band of even width along a straight line.
QPolygonF Beam(QPointF from, QPointF to, double width) {
  const QPointF d = to - from;
  const double len = std::hypot(d.x(), d.y());
  const QPointF side = QPointF(-d.y(), d.x()) / len * (width / 2);
  return QPolygonF({from + side, to + side, to - side, from - side});
}

}  // namespace

void ImpactStar(QPainter& p, QPointF centre, double radius, int spikes, const QColor& fill,
                const QColor& core) {
  FillPolygon(p, StarPolygon(centre, radius, radius * 0.45, spikes, 0.2), fill, pal::kInk);
  FillPolygon(p, StarPolygon(centre, radius * 0.55, radius * 0.25, spikes, 0.2), core, kNoOutline);
}

void SpeedLines(QPainter& p, QPointF focus, double calmRadius, int count, const QColor& color,
                uint32_t seed) {
  for (int i = 0; i < count; ++i) {
    const uint32_t h = Hash(seed + static_cast<uint32_t>(i) * 31u);
    const double a = 2 * std::numbers::pi * i / count + (h % 100) * 0.002;
    const double start = calmRadius + (h >> 8) % 12;
    FillPolygon(p,
                QPolygonF({Polar(focus, start, a), Polar(focus, 200, a - 0.03),
                           Polar(focus, 200, a + 0.03)}),
                color, kNoOutline);
  }
}

void Sparkle(QPainter& p, QPointF c, double r, const QColor& color) {
  FillPolygon(p, StarPolygon(c, r, r * 0.25, 4, -std::numbers::pi / 2), color, kNoOutline);
  Dot(p, c, pal::kWhite);
}

void SlashArc(QPainter& p, QPointF centre, double radius, double fromDegrees, double spanDegrees) {
  QPainterPath arc;
  const QRectF outer(centre - QPointF(radius, radius), centre + QPointF(radius, radius));
  const double inner = radius * 0.8;
  arc.arcMoveTo(outer, fromDegrees);
  arc.arcTo(outer, fromDegrees, spanDegrees);
  arc.arcTo(QRectF(centre - QPointF(inner, inner), centre + QPointF(inner, inner)),
            fromDegrees + spanDegrees, -spanDegrees);
  arc.closeSubpath();
  Shape(p, arc, pal::kWhite, pal::kShield);
}

void LightningBolt(QPainter& p, QPointF from, QPointF to, uint32_t seed) {
  QPolygonF bolt;
  const int steps = 6;
  const QPointF d = to - from;
  const QPointF side = QPointF(-d.y(), d.x()) / std::hypot(d.x(), d.y());
  std::vector<QPointF> spine;
  for (int i = 0; i <= steps; ++i) {
    const double jitter = (i == 0 || i == steps) ? 0.0 : (static_cast<int>(Hash(seed + i) % 9) - 4);
    spine.push_back(from + d * (static_cast<double>(i) / steps) + side * jitter);
  }
  for (size_t i = 0; i < spine.size(); ++i)
    bolt << spine[i] + side * 2.0 * (1.0 - static_cast<double>(i) / steps);
  for (size_t i = spine.size(); i-- > 0;)
    bolt << spine[i] - side * 2.0 * (1.0 - static_cast<double>(i) / steps);
  FillPolygon(p, bolt, pal::kMagicLight, pal::kMagic);
}

void FireStream(QPainter& p, QPointF from, QPointF to, double width) {
  FillPolygon(p,
              QPolygonF({from, to + QPointF(0, -width * 0.6), to + QPointF(width * 0.4, 0),
                         to + QPointF(0, width * 0.6)}),
              pal::kFlameOuter, pal::kInk);
  const QPointF mid = from + (to - from) * 0.85;
  FillPolygon(p,
              QPolygonF({from, mid + QPointF(0, -width * 0.35), mid + QPointF(width * 0.25, 0),
                         mid + QPointF(0, width * 0.35)}),
              pal::kFlameMid, kNoOutline);
  const QPointF core = from + (to - from) * 0.6;
  FillPolygon(p,
              QPolygonF({from, core + QPointF(0, -width * 0.15), core + QPointF(width * 0.1, 0),
                         core + QPointF(0, width * 0.15)}),
              pal::kFlameCore, kNoOutline);
  Flames(p, to + QPointF(0, width * 0.3), width * 0.9);
}

void Flames(QPainter& p, QPointF b, double s) {
  FillPolygon(p,
              QPolygonF({b + QPointF(-s * 0.5, 0), b + QPointF(-s * 0.4, -s * 0.6),
                         b + QPointF(-s * 0.15, -s * 0.35), b + QPointF(0, -s),
                         b + QPointF(s * 0.2, -s * 0.4), b + QPointF(s * 0.4, -s * 0.7),
                         b + QPointF(s * 0.5, 0)}),
              pal::kFlameOuter, pal::kInk);
  FillPolygon(p,
              QPolygonF({b + QPointF(-s * 0.3, 0), b + QPointF(-s * 0.1, -s * 0.3),
                         b + QPointF(0, -s * 0.65), b + QPointF(s * 0.15, -s * 0.3),
                         b + QPointF(s * 0.3, 0)}),
              pal::kFlameMid, kNoOutline);
  FillPolygon(
      p, QPolygonF({b + QPointF(-s * 0.12, 0), b + QPointF(0, -s * 0.3), b + QPointF(s * 0.12, 0)}),
      pal::kFlameCore, kNoOutline);
}

void Explosion(QPainter& p, QPointF c, double r) {
  FillPolygon(p, StarPolygon(c, r, r * 0.7, 11, 0.1), pal::kFlameOuter, pal::kInk);
  FillPolygon(p, StarPolygon(c, r * 0.75, r * 0.5, 9, 0.4), pal::kFlameMid, kNoOutline);
  Ellipse(p, c, r * 0.35, r * 0.35, pal::kFlameCore, kNoOutline);
}

void SmokeColumn(QPainter& p, QPointF base, double height, uint32_t seed) {
  for (int i = 0; i < 6; ++i) {
    const double t = i / 5.0;
    const double drift = static_cast<int>(Hash(seed + i) % 7) - 3;
    const double r = 3 + t * height * 0.18;
    Ellipse(p, base + QPointF(drift + t * 6, -t * height), r, r * 0.8,
            i % 2 ? pal::kSmoke : pal::kSmokeLight, kNoOutline);
  }
}

void Laser(QPainter& p, QPointF from, QPointF to, double width) {
  FillPolygon(p, Beam(from, to, width), pal::kLaser, kNoOutline);
  FillPolygon(p, Beam(from, to, std::max(1.0, width * 0.35)), pal::kLaserCore, kNoOutline);
}

void ShieldBubble(QPainter& p, QPointF c, double rx, double ry) {
  QPainterPath bubble;
  bubble.addEllipse(c, rx, ry);
  Dither(p, bubble, pal::kShield);
  Outline(p, bubble, pal::kShieldLight);
  QPainterPath inner;
  inner.addEllipse(c, rx - 2, ry - 2);
  Outline(p, inner, pal::kShield);
  // A glint in the upper left.
  Line(p, c + QPointF(-rx * 0.6, -ry * 0.4), c + QPointF(-rx * 0.3, -ry * 0.7), pal::kWhite);
}

void Heart(QPainter& p, QPointF c, double s, const QColor& color) {
  QPainterPath heart;
  heart.moveTo(c + QPointF(0, s * 0.9));
  heart.cubicTo(c + QPointF(-s * 1.3, -s * 0.1), c + QPointF(-s * 0.6, -s * 1.1),
                c + QPointF(0, -s * 0.35));
  heart.cubicTo(c + QPointF(s * 0.6, -s * 1.1), c + QPointF(s * 1.3, -s * 0.1),
                c + QPointF(0, s * 0.9));
  Shape(p, heart, color);
  Dot(p, c + QPointF(-s * 0.45, -s * 0.35), pal::kWhite);
}

void SoundWaves(QPainter& p, QPointF origin, bool towardsLeft, int rings) {
  for (int i = 1; i <= rings; ++i) {
    const double r = 6.0 * i;
    QPainterPath arc;
    const QRectF box(origin - QPointF(r, r), origin + QPointF(r, r));
    const double start = towardsLeft ? 140 : -40;
    arc.arcMoveTo(box, start);
    arc.arcTo(box, start, 80);
    Outline(p, arc, pal::kWhite);
    arc.translate(0, 1);
    Outline(p, arc, pal::kInk);
  }
}

void RumbleLines(QPainter& p, QPointF c, double h) {
  // Quake marks: short upright strokes, longest in the middle, as the ground shakes.
  for (int i = -2; i <= 2; ++i) {
    const double len = h * (1.0 - std::abs(i) * 0.3);
    const QPointF top = c + QPointF(i * 3, -len / 2);
    Fill(p, QRectF(top.x(), top.y(), 1, len), pal::kWhite);
  }
}

void GroundShadow(QPainter& p, QPointF c, double rx) {
  QPainterPath shadow;
  shadow.addEllipse(c, rx, rx * 0.22);
  Dither(p, shadow, pal::kInk);
}

void UpArrow(QPainter& p, QPointF tip, double s, const QColor& color) {
  Polygon(p,
          {tip, tip + QPointF(s, s), tip + QPointF(s * 0.4, s), tip + QPointF(s * 0.4, s * 2),
           tip + QPointF(-s * 0.4, s * 2), tip + QPointF(-s * 0.4, s), tip + QPointF(-s, s)},
          color);
}
