// SPDX-License-Identifier: MIT
#include "draw.h"

#include <algorithm>
#include <cmath>

QImage NewPicture() {
  QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
  image.fill(pal::kBlack);
  return image;
}

void BeginPixelArt(QPainter& p, QImage& image) {
  p.begin(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, false);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

namespace {

void SetPens(QPainter& p, const QColor& fill, const QColor& outline) {
  if (outline.alpha() == 0) {
    p.setPen(Qt::NoPen);
  } else {
    QPen pen(outline);
    pen.setCosmetic(true);  // one pixel whatever the frame's scale
    pen.setWidth(1);
    p.setPen(pen);
  }
  p.setBrush(fill);
}

}  // namespace

void Fill(QPainter& p, const QRectF& rect, const QColor& color) {
  p.fillRect(rect, color);
}

void Ellipse(QPainter& p, QPointF centre, double rx, double ry, const QColor& fill,
             const QColor& outline) {
  SetPens(p, fill, outline);
  p.drawEllipse(centre, rx, ry);
}

void Polygon(QPainter& p, std::initializer_list<QPointF> points, const QColor& fill,
             const QColor& outline) {
  SetPens(p, fill, outline);
  p.drawPolygon(points.begin(), static_cast<int>(points.size()));
}

void Shape(QPainter& p, const QPainterPath& path, const QColor& fill, const QColor& outline) {
  SetPens(p, fill, outline);
  p.drawPath(path);
}

void Outline(QPainter& p, const QPainterPath& path, const QColor& color) {
  SetPens(p, QColor(), color);
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void Line(QPainter& p, QPointF from, QPointF to, const QColor& color) {
  QPen pen(color);
  pen.setCosmetic(true);
  pen.setWidth(1);
  p.setPen(pen);
  p.drawLine(from, to);
}

void Dot(QPainter& p, QPointF at, const QColor& color) {
  const QPointF device = p.transform().map(at);
  p.save();
  p.resetTransform();
  p.fillRect(QRectF(std::floor(device.x()), std::floor(device.y()), 1, 1), color);
  p.restore();
}

void Dither(QPainter& p, const QPainterPath& area, const QColor& color) {
  const QPainterPath device = p.transform().map(area);
  const QRect bounds =
      device.boundingRect().toAlignedRect().intersected(QRect(0, 0, kPictureWidth, kPictureHeight));
  p.save();
  p.resetTransform();
  p.setClipPath(device, Qt::IntersectClip);
  for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
    for (int x = bounds.left() + ((bounds.left() + y) & 1); x <= bounds.right(); x += 2) {
      p.fillRect(x, y, 1, 1, color);
    }
  }
  p.restore();
}

QColor Mix(const QColor& a, const QColor& b, double t) {
  auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                channel(a.blue(), b.blue()));
}

void Bands(QPainter& p, const QRect& area, const QColor& top, const QColor& bottom, int bands) {
  bands = std::max(bands, 1);
  for (int i = 0; i < bands; ++i) {
    const int y0 = area.top() + area.height() * i / bands;
    const int y1 = area.top() + area.height() * (i + 1) / bands;
    const double t = bands == 1 ? 0.0 : static_cast<double>(i) / (bands - 1);
    p.fillRect(QRect(area.left(), y0, area.width(), y1 - y0), Mix(top, bottom, t));
  }
}

uint32_t Hash(uint32_t value) {
  value ^= value >> 16;
  value *= 0x7feb352du;
  value ^= value >> 15;
  value *= 0x846ca68bu;
  value ^= value >> 16;
  return value;
}

LocalFrame::LocalFrame(QPainter& p, QPointF origin, double scale, bool mirrored,
                       double rotationDegrees)
    : painter_(p) {
  painter_.save();
  painter_.translate(origin);
  if (rotationDegrees != 0) painter_.rotate(rotationDegrees);
  painter_.scale(mirrored ? -scale : scale, scale);
}

LocalFrame::~LocalFrame() {
  painter_.restore();
}
