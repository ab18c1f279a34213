// SPDX-License-Identifier: MIT
#include "bmp_writer.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

bool WriteBmp24(const std::string& path, const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const auto width = static_cast<uint32_t>(rgb.width());
  const auto height = static_cast<uint32_t>(rgb.height());
  const uint32_t stride = (width * 3 + 3) & ~3u;
  const uint32_t pixelBytes = stride * height;
  constexpr uint32_t kHeaderBytes = 14 + 40;

  std::vector<uint8_t> file;
  file.reserve(kHeaderBytes + pixelBytes);
  file.push_back('B');
  file.push_back('M');
  PutLe(file, kHeaderBytes + pixelBytes, 4);
  PutLe(file, 0, 4);  // reserved
  PutLe(file, kHeaderBytes, 4);
  PutLe(file, 40, 4);  // BITMAPINFOHEADER
  PutLe(file, width, 4);
  PutLe(file, height, 4);  // positive: bottom-up
  PutLe(file, 1, 2);       // planes
  PutLe(file, 24, 2);
  PutLe(file, 0, 4);  // BI_RGB
  PutLe(file, pixelBytes, 4);
  PutLe(file, 2835, 4);  // 72 dpi
  PutLe(file, 2835, 4);
  PutLe(file, 0, 4);  // no palette
  PutLe(file, 0, 4);
  for (int y = rgb.height() - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      file.push_back(static_cast<uint8_t>(qBlue(line[x])));
      file.push_back(static_cast<uint8_t>(qGreen(line[x])));
      file.push_back(static_cast<uint8_t>(qRed(line[x])));
    }
    for (uint32_t pad = width * 3; pad < stride; ++pad) file.push_back(0);
  }

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out.flush());
}
