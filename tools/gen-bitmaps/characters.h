// SPDX-License-Identifier: MIT
#pragma once
// The three characters, each drawn in its own frame (see LocalFrame) so that one drawing serves
// every scene at any size, facing either way.
//
// Unit sizes: the hero stands 38 units tall, the doll 40; the fish is 100 units long.

#include <QPainter>

enum class HeroPose {
  kStand,    // paws down, ready
  kAttack,   // lunging with the sword forward
  kMagic,    // wand raised over the head
  kVictory,  // fist up
  kEat,      // paws at the mouth, eyes closed with joy
  kHoldUp,   // both paws raised, holding something up
  kShield,   // one paw pushed forward, bracing
  kPlead,    // both paws spread wide
  kSit,      // sitting with the legs forward
};
enum class HeroFace { kBold, kHappy, kTearful };

// `feet`: the point between the feet; faces right unless `facingLeft`.
void DrawHero(QPainter& p, QPointF feet, double scale, bool facingLeft, HeroPose pose,
              HeroFace face = HeroFace::kBold);

enum class FishMood { kCalm, kAngry, kCrying, kFire, kBeaten };
// `centre`: the middle of the body; the mouth faces left unless `facingRight`. A beaten fish
// floats belly up.
void DrawFish(QPainter& p, QPointF centre, double scale, bool facingRight, FishMood mood);
void DrawFishBones(QPainter& p, QPointF centre, double scale, bool facingRight);

enum class DollMood { kSweet, kFierce, kHurt, kHappy, kGlare, kTearful, kCalm };
// `feet`: the point between the feet.
void DrawDoll(QPainter& p, QPointF feet, double scale, bool facingLeft, DollMood mood);
