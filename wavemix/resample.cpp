// SPDX-License-Identifier: MIT
// Exact-rate conversion through libsoxr at its high quality (a flat passband and alias
// rejection far below what 8 bits can show), for sessions that ask for it. The output is
// produced a slice at a time into the final 8-bit block, so nothing but that block grows with
// the wave.
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

#include "wavemix/internal.h"

namespace wavemix {

namespace {

constexpr std::size_t SliceFrames = 2048;

struct SoxrDelete {
  void operator()(soxr* resampler) const { soxr_delete(resampler); }
};
struct BlockFree {
  void operator()(std::uint8_t* block) const { std::free(block); }
};

std::uint8_t ToUnsigned8(float value) {
  const float scaled = std::floor(value * 128.0f + 128.5f);
  return static_cast<std::uint8_t>(std::clamp(scaled, 0.0f, 255.0f));
}

}  // namespace

std::uint64_t ResampledFrames(std::uint64_t frames, std::uint32_t fromRate, std::uint32_t toRate) {
  // A wave holds under 2^31 frames of 16 bits, so the product stays below 2^63.
  return (frames * toRate + fromRate / 2) / fromRate;
}

std::uint8_t* ResampleTo8(const std::uint8_t* samples16, std::uint64_t frames,
                          std::uint16_t channels, std::uint32_t fromRate, std::uint32_t toRate,
                          std::uint64_t outFrames) {
  const std::uint64_t bytes = outFrames * channels;
  if (bytes == 0 || bytes > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    Fail(OutOfMemoryMessage);
  }
  std::unique_ptr<std::uint8_t, BlockFree> out(static_cast<std::uint8_t*>(std::malloc(bytes)));
  if (out == nullptr) Fail(OutOfMemoryMessage);

  soxr_error_t error = nullptr;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  std::unique_ptr<soxr, SoxrDelete> resampler(
      soxr_create(fromRate, toRate, channels, &error, &io, &quality, nullptr));
  if (error != nullptr || resampler == nullptr) Fail("Failed to convert wave format");

  // The samples are little-endian 16-bit, the machine's own order on every target we build.
  const auto* input = reinterpret_cast<const std::int16_t*>(samples16);
  float slice[SliceFrames * 2];
  std::uint64_t consumed = 0;
  std::uint64_t written = 0;
  while (written < outFrames) {
    const bool inputLeft = consumed < frames;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(SliceFrames, outFrames - written));
    std::size_t used = 0;
    std::size_t made = 0;
    // A null input tells the resampler the wave has ended, so it gives out what it holds.
    error = soxr_process(resampler.get(), inputLeft ? input + consumed * channels : nullptr,
                         inputLeft ? static_cast<std::size_t>(frames - consumed) : 0, &used, slice,
                         want, &made);
    if (error != nullptr) Fail("Failed to convert wave format");
    if (inputLeft && used == 0 && made == 0) Fail("Failed to convert wave format");
    consumed += used;
    std::uint8_t* to = out.get() + written * channels;
    for (std::size_t i = 0; i < made * channels; ++i) to[i] = ToUnsigned8(slice[i]);
    written += made;
    if (!inputLeft && made == 0) break;
  }
  // Rounding can leave the resampler a frame short of the length asked for: silence.
  std::fill(out.get() + written * channels, out.get() + bytes, std::uint8_t{128});
  return out.release();
}

}  // namespace wavemix
