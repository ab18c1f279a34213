// SPDX-License-Identifier: MIT
// The window's sound: the mixer component with its two waves, and the hidden music player.
// Every sound and music failure during play is swallowed where it arises, so the game runs the
// same with or without them; only a mixer that cannot be set up stops the program.
#include <utility>

#include "game/unit1.h"

namespace brandel {

namespace {

constexpr std::int32_t kAttackChannel = 0;
constexpr std::int32_t kButtonChannel = 1;
constexpr std::uint8_t kOpenChannels = 0x0F;  // channels 0 to 3

// A guarded block: any error ends it silently. False when it ended by an error.
template <typename Block>
bool Quietly(Block block) {
  try {
    block();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

// Part of laying out the window: the properties are applied in their stored order, and an
// error leaves the constructor, so no window exists without a working mixer.
void TForm1::SetUpSound() {
  WaveMix1 = std::make_unique<TWaveMix>();
  WaveMix1->SetActivated(true);
  WaveMix1->SetChannels(kOpenChannels);
  mid_p = std::make_unique<TMediaPlayer>();
}

// One block: when "1.wav" fails, "2.wav" is not tried.
void TForm1::OpenWaves() {
  Quietly([this] {
    AttackWave = WaveMix1->OpenWave(Asset("1.wav").c_str());
    ButtonWave = WaveMix1->OpenWave(Asset("2.wav").c_str());
  });
}

// The reverse of opening. An empty reference is skipped rather than handed to the mixer, whose
// refusal would end the block and leave "1.wav" unfreed when only "2.wav" failed.
void TForm1::FreeWaves() {
  Quietly([this] {
    if (ButtonWave != nullptr) WaveMix1->FreeWave(std::exchange(ButtonWave, nullptr));
    if (AttackWave != nullptr) WaveMix1->FreeWave(std::exchange(AttackWave, nullptr));
  });
}

// A copy held by a press whose attack could not be played is released here too.
void TForm1::PlayButtonSound() {
  if (Quietly([this] { WaveMix1->Play(kButtonChannel, ButtonWave, 0, EffectFlags(), 0); })) {
    buttonHeld_ = false;
  }
}

void TForm1::PlayAttackSound() {
  Quietly([this] { WaveMix1->Play(kAttackChannel, AttackWave, 0, EffectFlags(), 0); });
}

// Quick response starts a press's sounds at once, in place of queueing them after what is mixed.
std::uint32_t TForm1::EffectFlags() const {
  return quickEffects_ ? MixPlayHighPriority : MixPlayQueue;
}

// A plain request starts after the audio already mixed, so after a quiet spell the attack sound
// would follow the button sound's first block. Held, the button sound is placed by the attack
// sound's request, on the same sample. When the attack cannot be played the button is not held:
// nothing would release it. Should the attack's request still fail (every play node in use),
// the held copy stays the button sound of the next request that releases it.
void TForm1::PlayPressSounds() {
  const bool attackPlayable =
      AttackWave != nullptr && (WaveMix1->Channels() & (1u << kAttackChannel)) != 0;
  if (!attackPlayable) {
    PlayButtonSound();
    PlayAttackSound();
    return;
  }
  if (!buttonHeld_) {
    buttonHeld_ =
        Quietly([this] { WaveMix1->Play(kButtonChannel, ButtonWave, 0, MixPlayWait, 0); });
  }
  if (Quietly([this] { WaveMix1->Play(kAttackChannel, AttackWave, 0, EffectFlags(), 0); })) {
    buttonHeld_ = false;
  }
}

void TForm1::PlayMusic(const std::string& name) {
  if (name.empty()) return;
  Quietly([this, &name] {
    mid_p->SetFileName(Asset(("\\dat\\" + name).c_str()));
    mid_p->Open();
    mid_p->Play();
  });
}

}  // namespace brandel
