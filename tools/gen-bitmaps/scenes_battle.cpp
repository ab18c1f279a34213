// SPDX-License-Identifier: MIT
// The battle pictures: the resting view, the attack and magic flashes, and how each battle ends.

#include "backdrops.h"
#include "characters.h"
#include "draw.h"
#include "effects.h"
#include "scenes.h"

namespace {

constexpr double kHeroScale = 1.3;
constexpr QPointF kHeroFeet(32, 88);
constexpr QPointF kFishCentre(106, 46);
constexpr double kFishScale = 0.62;
constexpr QPointF kDollFeet(110, 90);
constexpr double kDollScale = 1.3;

// The fish is fought in the street of the city it attacked.
void FishArena(QPainter& p) {
  Sky(p, pal::kDayTop, pal::kDayLow, 72);
  Cloud(p, QPointF(40, 12), 0.8, pal::kCloud);
  City(p, 72, 24, CityMood::kDay, 31);
  Road(p, 72);
}

// The doll is fought on a meadow at dusk.
void DollArena(QPainter& p) {
  Sky(p, pal::kDuskTop, pal::kDuskLow, 72);
  Sun(p, QPointF(75, 70), 10, false);
  HillTop(p, QPointF(30, 76), 50, 12, pal::kHill);
  HillTop(p, QPointF(120, 78), 60, 14, Mix(pal::kHill, pal::kDuskTop, 0.3));
  Meadow(p, 72, pal::kGrass, pal::kGrassDark);
}

void FlashBackground(QPainter& p, QPointF focus) {
  Fill(p, QRectF(0, 0, kPictureWidth, kPictureHeight), pal::kFlashSky);
  SpeedLines(p, focus, 18, 30, pal::kFlameMid, 41);
  Fill(p, QRectF(0, 88, kPictureWidth, 12), Mix(pal::kFlashSky, pal::kFlameMid, 0.5));
}

void MagicBackground(QPainter& p) {
  Bands(p, QRect(0, 0, kPictureWidth, kPictureHeight), pal::kBlack, pal::kMagicSky, 6);
  Stars(p, 40, 19, 100);
  Fill(p, QRectF(0, 88, kPictureWidth, 12), pal::kMagicSky);
}

// A glowing circle on the ground under the spell-caster.
void MagicCircle(QPainter& p, QPointF feet) {
  QPainterPath ring;
  ring.addEllipse(feet, 16, 4);
  Outline(p, ring, pal::kMagicLight);
  QPainterPath inner;
  inner.addEllipse(feet, 12, 3);
  Outline(p, inner, pal::kMagic);
}

// Bolts and sparkles from the wand's star to `target`.
void Spell(QPainter& p, QPointF target) {
  const QPointF wandTip = kHeroFeet + QPointF(17, -44) * kHeroScale;
  LightningBolt(p, wandTip, target, 3);
  LightningBolt(p, wandTip, target + QPointF(6, 12), 11);
  Sparkle(p, target, 10, pal::kMagicLight);
  Sparkle(p, target + QPointF(-12, -10), 5, pal::kMagic);
  Sparkle(p, target + QPointF(10, -14), 6, pal::kMagicLight);
  Sparkle(p, target + QPointF(12, 12), 4, pal::kMagic);
  Sparkle(p, wandTip, 7, pal::kWhite);
}

}  // namespace

void DrawFishBa0(QPainter& p) {
  FishArena(p);
  GroundShadow(p, QPointF(kHeroFeet.x(), kHeroFeet.y()), 12);
  GroundShadow(p, QPointF(kFishCentre.x(), 90), 22);
  DrawHero(p, kHeroFeet, kHeroScale, false, HeroPose::kStand);
  DrawFish(p, kFishCentre, kFishScale, false, FishMood::kAngry);
}

void DrawFishBa1(QPainter& p) {
  FlashBackground(p, kFishCentre);
  DrawFish(p, kFishCentre + QPointF(4, 0), kFishScale, false, FishMood::kAngry);
  DrawHero(p, QPointF(58, 88), kHeroScale, false, HeroPose::kAttack);
  SlashArc(p, kFishCentre + QPointF(4, 2), 24, 70, 110);
  ImpactStar(p, kFishCentre + QPointF(-8, -4), 15, 8, pal::kGold, pal::kWhite);
}

void DrawFishBa2(QPainter& p) {
  MagicBackground(p);
  MagicCircle(p, kHeroFeet);
  DrawFish(p, kFishCentre, kFishScale, false, FishMood::kAngry);
  DrawHero(p, kHeroFeet, kHeroScale, false, HeroPose::kMagic);
  Spell(p, kFishCentre + QPointF(-6, -2));
}

void DrawFishBa3(QPainter& p) {
  FishArena(p);
  GroundShadow(p, QPointF(kHeroFeet.x() + 6, kHeroFeet.y()), 12);
  DrawHero(p, kHeroFeet + QPointF(6, 0), kHeroScale, false, HeroPose::kVictory, HeroFace::kHappy);
  DrawFish(p, QPointF(104, 78), 0.55, false, FishMood::kBeaten);
  // Dizzy stars over the fallen fish.
  Sparkle(p, QPointF(88, 58), 4, pal::kGold);
  Sparkle(p, QPointF(100, 54), 4, pal::kWhite);
  Sparkle(p, QPointF(112, 58), 4, pal::kGold);
  Sparkle(p, QPointF(52, 30), 5, pal::kGold);
}

void DrawFishBa4(QPainter& p) {
  Bands(p, QRect(0, 0, kPictureWidth, kPictureHeight), pal::kFlashSky, pal::kSun, 6);
  SpeedLines(p, QPointF(75, 55), 30, 24, pal::kWhite, 7);
  Fill(p, QRectF(0, 92, kPictureWidth, 8), pal::kFlameMid);
  DrawHero(p, QPointF(64, 92), 1.5, false, HeroPose::kEat);
  DrawFishBones(p, QPointF(104, 58), 0.5, false);
  UpArrow(p, QPointF(20, 22), 7, pal::kGrass);
  UpArrow(p, QPointF(128, 30), 7, pal::kGrass);
  Sparkle(p, QPointF(34, 50), 6, pal::kWhite);
  Sparkle(p, QPointF(118, 62), 5, pal::kWhite);
  Sparkle(p, QPointF(104, 12), 6, pal::kWhite);
}

void DrawDoll1(QPainter& p) {
  DollArena(p);
  GroundShadow(p, QPointF(kHeroFeet.x(), 90), 12);
  GroundShadow(p, QPointF(kDollFeet.x(), 90), 16);
  DrawHero(p, QPointF(kHeroFeet.x(), 90), kHeroScale, false, HeroPose::kStand);
  DrawDoll(p, kDollFeet, kDollScale, true, DollMood::kFierce);
}

void DrawDoll2(QPainter& p) {
  FlashBackground(p, kDollFeet - QPointF(0, 26));
  DrawDoll(p, kDollFeet + QPointF(6, 0), kDollScale, true, DollMood::kHurt);
  DrawHero(p, QPointF(66, 90), kHeroScale, false, HeroPose::kAttack);
  ImpactStar(p, kDollFeet + QPointF(-4, -28), 14, 8, pal::kGold, pal::kWhite);
}

void DrawDoll3(QPainter& p) {
  MagicBackground(p);
  MagicCircle(p, QPointF(kHeroFeet.x(), 90));
  DrawDoll(p, kDollFeet, kDollScale, true, DollMood::kHurt);
  DrawHero(p, kHeroFeet, kHeroScale, false, HeroPose::kMagic);
  Spell(p, kDollFeet + QPointF(-2, -30));
}

void DrawDoll4(QPainter& p) {
  Bands(p, QRect(0, 0, kPictureWidth, 72), QColor(250, 190, 215), QColor(255, 236, 210), 6);
  Meadow(p, 72, pal::kGrass, pal::kGrassDark);
  for (int i = 0; i < 9; ++i) {  // flowers
    const uint32_t h = Hash(static_cast<uint32_t>(i) + 900u);
    const QPointF f(6 + h % 138, 78 + (h >> 8) % 18);
    Ellipse(p, f, 1.5, 1.5, i % 2 ? pal::kWhite : pal::kDress, kNoOutline);
    Dot(p, f, pal::kGold);
  }
  GroundShadow(p, QPointF(60, 90), 12);
  GroundShadow(p, QPointF(92, 90), 12);
  DrawHero(p, QPointF(60, 90), kHeroScale, false, HeroPose::kStand, HeroFace::kHappy);
  DrawDoll(p, QPointF(92, 90), 1.1, true, DollMood::kHappy);
  Heart(p, QPointF(76, 26), 10, pal::kHeart);
  Heart(p, QPointF(44, 22), 4, pal::kDress);
  Heart(p, QPointF(110, 18), 5, pal::kDress);
}
