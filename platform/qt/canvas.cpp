// SPDX-License-Identifier: MIT
#include "platform/qt/canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <utility>

namespace qtui {

namespace {

QRect ToQRect(Rect r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

Canvas::Canvas(QImage* image, std::function<void()> changed)
    : image_(image), changed_(std::move(changed)) {}

int Canvas::PixelSizeOfPoints(int points) {
  return (points * 96 + 36) / 72;
}

void Canvas::FillRect(Rect rect) {
  if (image_->isNull()) return;
  QPainter painter(image_);
  painter.fillRect(ToQRect(rect), brushColor_);
  painter.end();
  changed_();
}

void Canvas::CopyRect(Rect dest, const Canvas& source, Rect sourceRect) {
  if (image_->isNull() || source.image_->isNull()) return;
  const int width = sourceRect.right - sourceRect.left;
  const int height = sourceRect.bottom - sourceRect.top;
  if (width == 0 || height == 0 || dest.right == dest.left || dest.bottom == dest.top) return;

  // QPainter ignores a source of negative height, so the band is taken upright and mirrored here.
  const QRect band(std::min(sourceRect.left, sourceRect.right),
                   std::min(sourceRect.top, sourceRect.bottom), std::abs(width), std::abs(height));
  QImage part = source.image_->copy(band);  // a copy, so a surface may copy onto itself
  if (height < 0 || width < 0) part = part.mirrored(width < 0, height < 0);

  QPainter painter(image_);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(ToQRect(dest), part);
  painter.end();
  changed_();
}

void Canvas::TextOut(int x, int y, const QString& text) {
  if (image_->isNull()) return;
  QFont font(fontName_);
  font.setPixelSize(PixelSizeOfPoints(fontPoints_));
  font.setStyleStrategy(
      QFont::NoAntialias);  // the bitmap gets solid pixels, as on the original surface
  const QFontMetrics metrics(font);

  QPainter painter(image_);
  painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), brushColor_);
  painter.setFont(font);
  painter.setPen(fontColor_);
  painter.drawText(QPoint(x, y + metrics.ascent()), text);
  painter.end();
  changed_();
}

}  // namespace qtui
