// SPDX-License-Identifier: MIT
// Builds one output block from the channel queues at mixPosition. The block is cut into
// chunks at every point where a request starts, ends or wraps a loop, so each chunk is a
// plain sum of straight runs of bytes (or a fill with silence); a source below full volume
// or off centre is scaled by its channel's gains.
#include <algorithm>
#include <cstring>

#include "wavemix/internal.h"

namespace wavemix {

namespace {

struct ActiveSet {
  PlayNode* requests[MixChannelCount];
  int count = 0;

  std::int64_t FirstStart() const {
    std::int64_t first = NeverPosition;
    for (int i = 0; i < count; ++i) first = std::min<std::int64_t>(first, requests[i]->Start);
    return first;
  }

  // Moves each channel on past the requests that have ended by pos; a channel with nothing
  // left gives its slot to the last one, which is then looked at in turn.
  void Advance(std::int64_t pos) {
    int i = 0;
    while (i < count) {
      PlayNode* request = requests[i];
      while (request != nullptr && pos >= request->End) request = request->Next;
      if (request != nullptr) {
        requests[i++] = request;
      } else {
        requests[i] = requests[--count];
      }
    }
  }
};

// The first request of each busy channel that is not yet fully mixed at position.
ActiveSet CollectActive(const MixSession& session, std::int32_t position) {
  ActiveSet set;
  for (PlayNode* head : session.channelTable) {
    if (head == ClosedChannel() || head == nullptr) continue;
    PlayNode* node = head;
    while (node != nullptr && node->End <= position) node = node->Next;
    if (node != nullptr) set.requests[set.count++] = node;
  }
  return set;
}

}  // namespace

bool MixBlock(WaveBlock* block, bool write) {
  if (block == nullptr) return false;
  MixSession& session = *CurrentSession;

  ActiveSet active = CollectActive(session, session.mixPosition);
  if (active.count == 0) {
    // Nothing sounds: no silence block is written, the device simply runs dry.
    if (write) MarkBlockFree(block);
    return false;
  }

  const MixLevels& levels = session.levels;
  const bool stereo = session.outputFormat.nChannels == 2;
  std::int64_t firstStart = active.FirstStart();
  std::int64_t pos = session.mixPosition;
  int remaining = static_cast<std::uint16_t>(session.blockLength);
  std::uint8_t* out = reinterpret_cast<std::uint8_t*>(block->header.lpData);

  while (remaining > 0) {
    if (pos < firstStart) {
      const int silent = static_cast<int>(std::min<std::int64_t>(remaining, firstStart - pos));
      std::memset(out, 128, static_cast<std::size_t>(silent));
      out += silent;
      pos += silent;
      remaining -= silent;
      continue;
    }

    std::int64_t limit = pos + remaining;
    const std::uint8_t* sources[MixChannelCount];
    const std::int16_t* gains[MixChannelCount];
    bool scaled = false;
    int sounding = 0;
    for (int i = 0; i < active.count; ++i) {
      const PlayNode& request = *active.requests[i];
      if (request.Start > pos) {
        limit = std::min<std::int64_t>(limit, request.Start);
        continue;
      }
      limit = std::min<std::int64_t>(limit, request.End);
      if (request.Length <= 0) continue;  // no samples to read
      std::int64_t offset = pos - request.Start;
      if (request.Request.Loops != 0) {
        offset %= request.Length;
      } else if (offset >= request.Length) {
        continue;  // an end moved past the data never reads beyond it
      }
      limit = std::min<std::int64_t>(limit, pos + request.Length - offset);
      if (!levels.unity) {
        const std::int16_t* gain = levels.gain[request.Request.Channel];
        scaled = scaled || gain[0] != FullGain || gain[1] != FullGain;
        gains[sounding] = gain;
      }
      sources[sounding++] = request.Data + offset;
    }

    const int chunk = static_cast<int>(limit - pos);
    if (sounding == 0) {
      std::memset(out, 128, static_cast<std::size_t>(chunk));
    } else if (scaled) {
      MixScaledSamples(out, sources, gains, static_cast<std::uint16_t>(chunk), sounding,
                       (pos & 1) != 0 && stereo);
    } else {
      MixSamples(out, sources, static_cast<std::uint16_t>(chunk), sounding);
    }
    out += chunk;
    pos += chunk;
    remaining -= chunk;

    active.Advance(pos);
    firstStart = active.FirstStart();
  }

  block->startPosition = session.mixPosition;
  session.mixPosition = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(session.mixPosition) + static_cast<std::uint32_t>(session.blockLength));
  if (!write) return true;

  AppendPlayingBlock(block);
  if (wo::waveOutWrite(session.device, &block->header, sizeof block->header) !=
      wo::MMSYSERR_NOERROR) {
    MarkBlockFree(block);
    UnlinkPlayingBlock(block);
    Fail("Failed to write block to device");
  }
  return true;
}

}  // namespace wavemix
