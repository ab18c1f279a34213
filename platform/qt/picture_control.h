// SPDX-License-Identifier: MIT
// A picture control: holds one bitmap, shows it (stretched to its own size when asked) and
// exposes the bitmap's drawing surface. The control repaints whenever its bitmap changes.
#pragma once

#include <QImage>
#include <QWidget>
#include <stdexcept>
#include <string>

#include "platform/qt/canvas.h"

namespace qtui {

// A bitmap file that could not be loaded. The message gives the reason, then on a line of its
// own (after a CR, as the boxes break lines) the file.
class PictureLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PictureControl : public QWidget {
 public:
  PictureControl(QWidget* parent, bool stretch);

  // Loads a bitmap file. On failure the control keeps its picture and PictureLoadError is thrown.
  void LoadFromFile(const std::string& path);
  // Gives the control a blank picture of the given size (white, as a new bitmap is).
  void NewPicture(int width, int height);
  // Leaves the control without a picture: an empty display.
  void Clear();
  // A picture that is not stretched is drawn with each pixel as a square of this side (a
  // zoomed window); 1 by default.
  void SetScale(int factor);

  bool HasPicture() const { return !image_.isNull(); }
  const QImage& Picture() const { return image_; }
  // The file of the picture shown, as given to LoadFromFile; empty when none was loaded.
  const std::string& FileName() const { return fileName_; }
  Canvas& GetCanvas() { return canvas_; }
  // QImage::cacheKey of the picture as last painted on screen (0 before the first paint).
  qint64 PaintedKey() const { return paintedKey_; }
  // Tells screen readers what the control shows now: its accessible name and description,
  // announced as changed.
  void Describe(const QString& name, const QString& description);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PictureChanged();

  bool stretch_;
  int scale_ = 1;
  QImage image_;
  std::string fileName_;
  Canvas canvas_;
  qint64 paintedKey_ = 0;
};

}  // namespace qtui
