// SPDX-License-Identifier: MIT
#include "platform/riff/riff_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace mmio;

constexpr FOURCC kWave = MakeFourCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = MakeFourCC('f', 'm', 't', ' ');
constexpr FOURCC kData = MakeFourCC('d', 'a', 't', 'a');

void PutWord(std::vector<char>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutId(std::vector<char>& out, const char* id) { out.insert(out.end(), id, id + 4); }

// A chunk with its declared size (which may lie) and its actual bytes, padded when asked.
void PutChunk(std::vector<char>& out, const char* id, std::uint32_t declared,
              const std::vector<char>& body, bool pad = true) {
  PutId(out, id);
  PutWord(out, declared);
  out.insert(out.end(), body.begin(), body.end());
  if (pad && (body.size() & 1)) out.push_back(0);
}

struct Memory {
  explicit Memory(std::vector<char> b) : bytes(std::move(b)) {
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = bytes.data();
    info.cchBuffer = static_cast<std::int32_t>(bytes.size());
  }
  HMMIO Open() { return mmioOpen(nullptr, &info, MMIO_READ); }
  std::vector<char> bytes;
  MMIOINFO info{};
};

std::vector<char> RiffWave(const std::vector<char>& inner, std::uint32_t declared = 0) {
  std::vector<char> out;
  PutId(out, "RIFF");
  PutWord(out, declared != 0 ? declared : static_cast<std::uint32_t>(inner.size() + 4));
  PutId(out, "WAVE");
  out.insert(out.end(), inner.begin(), inner.end());
  return out;
}

TEST(RiffReader, WalksAWellFormedFileWithPaddingAndSkips) {
  std::vector<char> inner;
  PutChunk(inner, "junk", 3, {'a', 'b', 'c'});  // odd: one pad byte follows
  PutChunk(inner, "fmt ", 4, {1, 2, 3, 4});
  PutChunk(inner, "LIST", 8, {'I', 'N', 'F', 'O', 'x', 'x', 'x', 'x'});
  PutChunk(inner, "data", 5, {10, 20, 30, 40, 50});
  Memory m(RiffWave(inner));
  HMMIO f = m.Open();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(m.info.wErrorRet, MMSYSERR_NOERROR);

  MMCKINFO riff{};
  riff.fccType = kWave;
  ASSERT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.ckid, FOURCC_RIFF);
  EXPECT_EQ(riff.dwDataOffset, 8u);
  EXPECT_EQ(riff.cksize, m.bytes.size() - 8);

  MMCKINFO fmt{};
  fmt.ckid = kFmt;
  ASSERT_EQ(mmioDescend(f, &fmt, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(fmt.cksize, 4u);
  EXPECT_EQ(fmt.dwDataOffset, 12u + 12u + 8u);
  char buf[8] = {};
  EXPECT_EQ(mmioRead(f, buf, 2), 2);
  EXPECT_EQ(buf[1], 2);
  EXPECT_EQ(mmioAscend(f, &fmt, 0), MMSYSERR_NOERROR);

  MMCKINFO data{};
  data.ckid = kData;
  ASSERT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(data.cksize, 5u);
  EXPECT_EQ(mmioRead(f, buf, 8), 6);  // the read does not stop at the chunk, only at the file end
  EXPECT_EQ(buf[4], 50);
  EXPECT_EQ(mmioRead(f, buf, 8), 0);
  EXPECT_EQ(mmioClose(f, 0), MMSYSERR_NOERROR);
}

TEST(RiffReader, SearchGoesOnlyForwardAndStaysInsideTheParent) {
  std::vector<char> inner;
  PutChunk(inner, "data", 2, {1, 2});
  PutChunk(inner, "fmt ", 2, {3, 4});
  std::vector<char> image = RiffWave(inner);
  PutChunk(image, "data", 2, {5, 6});  // after the RIFF form: outside the parent
  Memory m(image);
  HMMIO f = m.Open();
  ASSERT_NE(f, nullptr);
  MMCKINFO riff{};
  riff.fccType = kWave;
  ASSERT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  MMCKINFO fmt{};
  fmt.ckid = kFmt;
  ASSERT_EQ(mmioDescend(f, &fmt, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  mmioAscend(f, &fmt, 0);
  MMCKINFO data{};
  data.ckid = kData;
  EXPECT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  mmioClose(f, 0);
}

TEST(RiffReader, FindRiffChecksTheFormType) {
  std::vector<char> image;
  PutId(image, "RIFF");
  PutWord(image, 4);
  PutId(image, "AVI ");
  Memory m(image);
  HMMIO f = m.Open();
  MMCKINFO riff{};
  riff.fccType = kWave;
  EXPECT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
  mmioClose(f, 0);

  Memory text(std::vector<char>{'n', 'o', 't', ' ', 'r', 'i', 'f', 'f', '!', '!'});
  f = text.Open();
  EXPECT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
  mmioClose(f, 0);
}

TEST(RiffReader, MalformedSizesNeverReadOutOfRange) {
  // Huge sizes: the RIFF form claims 4 GiB, a skipped chunk claims nearly 4 GiB (its end would
  // wrap a 32-bit sum), and the data chunk claims more than is there.
  {
    std::vector<char> inner;
    PutChunk(inner, "junk", 0xFFFFFFF7u, {1, 2, 3, 4});
    PutChunk(inner, "data", 4, {1, 2, 3, 4});
    Memory m(RiffWave(inner, 0xFFFFFFFFu));
    HMMIO f = m.Open();
    MMCKINFO riff{};
    riff.fccType = kWave;
    ASSERT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.cksize, 0xFFFFFFFFu);
    MMCKINFO data{};
    data.ckid = kData;
    EXPECT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioAscend(f, &riff, 0), MMIOERR_CANNOTSEEK);  // would end past the file
    char b;
    EXPECT_EQ(mmioRead(f, &b, 1), 0);
    mmioClose(f, 0);
  }
  {
    std::vector<char> inner;
    PutChunk(inner, "data", 1000, {9, 8, 7});
    Memory m(RiffWave(inner));
    HMMIO f = m.Open();
    MMCKINFO riff{};
    riff.fccType = kWave;
    ASSERT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    MMCKINFO data{};
    data.ckid = kData;
    ASSERT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(data.cksize, 1000u);  // reported as declared ...
    std::vector<char> buf(1000);
    EXPECT_EQ(mmioRead(f, buf.data(), 1000), 4);  // ... and read short (3 bytes + pad)
    mmioClose(f, 0);
  }
  // Truncated headers: every prefix of a valid file fails cleanly or succeeds.
  std::vector<char> inner;
  PutChunk(inner, "fmt ", 16, std::vector<char>(16, 1));
  PutChunk(inner, "data", 3, {1, 2, 3});
  const std::vector<char> whole = RiffWave(inner);
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    // A heap copy of exactly n bytes, so ASan would see any read past the end.
    Memory m(std::vector<char>(whole.begin(), whole.begin() + static_cast<long>(n)));
    HMMIO f = m.Open();
    ASSERT_NE(f, nullptr);
    MMCKINFO riff{};
    riff.fccType = kWave;
    MMRESULT r = mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF);
    EXPECT_EQ(r == MMSYSERR_NOERROR, n >= 12) << n;
    MMCKINFO fmt{};
    fmt.ckid = kFmt;
    if (r == MMSYSERR_NOERROR) {
      EXPECT_EQ(mmioDescend(f, &fmt, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR, n >= 20) << n;
    }
    mmioClose(f, 0);
  }
}

TEST(RiffReader, ChildLargerThanParentStopsTheSearchAtTheParentEnd) {
  // The fmt chunk's declared size runs past the RIFF form's end; the data chunk standing
  // behind the form must not be found through it.
  std::vector<char> inner;
  PutChunk(inner, "fmt ", 20, {1, 2});
  std::vector<char> image = RiffWave(inner);
  PutChunk(image, "data", 2, {5, 6});
  Memory m(image);
  HMMIO f = m.Open();
  MMCKINFO riff{};
  riff.fccType = kWave;
  ASSERT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  MMCKINFO data{};
  data.ckid = kData;
  EXPECT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  mmioClose(f, 0);
}

TEST(RiffReader, SeekReportsPositionsWithinTheFile) {
  Memory m(std::vector<char>(10, 'x'));
  HMMIO f = m.Open();
  EXPECT_EQ(mmioSeek(f, 0, SEEK_END), 10);
  EXPECT_EQ(mmioSeek(f, -4, SEEK_CUR), 6);
  EXPECT_EQ(mmioSeek(f, 11, SEEK_SET), -1);
  EXPECT_EQ(mmioSeek(f, -7, SEEK_CUR), -1);
  EXPECT_EQ(mmioSeek(f, 0, SEEK_CUR), 6);
  EXPECT_EQ(mmioSeek(f, 0, 99), -1);
  mmioClose(f, 0);
}

TEST(RiffReader, OpenFailuresLeaveTheirCodes) {
  MMIOINFO info{};
  info.fccIOProc = FOURCC_DOS;
  EXPECT_EQ(mmioOpen(nullptr, &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_CANNOTOPEN);

  info = {};
  info.fccIOProc = FOURCC_MEM;
  info.cchBuffer = 16;  // no buffer to read
  EXPECT_EQ(mmioOpen(nullptr, &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_CANNOTOPEN);

  char byte = 0;
  info = {};
  info.fccIOProc = FOURCC_MEM;
  info.pchBuffer = &byte;
  info.cchBuffer = -1;
  EXPECT_EQ(mmioOpen(nullptr, &info, MMIO_READ), nullptr);
  EXPECT_EQ(mmioOpen(nullptr, nullptr, MMIO_READ), nullptr);

  // An empty memory file opens and holds no chunk.
  info = {};
  info.fccIOProc = FOURCC_MEM;
  HMMIO f = mmioOpen(nullptr, &info, MMIO_READ);
  ASSERT_NE(f, nullptr);
  MMCKINFO ck{};
  EXPECT_EQ(mmioDescend(f, &ck, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
  mmioClose(f, 0);

  info = {};
  EXPECT_EQ(mmioOpen("/nonexistent/folder/x.wav", &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
  info = {};
  EXPECT_EQ(mmioOpen("/tmp", &info, MMIO_READ), nullptr);  // a folder is no file
  EXPECT_EQ(info.wErrorRet, MMIOERR_CANNOTOPEN);
  EXPECT_EQ(mmioOpen("/nonexistent", nullptr, MMIO_READ), nullptr);  // no record: no crash

  EXPECT_EQ(mmioRead(nullptr, &byte, 1), -1);
  EXPECT_EQ(mmioClose(nullptr, 0), MMIOERR_CANNOTCLOSE);
}

TEST(RiffReader, ReadsADiskFileLikeAMemoryImage) {
  std::vector<char> inner;
  PutChunk(inner, "fmt ", 16, std::vector<char>(16, 7));
  std::vector<char> body(70000);
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 13);
  PutChunk(inner, "data", static_cast<std::uint32_t>(body.size()), body);
  const std::vector<char> image = RiffWave(inner);
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("riff_test_" + std::to_string(::getpid()) + ".wav");
  std::ofstream(path, std::ios::binary).write(image.data(), static_cast<std::streamsize>(image.size()));

  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  ASSERT_NE(f, nullptr);
  MMCKINFO riff{};
  riff.fccType = kWave;
  ASSERT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  MMCKINFO data{};
  data.ckid = kData;
  ASSERT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  std::vector<char> got(body.size());
  EXPECT_EQ(mmioRead(f, got.data(), static_cast<std::int32_t>(got.size())), static_cast<std::int32_t>(body.size()));
  EXPECT_EQ(got, body);
  EXPECT_EQ(mmioClose(f, 0), MMSYSERR_NOERROR);
  std::filesystem::remove(path);
}

}  // namespace
