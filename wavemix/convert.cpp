// SPDX-License-Identifier: MIT
// Conversion of loaded samples to the session's output format, in three steps: bit depth,
// channels, sample rate. Each step makes one pass and one allocation and releases its input.
//
// Ownership: the block passed in belongs to ConvertWaveFormat from the call on. It returns
// the block holding the result (the same one when nothing changes); on failure, by a null
// result or an exception, every block it held has been released already, so the caller
// releases nothing twice.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "wavemix/internal.h"

namespace wavemix {
namespace {

// Owns the block in hand between the steps, so an exception releases it exactly once.
class SampleBlock {
 public:
  SampleBlock(std::uint8_t* data, std::uint32_t size) : data_(data), size_(size) {}
  SampleBlock(const SampleBlock&) = delete;
  SampleBlock& operator=(const SampleBlock&) = delete;
  ~SampleBlock() { std::free(data_); }

  const std::uint8_t* data() const { return data_; }
  std::uint32_t size() const { return size_; }

  // A new block for a step's result; an empty result has no whole sample and, like a
  // result that the 32-bit signed length cannot hold, counts as an allocation failure.
  static std::uint8_t* Allocate(std::uint64_t size) {
    if (size == 0 || size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
      throw EWaveMixError(OutOfMemoryMessage);
    }
    auto* block = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(size)));
    if (block == nullptr) throw EWaveMixError(OutOfMemoryMessage);
    return block;
  }
  void Replace(std::uint8_t* data, std::uint64_t size) {
    std::free(data_);
    data_ = data;
    size_ = static_cast<std::uint32_t>(size);
  }
  std::uint8_t* Release() {
    std::uint8_t* d = data_;
    data_ = nullptr;
    return d;
  }

 private:
  std::uint8_t* data_;
  std::uint32_t size_;
};

// The result size of each step, shared by the step and by ConvertedSize.
std::uint64_t BitDepthSize(std::uint64_t size, std::uint16_t fromBits, std::uint16_t toBits) {
  return size / (fromBits / 8u) * (toBits / 8u);
}
std::uint64_t ChannelsSize(std::uint64_t size, std::uint16_t from, std::uint16_t to) {
  return size / from * to;
}
// Raising: K = to div from; lowering: D = from / to rounded, halves up.
std::uint64_t RateFactor(std::uint32_t from, std::uint32_t to) {
  return to > from ? to / from : (std::uint64_t{from} + to / 2) / to;
}
std::uint64_t RateSize(std::uint64_t size, std::uint32_t from, std::uint32_t to,
                       std::uint16_t channels) {
  const std::uint64_t frames = size / channels;
  const std::uint64_t factor = RateFactor(from, to);
  return (to > from ? frames * factor : frames / factor) * channels;
}

std::int16_t Sample16(const std::uint8_t* p) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

void ConvertBitDepth(SampleBlock& block, std::uint16_t fromBits, std::uint16_t toBits) {
  if ((fromBits != 8 && fromBits != 16) || (toBits != 8 && toBits != 16)) {
    throw EWaveMixError("File format not supported");
  }
  const std::uint32_t n = block.size() / (fromBits / 8u);
  const std::uint64_t size = BitDepthSize(block.size(), fromBits, toBits);
  const std::uint8_t* in = block.data();
  if (toBits == 8) {  // 16 -> 8: the high byte with its top bit inverted
    std::uint8_t* out = SampleBlock::Allocate(size);
    for (std::uint32_t i = 0; i < n; ++i) {
      out[i] = static_cast<std::uint8_t>((Sample16(in + 2 * i) >> 8) + 128);
    }
    block.Replace(out, size);
  } else {  // 8 -> 16
    std::uint8_t* out = SampleBlock::Allocate(size);
    for (std::uint32_t i = 0; i < n; ++i) {
      const auto s = static_cast<std::uint16_t>((in[i] - 128) * 256);
      out[2 * i] = static_cast<std::uint8_t>(s & 0xFF);
      out[2 * i + 1] = static_cast<std::uint8_t>(s >> 8);
    }
    block.Replace(out, size);
  }
}

// 8-bit samples only; channel counts 1 and 2.
void ConvertChannels(SampleBlock& block, std::uint16_t from, std::uint16_t to) {
  const std::uint32_t frames = block.size() / from;
  const std::uint64_t size = ChannelsSize(block.size(), from, to);
  std::uint8_t* out = SampleBlock::Allocate(size);
  const std::uint8_t* in = block.data();
  for (std::uint32_t f = 0; f < frames; ++f) {
    if (from == 1) {
      out[2 * f] = in[f];
      out[2 * f + 1] = in[f];
    } else {
      out[f] = static_cast<std::uint8_t>((in[2 * f] + in[2 * f + 1]) / 2);
    }
  }
  block.Replace(out, size);
}

// 8-bit samples; only whole-number ratios, so an uneven ratio changes pitch and speed.
void ConvertRate(SampleBlock& block, std::uint32_t from, std::uint32_t to, std::uint16_t channels) {
  const std::uint32_t n = block.size() / channels;
  const std::uint8_t* in = block.data();
  const std::uint64_t size = RateSize(block.size(), from, to, channels);
  if (to > from) {
    const auto k = static_cast<std::uint32_t>(RateFactor(from, to));
    std::uint8_t* out = SampleBlock::Allocate(size);
    for (std::uint32_t i = 0; i + 1 < n; ++i) {
      for (std::uint16_t c = 0; c < channels; ++c) {
        const int a = in[i * channels + c];
        const int b = in[(i + 1) * channels + c];
        const int d = (b - a) / static_cast<int>(k);  // truncates toward zero
        for (std::uint32_t j = 0; j < k; ++j) {
          out[(std::uint64_t{i} * k + j) * channels + c] = static_cast<std::uint8_t>(a + static_cast<int>(j) * d);
        }
      }
    }
    for (std::uint32_t j = 0; j < k; ++j) {
      std::memcpy(out + (std::uint64_t{n - 1} * k + j) * channels, in + std::uint64_t{n - 1} * channels, channels);
    }
    block.Replace(out, size);
  } else {
    // 64-bit sum: a rate near 2^32 must not wrap to a divisor of 0.
    const std::uint64_t d = RateFactor(from, to);
    const auto m = static_cast<std::uint32_t>(n / d);
    std::uint8_t* out = SampleBlock::Allocate(size);
    for (std::uint32_t f = 0; f + 1 < m; ++f) {
      for (std::uint16_t c = 0; c < channels; ++c) {
        std::int64_t sum = 0;
        for (std::uint64_t j = 0; j < d; ++j) sum += in[(std::uint64_t{f} * d + j) * channels + c] - 128;
        out[std::uint64_t{f} * channels + c] = static_cast<std::uint8_t>(128 + sum / static_cast<std::int64_t>(d));
      }
    }
    std::memcpy(out + std::uint64_t{m - 1} * channels, in + std::uint64_t{m - 1} * d * channels, channels);
    block.Replace(out, size);
  }
}

// 16-bit samples, for exact-rate conversion: stereo to mono averages (rounding down), mono
// to stereo doubles each sample.
void ConvertChannels16(SampleBlock& block, std::uint16_t from, std::uint16_t to) {
  const std::uint32_t frames = block.size() / 2 / from;
  const std::uint64_t size = std::uint64_t{frames} * to * 2;
  std::uint8_t* out = SampleBlock::Allocate(size);
  const std::uint8_t* in = block.data();
  for (std::uint32_t f = 0; f < frames; ++f) {
    if (from == 1) {
      std::memcpy(out + 4 * std::uint64_t{f}, in + 2 * std::uint64_t{f}, 2);
      std::memcpy(out + 4 * std::uint64_t{f} + 2, in + 2 * std::uint64_t{f}, 2);
    } else {
      const int mean =
          (Sample16(in + 4 * std::uint64_t{f}) + Sample16(in + 4 * std::uint64_t{f} + 2)) >> 1;
      out[2 * std::uint64_t{f}] = static_cast<std::uint8_t>(mean & 0xFF);
      out[2 * std::uint64_t{f} + 1] = static_cast<std::uint8_t>((mean >> 8) & 0xFF);
    }
  }
  block.Replace(out, size);
}

bool IsChannelCount(std::uint16_t channels) { return channels == 1 || channels == 2; }

// The resampler's work per input frame grows with the ratio; a "wave" at more than 256 times
// the output's rate (megahertz, no audio format) is reduced by whole-number ratios instead,
// so such a file cannot keep the loader busy for minutes.
constexpr std::uint64_t MaxExactRatio = 256;

bool ConvertsExactly(const wo::PCMWAVEFORMAT& destination, const wo::PCMWAVEFORMAT& source,
                     bool exactRate) {
  return exactRate && source.nSamplesPerSec != destination.nSamplesPerSec &&
         source.nSamplesPerSec <= MaxExactRatio * destination.nSamplesPerSec;
}

// Exact rate: 16 bits and the destination's channels first, then the resampler, which gives
// the 8-bit result.
void ConvertExactRate(const wo::PCMWAVEFORMAT& destination, const wo::PCMWAVEFORMAT& source,
                      SampleBlock& block) {
  if (source.wBitsPerSample != 16) ConvertBitDepth(block, source.wBitsPerSample, 16);
  if (source.nChannels != destination.nChannels) {
    ConvertChannels16(block, source.nChannels, destination.nChannels);
  }
  const std::uint64_t frames = block.size() / 2u / destination.nChannels;
  const std::uint64_t outFrames =
      ResampledFrames(frames, source.nSamplesPerSec, destination.nSamplesPerSec);
  std::uint8_t* out = ResampleTo8(block.data(), frames, destination.nChannels,
                                  source.nSamplesPerSec, destination.nSamplesPerSec, outFrames);
  block.Replace(out, outFrames * destination.nChannels);
}

bool SameShape(const wo::PCMWAVEFORMAT& a, const wo::PCMWAVEFORMAT& b) {
  return a.nChannels == b.nChannels && a.nSamplesPerSec == b.nSamplesPerSec &&
         a.wBitsPerSample == b.wBitsPerSample;
}

}  // namespace

std::uint64_t ConvertedSize(const wo::PCMWAVEFORMAT& destination, const wo::PCMWAVEFORMAT& source,
                            std::uint32_t sizeIn, bool exactRate) {
  std::uint64_t size = sizeIn;
  if (SameShape(destination, source)) return size;
  // Formats the steps refuse convert to nothing; the conversion reports them.
  if ((source.wBitsPerSample != 8 && source.wBitsPerSample != 16) ||
      (destination.wBitsPerSample != 8 && destination.wBitsPerSample != 16) ||
      !IsChannelCount(source.nChannels) || !IsChannelCount(destination.nChannels) ||
      source.nSamplesPerSec == 0 || destination.nSamplesPerSec == 0) {
    return 0;
  }
  if (source.wBitsPerSample != destination.wBitsPerSample) {
    size = BitDepthSize(size, source.wBitsPerSample, destination.wBitsPerSample);
  }
  if (source.nChannels != destination.nChannels) {
    size = ChannelsSize(size, source.nChannels, destination.nChannels);
  }
  if (ConvertsExactly(destination, source, exactRate)) {
    const std::uint64_t frames = size / (destination.wBitsPerSample / 8u) / destination.nChannels;
    return ResampledFrames(frames, source.nSamplesPerSec, destination.nSamplesPerSec) *
           destination.nChannels * (destination.wBitsPerSample / 8u);
  }
  if (source.nSamplesPerSec != destination.nSamplesPerSec) {
    size = RateSize(size, source.nSamplesPerSec, destination.nSamplesPerSec, destination.nChannels);
  }
  return size;
}

std::uint8_t* ConvertWaveFormat(const wo::PCMWAVEFORMAT& destination,
                                const wo::PCMWAVEFORMAT& source, std::uint8_t* blockIn,
                                std::uint32_t& size, bool exactRate) {
  if (SameShape(destination, source)) return blockIn;
  SampleBlock block(blockIn, size);
  const bool reshape = destination.nChannels != source.nChannels ||
                       destination.nSamplesPerSec != source.nSamplesPerSec;
  // The channel and rate steps know 8-bit samples, one or two channels and nonzero rates;
  // anything else cannot be converted (the loader refuses such files before this).
  if (reshape && (destination.wBitsPerSample != 8 || !IsChannelCount(source.nChannels) ||
                  !IsChannelCount(destination.nChannels) || source.nSamplesPerSec == 0 ||
                  destination.nSamplesPerSec == 0)) {
    return nullptr;
  }

  if (ConvertsExactly(destination, source, exactRate)) {
    ConvertExactRate(destination, source, block);
  } else {
    if (source.wBitsPerSample != destination.wBitsPerSample) {
      ConvertBitDepth(block, source.wBitsPerSample, destination.wBitsPerSample);
    }
    if (source.nChannels != destination.nChannels) {
      ConvertChannels(block, source.nChannels, destination.nChannels);
    }
    if (source.nSamplesPerSec != destination.nSamplesPerSec) {
      ConvertRate(block, source.nSamplesPerSec, destination.nSamplesPerSec, destination.nChannels);
    }
  }
  size = block.size();
  return block.Release();
}

}  // namespace wavemix
