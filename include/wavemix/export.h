// SPDX-License-Identifier: MIT
// Marks what libwavemix.so exports. The library is built with hidden visibility, so only
// declarations carrying WAVEMIX_API are reachable from a program that links it.
#pragma once

#define WAVEMIX_API __attribute__((visibility("default")))
