// SPDX-License-Identifier: MIT
// The drawing surface of a picture: brush, font, fill, stretching copy and opaque text.
//
// Rectangles are given as left, top, right, bottom with right and bottom exclusive. A source
// rectangle whose bottom lies above its top is copied mirrored top to bottom.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <functional>

namespace qtui {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class Canvas {
 public:
  // Draws on *image; calls changed() after every drawing operation.
  Canvas(QImage* image, std::function<void()> changed);

  void SetBrushColor(QColor color) { brushColor_ = color; }
  QColor BrushColor() const { return brushColor_; }
  void SetFontName(const QString& name) { fontName_ = name; }
  void SetFontSize(int points) { fontPoints_ = points; }
  void SetFontColor(QColor color) { fontColor_ = color; }

  // Fills the rectangle with the brush colour.
  void FillRect(Rect rect);
  // Copies a rectangle of source (which may be this surface) into dest, stretching it to fit
  // with nearest-neighbour sampling. A source of zero width or height draws nothing.
  void CopyRect(Rect dest, const Canvas& source, Rect sourceRect);
  // Draws one line of text with its top-left corner at (x, y) on a background of the brush colour.
  void TextOut(int x, int y, const QString& text);

  // Character height in pixels of a font size in points, on the 96-dpi surface pictures assume.
  static int PixelSizeOfPoints(int points);

 private:
  QImage* image_;
  std::function<void()> changed_;
  QColor brushColor_{Qt::white};
  QString fontName_{QStringLiteral("MS Sans Serif")};
  int fontPoints_ = 8;
  QColor fontColor_{Qt::black};
};

}  // namespace qtui
