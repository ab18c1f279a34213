// SPDX-License-Identifier: MIT
// The pictures of the cg folder: every name the game loads, each a plain 150 x 100 24-bit
// bitmap that QImage reads, each a real picture and each its own.

#include <gtest/gtest.h>

#include <QImage>
#include <set>
#include <string>
#include <vector>

#include "asset_files.h"

namespace {

const std::vector<std::string> kPictureNames = {
    "title",    "title2",   "tuzuku",   "sakana0",  "sakana1",  "sakana2", "sakana3", "fish_ba0",
    "fish_ba1", "fish_ba2", "fish_ba3", "fish_ba4", "doll0",    "doll1",   "doll2",   "doll3",
    "doll4",    "doll_sp0", "doll_sp1", "doll_sp2", "doll_sp3", "doll_sp4"};

std::string PicturePath(const std::string& name) {
  return BinPath("cg/" + name + ".bmp");
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<size_t>(i)];
  return v;
}

double ShareOfDifferentPixels(const QImage& a, const QImage& b) {
  int differ = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) differ += a.pixel(x, y) != b.pixel(x, y);
  }
  return static_cast<double>(differ) / (a.width() * a.height());
}

QImage Load(const std::string& name) {
  QImage image;
  image.load(QString::fromStdString(PicturePath(name)));
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST(Pictures, EveryPictureIsAnUncompressed24BitBitmapOf150By100) {
  for (const std::string& name : kPictureNames) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> bytes = ReadWholeFile(PicturePath(name));
    ASSERT_GE(bytes.size(), 54u) << "missing or truncated";
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Le(bytes, 2, 4), bytes.size()) << "file size field";
    EXPECT_EQ(Le(bytes, 14, 4), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(Le(bytes, 18, 4), 150u);
    EXPECT_EQ(Le(bytes, 22, 4), 100u);
    EXPECT_EQ(Le(bytes, 28, 2), 24u) << "bits per pixel";
    EXPECT_EQ(Le(bytes, 30, 4), 0u) << "compression";
    // Rows of 150 pixels are padded to 452 bytes.
    EXPECT_EQ(bytes.size(), Le(bytes, 10, 4) + 452u * 100u);

    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(PicturePath(name)))) << "QImage cannot read it";
    EXPECT_EQ(image.size(), QSize(150, 100));
  }
}

TEST(Pictures, EveryPictureHasRealContent) {
  for (const std::string& name : kPictureNames) {
    SCOPED_TRACE(name);
    const QImage image = Load(name);
    ASSERT_FALSE(image.isNull());
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    }
    // A drawn scene uses a good part of the palette; a flat fill or a stray two-colour
    // placeholder does not.
    EXPECT_GE(colours.size(), 12u);
    // The flip animation turns the picture upside down: it must not look the same that way.
    EXPECT_GT(ShareOfDifferentPixels(image, image.mirrored(false, true)), 0.3);
  }
}

TEST(Pictures, NoTwoPicturesAreTheSame) {
  std::vector<QImage> images;
  for (const std::string& name : kPictureNames) images.push_back(Load(name));
  for (size_t i = 0; i < images.size(); ++i) {
    for (size_t j = i + 1; j < images.size(); ++j) {
      if (images[i].isNull() || images[j].isNull()) continue;  // reported by the tests above
      // Flashes share the layout of their resting picture, but a good part must still change.
      EXPECT_GT(ShareOfDifferentPixels(images[i], images[j]), 0.1)
          << kPictureNames[i] << " and " << kPictureNames[j] << " are nearly the same picture";
    }
  }
}

TEST(Pictures, TheTenthStartTitleIsClearlyAnotherPicture) {
  const QImage title = Load("title");
  const QImage title2 = Load("title2");
  ASSERT_FALSE(title.isNull());
  ASSERT_FALSE(title2.isNull());
  EXPECT_GT(ShareOfDifferentPixels(title, title2), 0.5);
}
