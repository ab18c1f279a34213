// SPDX-License-Identifier: MIT
// RIFF WAVE images built byte by byte for the loader's tests, good ones and broken ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace waveimage {

using Bytes = std::vector<std::uint8_t>;

inline void PutWord(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void PutHalf(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutId(Bytes& out, const char* id) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
}

// A chunk with the given declared size; the body is padded to even length.
inline Bytes Chunk(const char* id, const Bytes& body, std::uint32_t declared) {
  Bytes out;
  PutId(out, id);
  PutWord(out, declared);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
  return out;
}
inline Bytes Chunk(const char* id, const Bytes& body) {
  return Chunk(id, body, static_cast<std::uint32_t>(body.size()));
}

inline Bytes FormatBody(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                        std::uint16_t tag = 1) {
  Bytes out;
  PutHalf(out, tag);
  PutHalf(out, channels);
  PutWord(out, rate);
  PutWord(out, rate * channels * bits / 8);
  PutHalf(out, static_cast<std::uint16_t>(channels * bits / 8));
  PutHalf(out, bits);
  return out;
}

// WAVE_FORMAT_EXTENSIBLE: the plain 16 bytes with tag 0xFFFE, then the extension (22 bytes)
// whose sub-format carries the real tag (1 PCM, 3 float).
inline Bytes ExtensibleBody(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                            std::uint16_t subTag) {
  Bytes out = FormatBody(channels, rate, bits, 0xFFFE);
  PutHalf(out, 22);
  PutHalf(out, bits);                   // valid bits
  PutWord(out, channels == 2 ? 3 : 4);  // speakers
  PutHalf(out, subTag);
  for (std::uint8_t b :
       {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) {
    out.push_back(b);
  }
  return out;
}

// "RIFF" size "WAVE" followed by the chunks as given.
inline Bytes Riff(const std::vector<Bytes>& chunks, const char* form = "WAVE") {
  Bytes inner;
  PutId(inner, form);
  for (const Bytes& c : chunks) inner.insert(inner.end(), c.begin(), c.end());
  Bytes out;
  PutId(out, "RIFF");
  PutWord(out, static_cast<std::uint32_t>(inner.size()));
  out.insert(out.end(), inner.begin(), inner.end());
  return out;
}

inline Bytes Wave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const Bytes& data) {
  return Riff({Chunk("fmt ", FormatBody(channels, rate, bits)), Chunk("data", data)});
}

}  // namespace waveimage
