// SPDX-License-Identifier: MIT
// WaveMixOpenWave and WaveMixFreeWave: a wave is read from a file, a "WAVE" resource or a
// caller's memory image, converted once to the session's output format, and registered
// as live until it is freed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "platform/riff/riff_reader.h"
#include "wavemix/internal.h"

namespace wavemix {
namespace {

constexpr mmio::FOURCC WaveForm = mmio::MakeFourCC('W', 'A', 'V', 'E');
constexpr mmio::FOURCC FormatChunk = mmio::MakeFourCC('f', 'm', 't', ' ');
constexpr mmio::FOURCC DataChunk = mmio::MakeFourCC('d', 'a', 't', 'a');
constexpr const char* ResourceType = "WAVE";

// What a load holds until it succeeds. Whatever is still held when the load leaves by an
// exception is released here, once each.
struct PendingLoad {
  MixWave* wave = nullptr;
  mmio::HMMIO file = nullptr;
  res::HGLOBAL resource = nullptr;
  std::uint8_t* samples = nullptr;

  PendingLoad() = default;
  PendingLoad(const PendingLoad&) = delete;
  PendingLoad& operator=(const PendingLoad&) = delete;
  ~PendingLoad() {
    if (file != nullptr) mmio::mmioClose(file, 0);
    if (resource != nullptr) res::FreeResource(resource);
    std::free(samples);
    std::free(wave);
  }
};

std::string ResourceLabel(const char* source) {
  return res::IsIntResource(source)
             ? std::to_string(static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(source)))
             : std::string(source);
}

mmio::HMMIO OpenResource(PendingLoad& load, const char* source, res::HMODULE module) {
  res::HRSRC found = res::FindResource(module, source, ResourceType);
  if (found != nullptr) load.resource = res::LoadResource(module, found);
  if (load.resource == nullptr) {
    Fail("Failed to open \"WAVE\" resource " + ResourceLabel(source));
  }
  void* bytes = res::LockResource(load.resource);
  if (bytes == nullptr) Fail("Failed to lock \"WAVE\" resource");
  const std::uint32_t size = res::SizeofResource(module, found);

  mmio::MMIOINFO info{};
  info.fccIOProc = mmio::FOURCC_MEM;
  info.pchBuffer = static_cast<char*>(bytes);
  // A size the record cannot hold makes the open fail rather than read a wrong length.
  info.cchBuffer = size > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())
                       ? -1
                       : static_cast<std::int32_t>(size);
  info.adwInfo[0] = 0;  // the memory file cannot grow
  mmio::HMMIO file = mmio::mmioOpen(nullptr, &info, mmio::MMIO_READ);
  if (file == nullptr) {
    Fail("Failed to open resource, mmioOpen error= " + std::to_string(info.wErrorRet) +
         ".#13May need to make sure resource is marked read-write");
  }
  return file;
}

mmio::HMMIO OpenMemoryImage(const char* source) {
  // The routine works on its own copy, so the caller's record is never changed.
  mmio::MMIOINFO info{};
  if (source != nullptr) std::memcpy(&info, source, sizeof info);
  mmio::HMMIO file = source != nullptr ? mmio::mmioOpen(nullptr, &info, mmio::MMIO_READ) : nullptr;
  if (file == nullptr) {
    const mmio::MMRESULT code = source != nullptr ? info.wErrorRet : mmio::MMIOERR_CANNOTOPEN;
    Fail("Failed to open memory file, mmioOpen error=" + std::to_string(code) +
         ".#13May need to make sure memory is read-write");
  }
  return file;
}

mmio::HMMIO OpenFile(const char* path) {
  mmio::HMMIO file =
      path != nullptr ? mmio::mmioOpen(path, nullptr, mmio::MMIO_READ | mmio::MMIO_ALLOCBUF) : nullptr;
  if (file == nullptr) Fail(std::string("Failed to open wave file ") + (path != nullptr ? path : ""));
  return file;
}

constexpr std::uint16_t FloatTag = 3;
constexpr std::uint16_t ExtensibleTag = 0xFFFE;
// The sub-format of an extensible "fmt " chunk: a format tag in the first two bytes, then
// the fixed tail every such identifier shares.
constexpr std::uint8_t SubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                            0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The tag an extensible chunk stands for: what follows the first 16 bytes is the extension's
// size (at least 22), the valid bits, the speaker mask and the sub-format.
std::uint16_t ExtensibleTagOf(mmio::HMMIO file, const mmio::MMCKINFO& format) {
  std::uint8_t extension[24];
  constexpr auto wanted = static_cast<std::int32_t>(sizeof extension);
  if (format.cksize < 16 + sizeof extension ||
      mmio::mmioRead(file, reinterpret_cast<char*>(extension), wanted) != wanted ||
      (extension[0] | (extension[1] << 8)) < 22) {
    Fail("Failed to read format chunk");
  }
  if (std::memcmp(extension + 10, SubFormatTail, sizeof SubFormatTail) != 0) {
    return ExtensibleTag;  // no format of the usual family
  }
  return static_cast<std::uint16_t>(extension[8] | (extension[9] << 8));
}

// Reads the "fmt " chunk into wave.format and checks that the samples can be converted.
// PCM (integers) and IEEE float, plain or extensible, are known.
SampleLayout ReadFormat(mmio::HMMIO file, const mmio::MMCKINFO& riff, MixWave& wave) {
  mmio::MMCKINFO format{};
  format.ckid = FormatChunk;
  if (mmio::mmioDescend(file, &format, &riff, mmio::MMIO_FINDCHUNK) != mmio::MMSYSERR_NOERROR) {
    Fail("WAVE file is corrupted");
  }
  // A chunk shorter than the record counts as a short read: the bytes behind it belong to
  // the next chunk, not to the format.
  constexpr auto wanted = static_cast<std::int32_t>(sizeof wave.format);
  if (format.cksize < sizeof wave.format ||
      mmio::mmioRead(file, reinterpret_cast<char*>(&wave.format), wanted) != wanted) {
    Fail("Failed to read format chunk");
  }
  std::uint16_t tag = wave.format.wFormatTag;
  if (tag == ExtensibleTag) tag = ExtensibleTagOf(file, format);
  const SampleLayout layout{tag == FloatTag, wave.format.wBitsPerSample};
  // Floats are known in 32 bits only; other depths of PCM are refused by the conversion.
  if (tag != wo::WAVE_FORMAT_PCM && !(layout.isFloat && layout.bits == 32)) {
    Fail("The file is not a PCM file");
  }
  // The conversion steps divide by both; only mono and stereo are known.
  if (wave.format.nChannels == 0 || wave.format.nChannels > 2) {
    Fail("The file has " + std::to_string(wave.format.nChannels) +
         " channels; only mono and stereo are supported");
  }
  if (wave.format.nSamplesPerSec == 0) Fail("The file has a sample rate of 0");
  mmio::mmioAscend(file, &format, 0);
  return layout;
}

// What the conversion steps see: 16-bit PCM for the wide layouts, the file's format else.
wo::PCMWAVEFORMAT ConvertibleFormat(const wo::PCMWAVEFORMAT& stored, const SampleLayout& layout) {
  wo::PCMWAVEFORMAT format = stored;
  format.wFormatTag = wo::WAVE_FORMAT_PCM;
  if (IsWideLayout(layout)) {
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<std::uint16_t>(format.nChannels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  }
  return format;
}

// Reads the whole "data" chunk (searched onward from the end of "fmt ") into a new block.
// A wave that would be too large once converted is refused before anything is allocated: a
// small file declaring a very low rate would otherwise grow a thousandfold.
std::uint8_t* ReadData(mmio::HMMIO file, const mmio::MMCKINFO& riff, const SampleLayout& layout,
                       const wo::PCMWAVEFORMAT& format, const MixSession& session,
                       std::uint32_t& size) {
  mmio::MMCKINFO data{};
  data.ckid = DataChunk;
  if (mmio::mmioDescend(file, &data, &riff, mmio::MMIO_FINDCHUNK) != mmio::MMSYSERR_NOERROR) {
    Fail("WAVE file has no data chunk");
  }
  if (data.cksize == 0) Fail("The data chunk has no data");
  // A size the file cannot supply would read short anyway; refusing first keeps a lying
  // header from asking for gigabytes.
  const std::int32_t here = mmio::mmioSeek(file, 0, SEEK_CUR);
  const std::int32_t end = mmio::mmioSeek(file, 0, SEEK_END);
  mmio::mmioSeek(file, here, SEEK_SET);
  if (here < 0 || end < here || data.cksize > static_cast<std::uint32_t>(end - here)) {
    Fail("Failed to read data chunk");
  }
  const auto reduced = static_cast<std::uint32_t>(ReducedSize(data.cksize, layout));
  if (ConvertedSize(session.outputFormat, format, reduced, session.exactRate) > MaxWaveBytes) {
    Fail(OutOfMemoryMessage);
  }
  auto* block = static_cast<std::uint8_t*>(std::malloc(data.cksize));
  if (block == nullptr) Fail(OutOfMemoryMessage);
  const auto count = static_cast<std::int32_t>(data.cksize);
  if (mmio::mmioRead(file, reinterpret_cast<char*>(block), count) != count) {
    std::free(block);
    Fail("Failed to read data chunk");
  }
  size = data.cksize;
  return block;
}

void FillName(MixWave& wave, const char* source, std::uint32_t mode) {
  std::string name;
  if (mode & MixOpenFromResource) {
    name = res::IsIntResource(source) ? "res#" + ResourceLabel(source) : std::string(source);
  } else if (mode & MixOpenFromMemory) {
    name = "memory";
  } else {
    name = source;
  }
  std::strncpy(wave.name, name.c_str(), sizeof wave.name - 1);
  wave.name[sizeof wave.name - 1] = '\0';
}

// Unlinks every node of the wave from the channel's queue, keeping the others in order.
void DropWaveFromChannel(MixSession& session, int channel, const MixWave* wave) {
  PlayNode** link = &session.channelTable[channel];
  while (*link != nullptr) {
    PlayNode* node = *link;
    if (node->Wave == wave) {
      *link = node->Next;
      ReturnPlayNode(node);
    } else {
      link = &node->Next;
    }
  }
}

// Requests held with MixPlayWait must not outlive their wave either.
void DropWaveFromPending(MixSession& session, const MixWave* wave) {
  PlayNode* kept = nullptr;  // the nodes to keep, in order, as a plain list
  PlayNode** keptEnd = &kept;
  while (PlayNode* node = TakePending(session)) {
    if (node->Wave == wave) {
      ReturnPlayNode(node);
    } else {
      *keptEnd = node;
      keptEnd = &node->Next;
    }
  }
  while (kept != nullptr) {
    PlayNode* next = kept->Next;
    AppendPending(session, kept);
    kept = next;
  }
}

}  // namespace
}  // namespace wavemix

using namespace wavemix;

MixWave* WaveMixOpenWave(HMIXSESSION handle, const char* source, res::HMODULE module,
                         std::uint32_t mode) {
  MixSession* session = ValidateSession(handle);
  CurrentSession = session;

  if (wo::waveOutOpen(nullptr, static_cast<std::uint32_t>(session->deviceNumber),
                      &session->outputFormat, 0, 0, wo::WAVE_FORMAT_QUERY) != wo::MMSYSERR_NOERROR) {
    Fail("The waveform device can\u00B4t play this format");
  }

  PendingLoad load;
  load.wave = static_cast<MixWave*>(std::calloc(1, sizeof(MixWave)));
  if (load.wave == nullptr) Fail(OutOfMemoryMessage);

  if (mode & MixOpenFromResource) {
    load.file = OpenResource(load, source, module);
  } else if (mode & MixOpenFromMemory) {
    load.file = OpenMemoryImage(source);
  } else {
    load.file = OpenFile(source);
  }

  mmio::MMCKINFO riff{};
  riff.fccType = WaveForm;
  if (mmio::mmioDescend(load.file, &riff, nullptr, mmio::MMIO_FINDRIFF) != mmio::MMSYSERR_NOERROR) {
    Fail("This is not a WAVE file");
  }
  const SampleLayout layout = ReadFormat(load.file, riff, *load.wave);
  const wo::PCMWAVEFORMAT format = ConvertibleFormat(load.wave->format, layout);
  std::uint32_t size = 0;
  load.samples = ReadData(load.file, riff, layout, format, *session, size);
  if (IsWideLayout(layout)) ReduceTo16(load.samples, size, layout);

  // The converter takes the block over, and has released it when it fails.
  std::uint8_t* converted =
      ConvertWaveFormat(session->outputFormat, format, std::exchange(load.samples, nullptr), size,
                        session->exactRate);
  if (converted == nullptr) Fail("Failed to convert wave format");
  load.samples = converted;

  mmio::mmioClose(std::exchange(load.file, nullptr), 0);
  if (load.resource != nullptr) res::FreeResource(std::exchange(load.resource, nullptr));

  MixWave* wave = load.wave;
  wave->header.lpData = reinterpret_cast<char*>(load.samples);
  wave->header.dwBufferLength = size;
  wave->header.dwUser = 0;
  wave->header.dwFlags = 0;
  wave->header.dwLoops = 0;
  FillName(*wave, source, mode);
  RegisterWave(wave);
  load.wave = nullptr;
  load.samples = nullptr;
  return wave;
}

void WaveMixFreeWave(HMIXSESSION handle, MixWave* wave) {
  MixSession* session = ValidateSession(handle);
  if (!IsLiveWave(wave)) Fail("The given pointer was not valid");

  for (int channel = 0; channel < MixChannelCount; ++channel) {
    if (session->channelTable[channel] != ClosedChannel()) DropWaveFromChannel(*session, channel, wave);
  }
  DropWaveFromPending(*session, wave);

  UnregisterWave(wave);
  std::free(wave->header.lpData);
  std::free(wave);
}

