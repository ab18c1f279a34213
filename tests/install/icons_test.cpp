// SPDX-License-Identifier: MIT
// The launcher icons as the build drew them: every size of the icon theme, the big ones the
// 32-pixel drawing enlarged in square blocks, each a picture on a see-through background.
#include <gtest/gtest.h>

#include <QImage>
#include <QSet>

namespace {

QImage Icon(int size) {
  return QImage(QStringLiteral(BRANDEL_ICON_DIR "/%1x%1/apps/brandel2.png").arg(size))
      .convertToFormat(QImage::Format_ARGB32);
}

TEST(Icons, EverySizeIsAPictureAndTheBigOnesKeepThePixelsOfTheSmall) {
  const QImage base = Icon(32);
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const QImage icon = Icon(size);
    ASSERT_EQ(icon.size(), QSize(size, size)) << size;
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << size << ": the corners show the background";
    EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << size;
    QSet<QRgb> colours;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) colours.insert(icon.pixel(x, y));
    }
    EXPECT_GE(colours.size(), 8) << size << ": too few colours for a picture";
    if (size <= 48) continue;
    const int block = size / 32;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        ASSERT_EQ(icon.pixel(x, y), base.pixel(x / block, y / block))
            << size << " at " << x << "," << y;
      }
    }
  }
}

}  // namespace
