// SPDX-License-Identifier: MIT
#pragma once
// Crisp lettering for the title and closing pictures: IPA fonts without antialiasing, with a
// one-pixel outline all round and a drop shadow, as pixel-art logos are drawn.

#include <QFont>
#include <QPainter>
#include <QString>

// "IPAPGothic" or "IPAPMincho" (Debian's fonts-ipafont-*), at a size in pixels.
QFont PixelFont(const char* family, int pixelSize, bool bold);
// Draws `text` centred on `centreX` with its baseline at `baseline`.
void OutlinedText(QPainter& p, double centreX, double baseline, const QString& text,
                  const QFont& font, const QColor& fill, const QColor& outline,
                  const QColor& shadow);
// Small text reads better without an outline: only a one-pixel shadow.
void ShadowedText(QPainter& p, double centreX, double baseline, const QString& text,
                  const QFont& font, const QColor& fill, const QColor& shadow);
