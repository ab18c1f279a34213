// SPDX-License-Identifier: MIT
#include "platform/qt/picture_control.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace qtui {

namespace {

// Why a bitmap could not be read, in the game's language.
std::string Reason(const QImageReader& reader, const QString& path) {
  switch (reader.error()) {
    case QImageReader::FileNotFoundError:
      return QFileInfo::exists(path) ? "ファイルを開けません" : "ファイルがありません";
    case QImageReader::DeviceError:
      return "ファイルを読めません";
    case QImageReader::UnsupportedFormatError:
    case QImageReader::InvalidDataError:
      return "ビットマップの形式ではありません";
    case QImageReader::UnknownError:
      break;
  }
  return "原因がわかりません";
}

}  // namespace

PictureControl::PictureControl(QWidget* parent, bool stretch)
    : QWidget(parent), stretch_(stretch), canvas_(&image_, [this] { PictureChanged(); }) {
  setFocusPolicy(Qt::NoFocus);
}

void PictureControl::LoadFromFile(const std::string& path) {
  const QString file = QString::fromStdString(path);
  QImageReader reader(file, "bmp");
  QImage loaded = reader.read();
  if (loaded.isNull()) {
    throw PictureLoadError("ビットマップを読み込めません（" + Reason(reader, file) + "）\r" + path);
  }
  image_ = loaded.convertToFormat(QImage::Format_RGB32);
  fileName_ = path;
  PictureChanged();
}

void PictureControl::NewPicture(int width, int height) {
  image_ = QImage(width, height, QImage::Format_RGB32);
  image_.fill(Qt::white);
  fileName_.clear();
  PictureChanged();
}

void PictureControl::Clear() {
  image_ = QImage();
  fileName_.clear();
  PictureChanged();
}

void PictureControl::SetScale(int factor) {
  if (factor < 1 || factor == scale_) return;
  scale_ = factor;
  update();
}

void PictureControl::Describe(const QString& name, const QString& description) {
  // Each setter announces its change to screen readers: set only what changed.
  if (name != accessibleName()) setAccessibleName(name);
  if (description != accessibleDescription()) setAccessibleDescription(description);
}

void PictureControl::PictureChanged() {
  update();
}

void PictureControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.isNull()) {
    paintedKey_ = 0;
    return;
  }
  // Nearest neighbour: pixels stay square, also at a high device pixel ratio.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (stretch_) {
    painter.drawImage(rect(), image_);
  } else {
    painter.drawImage(QRect(QPoint(0, 0), image_.size() * scale_), image_);
  }
  paintedKey_ = image_.cacheKey();
}

}  // namespace qtui
