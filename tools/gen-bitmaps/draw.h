// SPDX-License-Identifier: MIT
#pragma once
// Pixel-art drawing over QPainter: no antialiasing, one-pixel ink outlines whatever the scale,
// and a checkerboard dither for the few see-through things (shadows, shields, smoke).

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdint>
#include <initializer_list>

#include "palette.h"

constexpr int kPictureWidth = 150;
constexpr int kPictureHeight = 100;

QImage NewPicture();
// A painter set up for pixel art on `image`.
void BeginPixelArt(QPainter& p, QImage& image);

// A colour of alpha 0 as outline means "no outline".
inline const QColor kNoOutline{0, 0, 0, 0};

void Fill(QPainter& p, const QRectF& rect, const QColor& color);
void Ellipse(QPainter& p, QPointF centre, double rx, double ry, const QColor& fill,
             const QColor& outline = pal::kInk);
void Polygon(QPainter& p, std::initializer_list<QPointF> points, const QColor& fill,
             const QColor& outline = pal::kInk);
void Shape(QPainter& p, const QPainterPath& path, const QColor& fill,
           const QColor& outline = pal::kInk);
void Outline(QPainter& p, const QPainterPath& path, const QColor& color);
void Line(QPainter& p, QPointF from, QPointF to, const QColor& color);
void Dot(QPainter& p, QPointF at, const QColor& color);
// Every other pixel of `area` (in the painter's current coordinates) in `color`.
void Dither(QPainter& p, const QPainterPath& area, const QColor& color);

// A sky, or any vertical gradient, as flat bands: pixel art shades in steps, not ramps.
void Bands(QPainter& p, const QRect& area, const QColor& top, const QColor& bottom, int bands);
QColor Mix(const QColor& a, const QColor& b, double t);

// Deterministic pseudo-random numbers for placing stars, windows and debris.
uint32_t Hash(uint32_t value);

// Draws in a character's own coordinates: origin at `origin`, `scale` pixels per unit, mirrored
// left to right when `mirrored`. Restores the painter when it goes out of scope.
class LocalFrame {
 public:
  LocalFrame(QPainter& p, QPointF origin, double scale, bool mirrored = false,
             double rotationDegrees = 0);
  ~LocalFrame();
  LocalFrame(const LocalFrame&) = delete;
  LocalFrame& operator=(const LocalFrame&) = delete;

 private:
  QPainter& painter_;
};
