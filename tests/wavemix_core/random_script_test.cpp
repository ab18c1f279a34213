// SPDX-License-Identifier: MIT
// Random scripts of high-priority, queue-replacing, flushing and deactivate/activate steps on
// four channels, while a fifth that nobody touches loops a wave of random bytes. Two promises
// are checked: the untouched channel neither skips nor repeats a byte, and every request that
// is neither flushed nor replaced is told exactly once, within a block of its last byte being
// heard. The mixer remixes (the default setting) and reads either clock. Each seed is a test
// of its own (Seeds/RandomScriptTest.Promises/seedN), so a failure names the seed that replays
// it.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>

#include "mixer_fixture.h"

namespace mixtest {
namespace {

constexpr int kTouchedChannels = 4;  // channels 1..4; channel 0 is the untouched one
constexpr int kSteps = 40;

struct Request {
  std::unique_ptr<HandWave> wave;
  int channel = 0;
  std::uint32_t flags = 0;
  bool exempt = false;  // flushed or replaced while queued: told at most once
  std::int32_t end = 0;
  std::vector<Notice> told;
};

class RandomScriptTest : public MixerTest, public ::testing::WithParamInterface<std::uint32_t> {
 protected:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

  std::vector<PlayNode*> Queue(int channel) {
    std::vector<PlayNode*> nodes;
    for (PlayNode* n = session_->channelTable[channel]; n != nullptr; n = n->Next) {
      nodes.push_back(n);
    }
    return nodes;
  }
  void ExemptQueue(int channel) {
    for (PlayNode* node : Queue(channel)) byWave_.at(node->Wave)->exempt = true;
  }

  void StartSession() {
    static constexpr int kBlockLengths[] = {0, 512, 777, 1001, 2048, 4096};
    static constexpr std::uint16_t kRates[] = {11, 22, 44};
    clock_ = Pick(0, 1);
    const int blocks = Pick(2, 6);
    const int length = kBlockLengths[Pick(0, 5)];
    const auto channels = static_cast<std::uint16_t>(Pick(1, 2));
    const std::uint16_t rate = kRates[Pick(0, 2)];
    std::string settings = "[Virtual wave output]\nGoodWavePos=" + std::to_string(clock_) +
                           "\nWaveBlocks=" + std::to_string(blocks) + "\n";
    if (length != 0) settings += "WaveBlockLen=" + std::to_string(length) + "\n";
    WriteSettings(settings);
    const MixConfig config{sizeof(MixConfig), MixConfigChannels | MixConfigRate, channels, rate};
    InitEx(&config);
    WaveMixActivate(session_, true);
    WaveMixOpenChannels(session_, 0, MixOpenAll);
    frame_ = session_->outputFormat.nBlockAlign;
  }

  // held: may be held with MixPlayWait.
  void PlayRandomRequest(bool held) {
    auto request = std::make_unique<Request>();
    request->wave = std::make_unique<HandWave>(Constant(Pick(1, 3000) * frame_, 128));
    request->channel = Pick(1, kTouchedChannels);
    if (Pick(0, 2) == 0) request->flags |= MixPlayClearQueue;
    if (Pick(0, 1) == 0) request->flags |= MixPlayHighPriority;
    if (Pick(0, 5) == 0 && held) request->flags |= MixPlayWait;
    const std::uint16_t loops = Pick(0, 9) == 0
                                    ? MixLoopForever
                                    : static_cast<std::uint16_t>(Pick(0, 3) == 0 ? Pick(1, 3) : 0);
    byWave_[request->wave->get()] = request.get();
    pending_.push_back(request.get());
    Request& r = *request;
    requests_.push_back(std::move(request));
    if (!(r.flags & MixPlayWait)) {
      // A replacement drops its channel's queue and the requests placed there before it.
      for (std::size_t i = 0; i < pending_.size(); ++i) {
        if (!(pending_[i]->flags & MixPlayClearQueue)) continue;
        ExemptQueue(pending_[i]->channel);
        for (std::size_t j = 0; j < i; ++j) {
          if (pending_[j]->channel == pending_[i]->channel) pending_[j]->exempt = true;
        }
      }
    }
    marks_.push_back(Recording().size());
    Play(r.channel, *r.wave, r.flags, loops, NotifyWindow());
    if (r.flags & MixPlayWait) return;
    for (int channel = 1; channel <= kTouchedChannels; ++channel) {
      for (PlayNode* node : Queue(channel)) {
        Request& placed = *byWave_.at(node->Wave);
        if (std::find(pending_.begin(), pending_.end(), &placed) != pending_.end()) {
          placed.end = node->End;
        }
      }
    }
    pending_.clear();
  }

  void Step() {
    switch (Pick(0, 9)) {
      case 0:
      case 1:
      case 2:
      case 3:
        PlayRandomRequest(true);
        break;
      case 4:
      case 5:
      case 6:
        Advance(static_cast<std::uint32_t>(Pick(0, 400)));
        break;
      case 7:
      case 8: {
        const int channel = Pick(1, kTouchedChannels);
        ExemptQueue(channel);
        marks_.push_back(Recording().size());
        WaveMixFlushChannels(session_, channel, Pick(0, 2) == 0 ? MixNoRemix : 0);
        break;
      }
      default:
        marks_.push_back(Recording().size());
        WaveMixActivate(session_, false);
        Advance(static_cast<std::uint32_t>(Pick(0, 300)));
        WaveMixActivate(session_, true);
        break;
    }
  }

  bool EveryFiniteRequestEnded() const {
    for (const auto& r : requests_) {
      if (!r->exempt && r->end != NeverPosition && r->told.empty()) return false;
    }
    return true;
  }

  std::mt19937 rng_{GetParam()};
  int clock_ = 1;  // GoodWavePos: 1 the device clock, 0 the timer
  int frame_ = 1;
  std::vector<std::unique_ptr<Request>> requests_;
  std::vector<Request*> pending_;   // held with MixPlayWait
  std::vector<std::size_t> marks_;  // recording sizes where the clock may have been read
  std::map<const MixWave*, Request*> byWave_;
};

TEST_P(RandomScriptTest, Promises) {
  SCOPED_TRACE("seed " + std::to_string(GetParam()));
  StartSession();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Pick(3000, 20000) / frame_ * frame_));
  for (std::uint8_t& b : bytes) {
    const int value = Pick(0, 254);
    b = static_cast<std::uint8_t>(value >= 128 ? value + 1 : value);  // never silence
  }
  HandWave untouched(bytes);
  Play(0, untouched, 0, MixLoopForever);
  const std::int32_t untouchedStart = session_->channelTable[0]->Start;

  for (int step = 0; step < kSteps; ++step) Step();
  if (!pending_.empty()) PlayRandomRequest(false);  // places the held ones
  const auto collect = [this] {
    for (const Notice& n : Notices()) {
      byWave_.at(reinterpret_cast<const MixWave*>(n.wave))->told.push_back(n);
    }
    Notices().clear();
  };
  for (int second = 0; second < 60; ++second) {
    collect();
    if (EveryFiniteRequestEnded()) break;
    Advance(1000);
  }
  collect();

  // The untouched channel, heard without the silence of the pauses, is its wave over and
  // over. Only where the clock was read to move the stream (a remix, a deactivation) may the
  // timer clock slip, by at most a frame: its millisecond grid may fall a frame either side
  // of what the device played. The device clock is exact. heardAt maps each stream position
  // (from the channel's start) to where the recording holds it.
  std::vector<std::size_t> heardAt;
  const auto& recording = Recording();
  const auto matchesAt = [&](std::size_t i, std::int64_t position, std::size_t until) {
    for (std::size_t k = 0, at = i; k < 8 && at < until; ++at) {
      if (recording[at] == 128) continue;
      if (recording[at] != bytes[(static_cast<std::size_t>(position) + k++) % bytes.size()]) {
        return false;
      }
    }
    return true;
  };
  std::int64_t position = 0;
  std::size_t nextMark = 0;
  for (std::size_t i = 0; i < recording.size(); ++i) {
    if (recording[i] == 128) continue;
    bool mark = false;
    for (; nextMark < marks_.size() && marks_[nextMark] <= i; ++nextMark) mark = true;
    if (mark && clock_ == 0) {
      const std::size_t until = nextMark < marks_.size() ? marks_[nextMark] : recording.size();
      for (const int d : {0, -1, 1, -2, 2}) {
        if (std::abs(d) <= frame_ && position + d >= 0 && matchesAt(i, position + d, until)) {
          position += d;
          break;
        }
      }
    }
    ASSERT_EQ(recording[i], bytes[static_cast<std::size_t>(position) % bytes.size()])
        << "stream byte " << position << " heard at " << HeardByMs(i) << " ms";
    heardAt.resize(static_cast<std::size_t>(position) + 1);
    heardAt[static_cast<std::size_t>(position++)] = i;
  }

  for (std::size_t i = 0; i < requests_.size(); ++i) {
    const Request& r = *requests_[i];
    SCOPED_TRACE("request " + std::to_string(i) + " on channel " + std::to_string(r.channel));
    for (const Notice& n : r.told) EXPECT_EQ(n.channel, static_cast<msg::WPARAM>(r.channel));
    if (r.exempt) {
      EXPECT_LE(r.told.size(), 1u);
      continue;
    }
    if (r.end == NeverPosition) {
      EXPECT_TRUE(r.told.empty());
      continue;
    }
    ASSERT_EQ(r.told.size(), 1u) << "end " << r.end;
    const auto last = static_cast<std::size_t>(r.end - 1 - untouchedStart);
    ASSERT_LT(last, heardAt.size()) << "end " << r.end;
    const std::uint32_t lastHeard = HeardByMs(heardAt[last]);
    EXPECT_GE(r.told[0].atMs, lastHeard) << "end " << r.end;
    EXPECT_LE(r.told[0].atMs, lastHeard + BlockMs()) << "end " << r.end;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomScriptTest, ::testing::Range(1u, 41u),
                         [](const auto& seed) { return "seed" + std::to_string(seed.param); });

}  // namespace
}  // namespace mixtest
