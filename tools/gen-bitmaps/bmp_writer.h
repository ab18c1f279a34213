// SPDX-License-Identifier: MIT
#pragma once
// Writes a picture as a Windows bitmap: BITMAPINFOHEADER, 24 bits per pixel, no compression,
// rows bottom-up and padded to four bytes — the plainest form every bitmap reader takes.

#include <QImage>
#include <string>

bool WriteBmp24(const std::string& path, const QImage& image);
