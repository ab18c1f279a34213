// SPDX-License-Identifier: MIT
// Random scripts of high-priority, queue-replacing, flushing and deactivate/activate steps on
// four channels, while a fifth that nobody touches loops a wave of random bytes. Two promises
// are checked on what the device received: the untouched channel neither skips nor repeats a
// byte, and every request heard to its end is told exactly once, within a block of its last
// byte being heard, while one dropped before its end was heard is told nothing. The mixer
// remixes (the default setting); every seed runs with both clocks, on the virtual device and
// (wavemix_random_sdl_tests), in real time, on SDL's disk driver, whose file holds what SDL
// was handed. Each case is a test of its own (Scripts/RandomScriptTest.Promises/
// sdl_timer_seed7), so a failure names what replays it.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <thread>

#include "mixer_fixture.h"
#include "platform/waveout/backend.h"

namespace mixtest {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kTouchedChannels = 4;  // channels 1..4; channel 0 is the untouched one
constexpr int kSteps = 40;
// What a busy machine may add to a notice on SDL's real-time thread, beyond the block's time.
constexpr std::uint32_t kSchedulingSlackMs = 60;

struct Case {
  bool sdl;
  int clock;  // GoodWavePos: 1 the device clock, 0 the timer
  std::uint32_t seed;
};

struct Told {
  msg::WPARAM channel;
  std::uint32_t atMs;
  bool deviceOpen;
  std::int32_t audible;  // the device's audible position when it arrived
};

struct Request {
  std::unique_ptr<HandWave> wave;
  int channel = 0;
  std::uint32_t flags = 0;
  bool placed = false;
  std::int32_t end = 0;
  std::uint32_t placedAtMs = 0;
  // Dropped (flushed or replaced) before its end: told once when its end had been heard by
  // then, else never; "either" when the drop came while the device played that very end.
  bool dropped = false;
  bool heardBeforeDrop = false;
  bool heardDuringDrop = false;
  std::vector<Told> told;
};

class RandomScriptTest : public MixerTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    MixerTest::SetUp();
    self_ = this;
    if (!GetParam().sdl) return;
    char folder[] = "/tmp/mixcore-disk-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    raw_ = std::string(folder) + "/received.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw_.c_str(), 1);
    sdl_ = wo::MakeSdlBackend();
    wo::InstallBackend(sdl_.get());
    start_ = SteadyClock::now();
  }
  void TearDown() override {
    MixerTest::TearDown();
    sdl_.reset();
    self_ = nullptr;
    if (GetParam().sdl) {
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      std::filesystem::remove_all(std::filesystem::path(raw_).parent_path());
    }
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool Sdl() const { return GetParam().sdl; }

  std::uint32_t NowMs() const {
    if (!Sdl()) return device_->NowMs();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start_).count());
  }
  std::int32_t Audible() const { return wavemix::CurrentPosition(session_->device, 1); }

  // Lets ms pass: exactly on the virtual device; in real time on SDL, draining messages as a
  // UI thread would and noting when the device's audible position moves.
  void Wait(std::uint32_t ms) {
    if (!Sdl()) return Advance(ms);
    const auto end = SteadyClock::now() + std::chrono::milliseconds(ms);
    do {
      while (msg::HasPostedMessages()) msg::DispatchPostedMessages();
      if (session_->device != nullptr) samples_.push_back({NowMs(), Audible()});
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (SteadyClock::now() < end);
    while (msg::HasPostedMessages()) msg::DispatchPostedMessages();
  }

  // What SDL was handed since the device was opened (the disk driver starts its file afresh
  // at every opening), back in the mixer's 8 bits from the 16 the output widens them to.
  void CollectReceived() {
    if (!Sdl()) return;
    std::ifstream in(raw_, std::ios::binary);
    const std::vector<char> wide{std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>()};
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
      const auto sample = static_cast<std::int16_t>(static_cast<std::uint8_t>(wide[i]) |
                                                    static_cast<std::uint8_t>(wide[i + 1]) << 8);
      received_.push_back(static_cast<std::uint8_t>(sample / 256 + 128));
    }
  }
  const std::vector<std::uint8_t>& Received() const { return Sdl() ? received_ : Recording(); }

  void Deactivate() {
    WaveMixActivate(session_, false);
    CollectReceived();
  }

  static msg::LRESULT NoticeProc(msg::HWND, msg::UINT message, msg::WPARAM wParam,
                                 msg::LPARAM lParam) {
    if (message != wo::MM_WOM_DONE || self_ == nullptr) return 0;
    RandomScriptTest& t = *self_;
    const bool open = t.session_ != nullptr && t.session_->device != nullptr;
    t.byWave_.at(reinterpret_cast<const MixWave*>(lParam))
        ->told.push_back({wParam, t.NowMs(), open, open ? t.Audible() : 0});
    return 0;
  }

  msg::HWND Notifier() {
    if (notifier_ == 0) {
      msg::RegisterClass("RandomScriptNotice", NoticeProc);
      notifier_ = msg::CreateWindow("RandomScriptNotice", 0);
    }
    return notifier_;
  }

  std::vector<PlayNode*> Queue(int channel) {
    std::vector<PlayNode*> nodes;
    for (PlayNode* n = session_->channelTable[channel]; n != nullptr; n = n->Next) {
      nodes.push_back(n);
    }
    return nodes;
  }

  // Runs a call that drops the nodes given (and requests never placed): each is told when its
  // end was heard before the call, and never when it was not heard after it.
  template <typename Call>
  void Dropping(const std::vector<PlayNode*>& nodes, const std::vector<Request*>& unplaced,
                Call call) {
    std::vector<std::pair<Request*, std::int32_t>> ends;
    for (PlayNode* node : nodes) ends.emplace_back(byWave_.at(node->Wave), node->End);
    const std::int32_t before = Audible();
    call();
    const std::int32_t after = session_->device != nullptr ? Audible() : before;
    for (const auto& [request, end] : ends) {
      request->dropped = true;
      request->heardBeforeDrop = before >= end;
      request->heardDuringDrop = !request->heardBeforeDrop && after >= end;
    }
    for (Request* request : unplaced) request->dropped = true;
  }

  void StartSession() {
    static constexpr int kBlockLengths[] = {0, 512, 777, 1001, 2048, 4096};
    static constexpr std::uint16_t kRates[] = {11, 22, 44};
    const int blocks = Pick(2, 6);
    const int length = kBlockLengths[Pick(0, 5)];
    const auto channels = static_cast<std::uint16_t>(Pick(1, 2));
    const std::uint16_t rate = kRates[Pick(0, 2)];
    wo::WAVEOUTCAPS caps{};
    ASSERT_EQ(wo::waveOutGetDevCaps(0, &caps, sizeof caps), 0u);
    std::string settings = "[" + std::string(caps.szPname) +
                           "]\nGoodWavePos=" + std::to_string(GetParam().clock) +
                           "\nWaveBlocks=" + std::to_string(blocks) + "\n";
    if (length != 0) settings += "WaveBlockLen=" + std::to_string(length) + "\n";
    WriteSettings(settings);
    const MixConfig config{sizeof(MixConfig), MixConfigChannels | MixConfigRate, channels, rate};
    InitEx(&config);
    ASSERT_EQ(session_->goodWavePos, GetParam().clock);
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
    const auto play = [&] { Play(r.channel, *r.wave, r.flags, loops, Notifier()); };
    if (r.flags & MixPlayWait) return play();

    // A replacement drops its channel's queue and the requests held before it there.
    std::vector<PlayNode*> replaced;
    std::vector<Request*> unplaced;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
      if (!(pending_[i]->flags & MixPlayClearQueue)) continue;
      for (PlayNode* node : Queue(pending_[i]->channel)) {
        if (std::find(replaced.begin(), replaced.end(), node) == replaced.end()) {
          replaced.push_back(node);
        }
      }
      for (std::size_t j = 0; j < i; ++j) {
        if (pending_[j]->channel == pending_[i]->channel) unplaced.push_back(pending_[j]);
      }
    }
    Dropping(replaced, unplaced, play);
    for (int channel = 1; channel <= kTouchedChannels; ++channel) {
      for (PlayNode* node : Queue(channel)) {
        Request& placed = *byWave_.at(node->Wave);
        if (std::find(pending_.begin(), pending_.end(), &placed) != pending_.end()) {
          placed.placed = true;
          placed.end = node->End;
          placed.placedAtMs = NowMs();
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
        Wait(static_cast<std::uint32_t>(Pick(0, 400)));
        break;
      case 7:
      case 8: {
        const int channel = Pick(1, kTouchedChannels);
        const std::int32_t flags = Pick(0, 2) == 0 ? MixNoRemix : 0;
        Dropping(Queue(channel), {}, [&] { WaveMixFlushChannels(session_, channel, flags); });
        break;
      }
      default:
        Deactivate();
        Wait(static_cast<std::uint32_t>(Pick(0, 300)));
        WaveMixActivate(session_, true);
        break;
    }
  }

  bool EveryHeardRequestTold() const {
    for (const auto& r : requests_) {
      if (!r->dropped && r->placed && r->end != NeverPosition && r->told.empty()) return false;
    }
    return true;
  }

  // On SDL: when the device's audible position first reached `end` after `from`, as the
  // draining thread saw it (at the notice itself when no earlier look saw it).
  std::uint32_t HeardByOnSdl(std::int32_t end, std::uint32_t from, std::uint32_t told) const {
    for (const auto& [atMs, audible] : samples_) {
      if (atMs >= from && atMs <= told && audible >= end) return atMs;
    }
    return told;
  }

  static RandomScriptTest* self_;
  std::mt19937 rng_{GetParam().seed};
  int frame_ = 1;
  std::vector<std::unique_ptr<Request>> requests_;
  std::vector<Request*> pending_;  // held with MixPlayWait
  std::map<const MixWave*, Request*> byWave_;
  msg::HWND notifier_ = 0;
  // SDL's disk driver.
  std::unique_ptr<wo::Backend> sdl_;
  std::string raw_;
  std::vector<std::uint8_t> received_;
  SteadyClock::time_point start_;
  std::vector<std::pair<std::uint32_t, std::int32_t>> samples_;  // ms, audible position
};

RandomScriptTest* RandomScriptTest::self_ = nullptr;

TEST_P(RandomScriptTest, Promises) {
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
  for (int second = 0; second < 60 && !EveryHeardRequestTold(); ++second) Wait(1000);
  Deactivate();
  while (msg::HasPostedMessages()) msg::DispatchPostedMessages();

  // The untouched channel, heard without the silence of the pauses, is its wave over and
  // over, on either clock. heardAt maps each stream position (from the channel's start) to
  // where the recording holds it.
  const std::vector<std::uint8_t>& received = Received();
  std::vector<std::size_t> heardAt;
  std::size_t position = 0;
  for (std::size_t i = 0; i < received.size(); ++i) {
    if (received[i] == 128) continue;
    ASSERT_EQ(received[i], bytes[position % bytes.size()])
        << "stream byte " << position << " received as byte " << i;
    heardAt.push_back(i);
    ++position;
  }
  ASSERT_GT(position, 0u) << "the untouched channel was heard";

  for (std::size_t i = 0; i < requests_.size(); ++i) {
    const Request& r = *requests_[i];
    SCOPED_TRACE("request " + std::to_string(i) + " on channel " + std::to_string(r.channel) +
                 ", end " + std::to_string(r.end));
    for (const Told& t : r.told) EXPECT_EQ(t.channel, static_cast<msg::WPARAM>(r.channel));
    if (r.dropped) {
      if (r.heardBeforeDrop) {
        EXPECT_EQ(r.told.size(), 1u) << "heard before it was dropped";
      } else if (!r.heardDuringDrop) {
        EXPECT_TRUE(r.told.empty()) << "dropped before it was heard";
      }
      EXPECT_LE(r.told.size(), 1u);
      continue;
    }
    if (r.end == NeverPosition) {
      EXPECT_TRUE(r.told.empty());
      continue;
    }
    ASSERT_EQ(r.told.size(), 1u);
    const Told& told = r.told[0];
    if (Sdl()) {
      if (!told.deviceOpen) continue;  // told as the device was given up
      EXPECT_GE(told.audible, r.end) << "told before its end was heard";
      EXPECT_LE(told.atMs, HeardByOnSdl(r.end, r.placedAtMs, told.atMs) + BlockMs() +
                               kSchedulingSlackMs);
      continue;
    }
    const auto last = static_cast<std::size_t>(r.end - 1 - untouchedStart);
    ASSERT_LT(last, heardAt.size());
    const std::uint32_t lastHeard = HeardByMs(heardAt[last]);
    EXPECT_GE(told.atMs, lastHeard);
    EXPECT_LE(told.atMs, lastHeard + BlockMs());
  }
}

// The real-time cases form a test program of their own, run under ThreadSanitizer too.
#ifdef RANDOM_SCRIPTS_ON_SDL
constexpr bool kOnSdl = true;
#else
constexpr bool kOnSdl = false;
#endif

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  for (const int clock : {0, 1}) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) cases.push_back({kOnSdl, clock, seed});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Scripts, RandomScriptTest, ::testing::ValuesIn(AllCases()),
                         [](const auto& test) {
                           const Case& c = test.param;
                           return std::string(c.sdl ? "sdl" : "virtual") +
                                  (c.clock == 1 ? "_device" : "_timer") + "_seed" +
                                  std::to_string(c.seed);
                         });

}  // namespace
}  // namespace mixtest
