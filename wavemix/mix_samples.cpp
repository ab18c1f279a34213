// SPDX-License-Identifier: MIT
// The inner loop: sources add around the silence value 128 at full level and the total is
// clipped once. One source is a plain copy.
#include <cstring>

#include "wavemix/internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wavemix {

namespace {

void MixScalar(std::uint8_t* destination, const std::uint8_t* const* sources, int from, int to,
               int sourceCount) {
  for (int i = from; i < to; ++i) {
    int total = 128;
    for (int j = 0; j < sourceCount; ++j) total += sources[j][i] - 128;
    destination[i] = static_cast<std::uint8_t>(total < 0 ? 0 : (total > 255 ? 255 : total));
  }
}

#if defined(__SSE2__)
// 16 bytes at a time in 16-bit lanes: sum of the raw bytes minus 128 per extra source, then
// the saturating pack to unsigned bytes is the clip. Eight sources stay within int16.
int MixVector(std::uint8_t* destination, const std::uint8_t* const* sources, int count,
              int sourceCount) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bias = _mm_set1_epi16(static_cast<short>(128 * (sourceCount - 1)));
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i low = _mm_setzero_si128();
    __m128i high = _mm_setzero_si128();
    for (int j = 0; j < sourceCount; ++j) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sources[j] + i));
      low = _mm_add_epi16(low, _mm_unpacklo_epi8(bytes, zero));
      high = _mm_add_epi16(high, _mm_unpackhi_epi8(bytes, zero));
    }
    low = _mm_sub_epi16(low, bias);
    high = _mm_sub_epi16(high, bias);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), _mm_packus_epi16(low, high));
  }
  return i;
}
#endif

}  // namespace

void MixSamples(std::uint8_t* destination, const std::uint8_t* const* sources,
                std::uint16_t count, int sourceCount) {
  if (sourceCount == 1) {
    std::memmove(destination, sources[0], count);
    return;
  }
  int done = 0;
#if defined(__SSE2__)
  // The lane sum holds at most 8 sources; more would need wider lanes (never happens: one
  // source per channel).
  if (sourceCount <= MixChannelCount) done = MixVector(destination, sources, count, sourceCount);
#endif
  MixScalar(destination, sources, done, count, sourceCount);
}

}  // namespace wavemix
