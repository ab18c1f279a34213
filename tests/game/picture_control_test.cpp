// SPDX-License-Identifier: MIT
// The picture control and its drawing surface: mirroring copies, scrolling within a picture,
// opaque text, failed loads, and crisp nearest-neighbour display at any device pixel ratio.
#include "platform/qt/picture_control.h"

#include <QDir>
#include <QPainter>
#include <utility>

#include "game_fixture.h"

namespace brandel::testing {
namespace {

class PictureControlTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    SavePicture("rows.bmp", RowPicture());
    control_ = std::make_unique<qtui::PictureControl>(nullptr, true);
    control_->resize(300, 200);
    control_->LoadFromFile(PicturePath("rows.bmp"));
  }

  qtui::Canvas& canvas() { return control_->GetCanvas(); }
  QImage picture() const { return control_->Picture(); }

  std::unique_ptr<qtui::PictureControl> control_;
};

TEST_F(PictureControlTest, SourceOfNegativeHeightIsCopiedUpsideDown) {
  qtui::PictureControl source(nullptr, false);
  source.LoadFromFile(PicturePath("rows.bmp"));
  canvas().CopyRect({0, 0, 150, 100}, source.GetCanvas(), {0, 100, 150, 0});
  for (int y = 0; y < 100; ++y) EXPECT_EQ(picture().pixel(7, y), RowColour(99 - y)) << y;
  // Upright, the same copy changes nothing.
  canvas().CopyRect({0, 0, 150, 100}, source.GetCanvas(), {0, 0, 150, 100});
  EXPECT_EQ(picture(), RowPicture());
}

TEST_F(PictureControlTest, ZeroHeightSourceDrawsNothing) {
  canvas().CopyRect({0, 0, 150, 100}, canvas(), {0, 50, 150, 50});
  EXPECT_EQ(picture(), RowPicture());
}

TEST_F(PictureControlTest, ScrollWithinThePictureKeepsTheBottomRow) {
  canvas().CopyRect({0, 0, 150, 99}, canvas(), {0, 1, 150, 100});
  for (int y = 0; y < 99; ++y) ASSERT_EQ(picture().pixel(149, y), RowColour(y + 1)) << y;
  EXPECT_EQ(picture().pixel(149, 99), RowColour(99));
}

TEST_F(PictureControlTest, TextIsDrawnOpaqueInTheBrushColourFromItsTopLeftCorner) {
  canvas().SetBrushColor(Qt::red);
  canvas().FillRect({0, 0, 150, 100});
  canvas().SetBrushColor(Qt::blue);
  canvas().SetFontName(QStringLiteral("ＭＳ Ｐゴシック"));
  canvas().SetFontSize(8);
  canvas().SetFontColor(Qt::white);
  canvas().TextOut(10, 20, QStringLiteral("神が"));

  QRect blue, white, other;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 150; ++x) {
      const QRgb p = picture().pixel(x, y);
      if (p == qRgb(0, 0, 255))
        blue |= QRect(x, y, 1, 1);
      else if (p == qRgb(255, 255, 255))
        white |= QRect(x, y, 1, 1);
      else if (p != qRgb(255, 0, 0))
        other |= QRect(x, y, 1, 1);
    }
  }
  EXPECT_TRUE(other.isEmpty()) << "smoothed pixels at " << other.x() << "," << other.y();
  EXPECT_EQ(blue.topLeft(), QPoint(10, 20));
  EXPECT_TRUE(blue.contains(white));
  EXPECT_GE(blue.height(), 11);  // 8 points on the 96-dpi surface
  EXPECT_LE(blue.height(), 16);
  EXPECT_GE(white.width(), 16);  // two full-width characters
}

TEST_F(PictureControlTest, FailedLoadKeepsThePictureAndGivesReasonAndFile) {
  WriteFile(PicturePath("broken.bmp"), "BM not really a bitmap");
  QDir(QString::fromStdString(Folder())).mkpath("cg/folder.bmp");
  const std::pair<std::string, std::string> cases[] = {
      {"broken.bmp", "ビットマップの形式ではありません"},
      {"absent.bmp", "ファイルがありません"},
      {"folder.bmp", "ファイルを開けません"}};
  for (const auto& [name, reason] : cases) {
    try {
      control_->LoadFromFile(PicturePath(name));
      ADD_FAILURE() << name << " loaded";
    } catch (const qtui::PictureLoadError& error) {
      EXPECT_EQ(error.what(),
                "ビットマップを読み込めません（" + reason + "）\r" + PicturePath(name));
    }
    EXPECT_EQ(picture(), RowPicture());
    EXPECT_EQ(control_->FileName(), PicturePath("rows.bmp"));
  }
}

// A picture whose every pixel differs from its right and lower neighbours.
QImage Checkerboard() {
  QImage picture(150, 100, QImage::Format_RGB32);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 150; ++x)
      picture.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 0) : qRgb(0, 0, 128));
  }
  return picture;
}

TEST_F(PictureControlTest, ShownStretchedTwiceWithSquarePixelsAtAnyPixelRatio) {
  SavePicture("checker.bmp", Checkerboard());
  control_->LoadFromFile(PicturePath("checker.bmp"));
  const QImage source = Checkerboard();
  for (int ratio : {1, 2}) {
    QImage screen(300 * ratio, 200 * ratio, QImage::Format_RGB32);
    screen.setDevicePixelRatio(ratio);
    screen.fill(Qt::black);
    control_->render(&screen);
    const int cell = 2 * ratio;
    for (int y = 0; y < screen.height(); ++y) {
      for (int x = 0; x < screen.width(); ++x) {
        ASSERT_EQ(screen.pixel(x, y), source.pixel(x / cell, y / cell))
            << "ratio " << ratio << " at " << x << "," << y;
      }
    }
  }
}

TEST_F(PictureControlTest, UnstretchedControlShowsThePictureAtItsOwnSize) {
  qtui::PictureControl small(nullptr, false);
  small.resize(33, 29);
  small.LoadFromFile(PicturePath("rows.bmp"));
  QImage screen(33, 29, QImage::Format_RGB32);
  small.render(&screen);
  for (int y = 0; y < 29; ++y) EXPECT_EQ(screen.pixel(5, y), RowColour(y));
}

}  // namespace
}  // namespace brandel::testing
