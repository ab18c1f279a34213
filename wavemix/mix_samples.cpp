// SPDX-License-Identifier: MIT
// The inner loop: sources add around the silence value 128 at full level and the total is
// clipped once. One source is a plain copy. With gains, each source is scaled before the
// sum, which is rounded and clipped once; one gain for all is applied to the sum.
#include <cstring>

#include "wavemix/internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <tmmintrin.h>
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
// Bytes i to i + 15 of every source, summed raw in 16-bit lanes (eight sources stay within).
inline void SumBytes(const std::uint8_t* const* sources, int i, int sourceCount, __m128i& low,
                     __m128i& high) {
  const __m128i zero = _mm_setzero_si128();
  low = zero;
  high = zero;
  for (int j = 0; j < sourceCount; ++j) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sources[j] + i));
    low = _mm_add_epi16(low, _mm_unpacklo_epi8(bytes, zero));
    high = _mm_add_epi16(high, _mm_unpackhi_epi8(bytes, zero));
  }
}

// 16 bytes at a time in 16-bit lanes: sum of the raw bytes minus 128 per extra source, then
// the saturating pack to unsigned bytes is the clip. Eight sources stay within int16.
int MixVector(std::uint8_t* destination, const std::uint8_t* const* sources, int count,
              int sourceCount) {
  const __m128i bias = _mm_set1_epi16(static_cast<short>(128 * (sourceCount - 1)));
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i low, high;
    SumBytes(sources, i, sourceCount, low, high);
    low = _mm_sub_epi16(low, bias);
    high = _mm_sub_epi16(high, bias);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), _mm_packus_epi16(low, high));
  }
  return i;
}
#endif

// Everything in units of 1/FullGain: 128 and the rounding half, less 128 per source at its
// gain, so that each source adds its raw byte times its gain. index 0 = left.
struct ScaledBias {
  std::int32_t side[2];
};

ScaledBias BiasOf(const std::int16_t* const* gains, int sourceCount) {
  ScaledBias bias{};
  for (int side = 0; side < 2; ++side) {
    std::int32_t total = (128 << GainShift) + (1 << (GainShift - 1));
    for (int j = 0; j < sourceCount; ++j) total -= 128 * gains[j][side];
    bias.side[side] = total;
  }
  return bias;
}

void MixScaledScalar(std::uint8_t* destination, const std::uint8_t* const* sources,
                     const std::int16_t* const* gains, const ScaledBias& bias, int from, int to,
                     int sourceCount, int firstSide) {
  for (int i = from; i < to; ++i) {
    const int side = (i + firstSide) & 1;
    std::int32_t total = bias.side[side];
    for (int j = 0; j < sourceCount; ++j) total += sources[j][i] * gains[j][side];
    total >>= GainShift;
    destination[i] = static_cast<std::uint8_t>(total < 0 ? 0 : (total > 255 ? 255 : total));
  }
}

#if defined(__SSE2__)
// 16 bytes at a time: two sources' bytes interleaved and widened to 16 bits, so one
// multiply-add gives a lane's two products as 32 bits. Lanes alternate left and right, and
// every group of four starts on the same side, so one gain vector serves a pair throughout.
int MixScaledVector(std::uint8_t* destination, const std::uint8_t* const* sources,
                    const std::int16_t* const* gains, const ScaledBias& bias, int count,
                    int sourceCount, int firstSide) {
  const __m128i zero = _mm_setzero_si128();
  const int second = firstSide ^ 1;
  __m128i pairGains[(MixChannelCount + 1) / 2];
  const int pairs = (sourceCount + 1) / 2;
  for (int p = 0; p < pairs; ++p) {
    const std::int16_t* a = gains[2 * p];
    const bool odd = 2 * p + 1 == sourceCount;
    const std::int16_t b0 = odd ? 0 : gains[2 * p + 1][firstSide];
    const std::int16_t b1 = odd ? 0 : gains[2 * p + 1][second];
    pairGains[p] = _mm_setr_epi16(a[firstSide], b0, a[second], b1, a[firstSide], b0, a[second], b1);
  }
  const __m128i start = _mm_setr_epi32(bias.side[firstSide], bias.side[second],
                                       bias.side[firstSide], bias.side[second]);
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i sum[4] = {start, start, start, start};
    for (int p = 0; p < pairs; ++p) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sources[2 * p] + i));
      const __m128i b =
          2 * p + 1 < sourceCount
              ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(sources[2 * p + 1] + i))
              : zero;
      const __m128i low = _mm_unpacklo_epi8(a, b);
      const __m128i high = _mm_unpackhi_epi8(a, b);
      sum[0] = _mm_add_epi32(sum[0], _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), pairGains[p]));
      sum[1] = _mm_add_epi32(sum[1], _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), pairGains[p]));
      sum[2] = _mm_add_epi32(sum[2], _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), pairGains[p]));
      sum[3] = _mm_add_epi32(sum[3], _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), pairGains[p]));
    }
    const __m128i words0 =
        _mm_packs_epi32(_mm_srai_epi32(sum[0], GainShift), _mm_srai_epi32(sum[1], GainShift));
    const __m128i words1 =
        _mm_packs_epi32(_mm_srai_epi32(sum[2], GainShift), _mm_srai_epi32(sum[3], GainShift));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), _mm_packus_epi16(words0, words1));
  }
  return i;
}
#endif

// One gain for every source and side (a master volume alone): the plain sum scaled once,
// which rounds exactly as scaling each source does, since the rounding comes after the sum.
bool OneGain(const std::int16_t* const* gains, int sourceCount) {
  const std::int16_t gain = gains[0][0];
  for (int j = 0; j < sourceCount; ++j) {
    if (gains[j][0] != gain || gains[j][1] != gain) return false;
  }
  return true;
}

void MixOneGainScalar(std::uint8_t* destination, const std::uint8_t* const* sources,
                      std::int32_t gain, int from, int to, int sourceCount) {
  for (int i = from; i < to; ++i) {
    std::int32_t sum = 0;
    for (int j = 0; j < sourceCount; ++j) sum += sources[j][i] - 128;
    const std::int32_t total = 128 + ((sum * gain + (1 << (GainShift - 1))) >> GainShift);
    destination[i] = static_cast<std::uint8_t>(total < 0 ? 0 : (total > 255 ? 255 : total));
  }
}

#if defined(__SSE2__)
// One multiply per lane does the scaling and its rounding: pmulhrsw gives (a × b + 2^14) >> 15,
// which for b = 2 × gain is (sum × gain + 2^13) >> 14. SSSE3, so chosen at run time.
__attribute__((target("ssse3"))) int MixOneGainVector(std::uint8_t* destination,
                                                      const std::uint8_t* const* sources,
                                                      std::int16_t gain, int count,
                                                      int sourceCount) {
  static_assert(GainShift == 14);
  const __m128i bias = _mm_set1_epi16(static_cast<short>(128 * sourceCount));
  const __m128i doubled = _mm_set1_epi16(static_cast<short>(2 * gain));
  const __m128i silence = _mm_set1_epi16(128);
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i low, high;
    SumBytes(sources, i, sourceCount, low, high);
    low = _mm_add_epi16(_mm_mulhrs_epi16(_mm_sub_epi16(low, bias), doubled), silence);
    high = _mm_add_epi16(_mm_mulhrs_epi16(_mm_sub_epi16(high, bias), doubled), silence);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), _mm_packus_epi16(low, high));
  }
  return i;
}

// Read at load time: the detection itself may not have run yet, so it is asked for first.
bool HasSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}
const bool kHasSsse3 = HasSsse3();
#endif

}  // namespace

void MixScaledSamples(std::uint8_t* destination, const std::uint8_t* const* sources,
                      const std::int16_t* const* gains, std::uint16_t count, int sourceCount,
                      bool rightFirst) {
  int done = 0;
  if (OneGain(gains, sourceCount)) {
#if defined(__SSE2__)
    // 2 × gain fits a lane: a full gain for all never comes here (that is the plain sum).
    if (kHasSsse3 && sourceCount <= MixChannelCount && gains[0][0] < FullGain) {
      done = MixOneGainVector(destination, sources, gains[0][0], count, sourceCount);
    }
#endif
    MixOneGainScalar(destination, sources, gains[0][0], done, count, sourceCount);
    return;
  }
  const ScaledBias bias = BiasOf(gains, sourceCount);
  const int firstSide = rightFirst ? 1 : 0;
#if defined(__SSE2__)
  if (sourceCount <= MixChannelCount) {
    done = MixScaledVector(destination, sources, gains, bias, count, sourceCount, firstSide);
  }
#endif
  MixScaledScalar(destination, sources, gains, bias, done, count, sourceCount, firstSide);
}

void MixSamples(std::uint8_t* destination, const std::uint8_t* const* sources, std::uint16_t count,
                int sourceCount) {
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
