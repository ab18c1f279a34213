// The real-time wave mixer: load waves once (converted to one 8-bit output format), play
// them on eight channels with queueing, looping, priority and end-of-wave notification,
// and feed the summed blocks to a wave-output device.
//
// Every routine runs on the UI thread (the thread that drains posted messages). Every
// failure raises EWaveMixError with a fixed English message; there are no error codes.
// Handles are checked against the live session and the live waves before anything is read
// through them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/messages/messages.h"
#include "platform/resources/resources.h"
#include "platform/waveout/wave_out.h"

// ---- Errors -------------------------------------------------------------------------

class EWaveMixError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- Constants ----------------------------------------------------------------------

constexpr std::uint16_t SessionMagic = 0x5432;
constexpr std::int32_t NeverPosition = 0x7FFFFFFF;  // stream position that is never reached
constexpr int MixChannelCount = 8;
constexpr int PlayNodePoolSize = 100;
constexpr int MaxWaveBlocks = 6;
constexpr int WaveBlockDataSize = 4096;

// MixConfig::flags
constexpr std::uint32_t MixConfigChannels = 0x0001;
constexpr std::uint32_t MixConfigRate = 0x0002;

// MixPlayParams::Flags (only the low byte is examined)
constexpr std::uint32_t MixPlayQueue = 0x00;
constexpr std::uint32_t MixPlayClearQueue = 0x01;
constexpr std::uint32_t MixPlayLeastRecent = 0x02;
constexpr std::uint32_t MixPlayHighPriority = 0x04;
constexpr std::uint32_t MixPlayWait = 0x08;
constexpr std::uint16_t MixLoopForever = 0xFFFF;

// WaveMixOpenChannels flags (a plain value)
constexpr std::int32_t MixOpenOne = 0;
constexpr std::int32_t MixOpenAll = 1;
constexpr std::int32_t MixOpenCount = 2;

// WaveMixFlushChannels / WaveMixCloseChannels flags (bits)
constexpr std::int32_t MixAllChannels = 0x01;
constexpr std::int32_t MixNoRemix = 0x02;

// WaveMixOpenWave source modes (bits, tested in this order: resource, memory, else file)
constexpr std::uint32_t MixOpenFromFile = 0x01;
constexpr std::uint32_t MixOpenFromResource = 0x02;
constexpr std::uint32_t MixOpenFromMemory = 0x04;

// ---- Records ------------------------------------------------------------------------

struct MixSession;
using HMIXSESSION = MixSession*;  // opaque to callers

#pragma pack(push, 1)
// Optional argument of WaveMixInitEx; size must be sizeof(MixConfig) (10), else it is ignored.
struct MixConfig {
  std::uint16_t size;
  std::uint32_t flags;
  std::uint16_t channels;  // above 1 asks for stereo
  std::uint16_t rateCode;  // 11, 22 or 44 (kHz)
};
#pragma pack(pop)
static_assert(sizeof(MixConfig) == 10);

// One loaded wave, converted to the session's output format. Its address is the wave handle.
struct MixWave {
  wo::PCMWAVEFORMAT format;  // the source file's "fmt " chunk, as stored
  wo::WAVEHDR header;        // lpData / dwBufferLength: the converted samples
  char name[16];             // first 15 characters of the source name, or "res#" + number
};

// Argument record of WaveMixPlay. Size = sizeof(MixPlayParams); not checked.
struct MixPlayParams {
  std::uint16_t Size;
  HMIXSESSION Session;
  std::int32_t Channel;       // with MixPlayLeastRecent, WaveMixPlay writes its choice here
  MixWave* Wave;
  msg::HWND NotifyWindow;     // receives MM_WOM_DONE (wParam channel, lParam wave); 0 = none
  std::uint32_t Flags;
  std::uint16_t Loops;        // extra repetitions; MixLoopForever repeats until flushed
};

// One accepted play request, from the fixed pool.
struct PlayNode {
  PlayNode* Next;             // free pool, PendingPlays or a channel queue
  MixPlayParams Request;      // copy of the caller's record; Channel = channel used
  MixWave* Wave;
  std::int32_t Length;        // bytes of the wave's data
  std::int32_t Start;         // stream position of the first byte
  std::int32_t End;           // position at which the request is finished; NeverPosition
  const std::uint8_t* Data;   // the wave's first data byte
};

// Queue head states of a channel: ClosedChannel(), nullptr (open and idle), or the first node.
inline PlayNode* ClosedChannel() {
  return reinterpret_cast<PlayNode*>(~static_cast<std::uintptr_t>(0));
}

// One output block handed to the device: the record followed by its samples.
struct WaveBlock {
  wo::WAVEHDR header;
  std::uint8_t free;          // 1 = may be taken for mixing
  std::int32_t startPosition; // stream position of data[0]
  HMIXSESSION session;        // device owner when the block was taken
  WaveBlock* nextPlaying;     // link in the playing list
  std::uint8_t data[WaveBlockDataSize];
};

using RemixProc = void (*)(std::int32_t position, PlayNode* node);
using OffsetProc = std::int32_t (*)(std::uint32_t deviceCount, std::int32_t offset);

// The one mixer session. Valid while both guard words hold SessionMagic.
struct MixSession {
  std::uint16_t headMagic;
  msg::HWND callbackWindow;   // exists only while the device is open
  wo::HWAVEOUT device;        // null while closed
  bool active;
  std::int32_t deviceNumber;  // -1 = the wave mapper
  char sectionName[32];       // device product name, names the per-device settings section
  PlayNode* channelTable[MixChannelCount];
  std::int32_t openChannelCount;
  std::int32_t lastPlayStamp[MixChannelCount];
  std::int32_t playCounter;
  wo::PCMWAVEFORMAT outputFormat;
  std::int32_t blockLength;   // 512..4096
  std::int32_t blockCount;    // 2..6
  std::int32_t mixPosition;   // position of the next block to be mixed
  std::uint32_t timeBase;     // timer value at which stream position 0 played
  std::uint8_t goodWavePos;   // 1 = device clock, else timer clock
  std::int32_t positionOffset;
  RemixProc remixProc;
  OffsetProc offsetProc;
  PlayNode* pendingTail;      // PendingPlays: last node of a circular list, or null
  std::uint16_t tailMagic;
};

// ---- Routines -----------------------------------------------------------------------

HMIXSESSION WaveMixInit();
HMIXSESSION WaveMixInitEx(const MixConfig* config);
void WaveMixEndSession(HMIXSESSION session);

void WaveMixActivate(HMIXSESSION session, bool activate);

// source: a path (file), a resource name or MakeIntResource number (resource, with module),
// or the address of a caller-filled mmio::MMIOINFO describing a memory file (memory).
MixWave* WaveMixOpenWave(HMIXSESSION session, const char* source, res::HMODULE module,
                         std::uint32_t mode);
void WaveMixFreeWave(HMIXSESSION session, MixWave* wave);

void WaveMixOpenChannels(HMIXSESSION session, std::int32_t channel, std::int32_t flags);
void WaveMixCloseChannels(HMIXSESSION session, std::int32_t channel, std::int32_t flags);
void WaveMixFlushChannels(HMIXSESSION session, std::int32_t channel, std::int32_t flags);

void WaveMixPlay(MixPlayParams* params);
