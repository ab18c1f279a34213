// SPDX-License-Identifier: MIT
// The mixer's own records: play nodes, output blocks and the session. Callers hold a session
// only as an opaque handle; these layouts serve the mixer's source files and tests.
#pragma once

#include <cstdint>

#include "platform/messages/messages.h"
#include "platform/waveout/wave_out.h"
#include "wavemix/wavemix.h"

constexpr std::uint16_t SessionMagic = 0x5432;
constexpr std::int32_t NeverPosition = 0x7FFFFFFF;  // stream position that is never reached
constexpr int PlayNodePoolSize = 100;
constexpr int MaxWaveBlocks = 6;
constexpr int WaveBlockDataSize = 4096;

// One accepted play request, from the fixed pool.
struct PlayNode {
  PlayNode* Next;         // free pool, PendingPlays or a channel queue
  MixPlayParams Request;  // copy of the caller's record; Channel = channel used
  MixWave* Wave;
  std::int32_t Length;       // bytes of the wave's data
  std::int32_t Start;        // stream position of the first byte
  std::int32_t End;          // position at which the request is finished; NeverPosition
  const std::uint8_t* Data;  // the wave's first data byte
};

// Queue head states of a channel: ClosedChannel(), nullptr (open and idle), or the first node.
inline PlayNode* ClosedChannel() {
  return reinterpret_cast<PlayNode*>(~static_cast<std::uintptr_t>(0));
}

// One output block handed to the device: the record followed by its samples.
struct WaveBlock {
  wo::WAVEHDR header;
  std::uint8_t free;           // 1 = may be taken for mixing
  std::int32_t startPosition;  // stream position of data[0]
  HMIXSESSION session;         // device owner when the block was taken
  WaveBlock* nextPlaying;      // link in the playing list
  std::uint8_t data[WaveBlockDataSize];
};

// Volume and pan of a session, with the gains the mixer applies (FullGain = 1).
constexpr int GainShift = 14;
constexpr std::int16_t FullGain = 1 << GainShift;
struct MixLevels {
  std::uint8_t volume[MixChannelCount];   // 0..100
  std::int8_t pan[MixChannelCount];       // -100..100
  std::uint8_t master;                    // 0..100
  bool unity;                             // every gain full: the mix is the plain sum
  std::int16_t gain[MixChannelCount][2];  // left, right; mono uses both alike
};

using RemixProc = void (*)(std::int32_t position, PlayNode* node);
using OffsetProc = std::int32_t (*)(std::uint32_t deviceCount, std::int32_t offset);

// The one mixer session. Valid while both guard words hold SessionMagic.
struct MixSession {
  std::uint16_t headMagic;
  msg::HWND callbackWindow;  // exists only while the device is open
  wo::HWAVEOUT device;       // null while closed
  bool active;
  std::int32_t deviceNumber;  // -1 = the wave mapper
  char sectionName[32];       // device product name, names the per-device settings section
  PlayNode* channelTable[MixChannelCount];
  std::int32_t openChannelCount;
  std::int32_t lastPlayStamp[MixChannelCount];
  std::int32_t playCounter;
  wo::PCMWAVEFORMAT outputFormat;
  std::int32_t blockLength;  // 512..4096
  std::int32_t blockCount;   // 2..6
  std::int32_t mixPosition;  // position of the next block to be mixed
  std::uint32_t timeBase;    // timer value at which stream position 0 played
  std::uint8_t goodWavePos;  // 1 = device clock, else timer clock
  std::int32_t positionOffset;
  RemixProc remixProc;
  OffsetProc offsetProc;
  PlayNode* pendingTail;  // PendingPlays: last node of a circular list, or null
  MixLevels levels;
  bool exactRate;              // waves of another rate are resampled to the output's
  std::int64_t positionShift;  // what the long-stream shifts took off the positions
  std::uint16_t tailMagic;
};
