// SPDX-License-Identifier: MIT
#include "lettering.h"

#include <QFontMetricsF>
#include <cmath>

QFont PixelFont(const char* family, int pixelSize, bool bold) {
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

void OutlinedText(QPainter& p, double centreX, double baseline, const QString& text,
                  const QFont& font, const QColor& fill, const QColor& outline,
                  const QColor& shadow) {
  p.save();
  p.setFont(font);
  const double x = std::round(centreX - QFontMetricsF(font).horizontalAdvance(text) / 2);
  const double y = std::round(baseline);
  p.setPen(shadow);
  for (int dx = 0; dx <= 2; ++dx) p.drawText(QPointF(x + dx, y + 2), text);
  p.setPen(outline);
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (dx != 0 || dy != 0) p.drawText(QPointF(x + dx, y + dy), text);
    }
  }
  p.setPen(fill);
  p.drawText(QPointF(x, y), text);
  p.restore();
}

void ShadowedText(QPainter& p, double centreX, double baseline, const QString& text,
                  const QFont& font, const QColor& fill, const QColor& shadow) {
  p.save();
  p.setFont(font);
  const double x = std::round(centreX - QFontMetricsF(font).horizontalAdvance(text) / 2);
  const double y = std::round(baseline);
  p.setPen(shadow);
  p.drawText(QPointF(x + 1, y + 1), text);
  p.setPen(fill);
  p.drawText(QPointF(x, y), text);
  p.restore();
}
