// SPDX-License-Identifier: MIT
// The story pictures of the fish stage and of the finale.

#include "backdrops.h"
#include "characters.h"
#include "draw.h"
#include "effects.h"
#include "scenes.h"

namespace {

// A tiny townsperson, three by seven pixels, running with arms up when `panicking`.
void Passerby(QPainter& p, QPointF feet, const QColor& shirt, bool panicking) {
  const double x = feet.x();
  const double y = feet.y();
  Fill(p, QRectF(x, y - 2, 1, 2), pal::kInk);
  Fill(p, QRectF(x + 2, y - 2, 1, 2), pal::kInk);
  Fill(p, QRectF(x, y - 5, 3, 3), shirt);
  Fill(p, QRectF(x, y - 7, 3, 2), pal::kSkin);
  if (panicking) {
    Dot(p, QPointF(x - 1, y - 7), pal::kSkin);
    Dot(p, QPointF(x + 3, y - 7), pal::kSkin);
  }
}

void Crowd(QPainter& p, double y, int count, uint32_t seed, bool panicking) {
  static const QColor kShirts[] = {pal::kCape,  pal::kTunic, pal::kGold,
                                   pal::kGrass, pal::kWhite, pal::kDress};
  for (int i = 0; i < count; ++i) {
    const uint32_t h = Hash(seed + static_cast<uint32_t>(i) * 17u);
    Passerby(p, QPointF(4 + h % 140, y + (h >> 8) % 8), kShirts[(h >> 16) % 6], panicking);
  }
}

void Exclamation(QPainter& p, QPointF top, double size) {
  Polygon(p,
          {top, top + QPointF(size * 0.6, 0), top + QPointF(size * 0.4, size * 1.5),
           top + QPointF(size * 0.2, size * 1.5)},
          pal::kGold);
  Ellipse(p, top + QPointF(size * 0.3, size * 2.0), size * 0.25, size * 0.25, pal::kGold);
}

}  // namespace

void DrawSakana0(QPainter& p) {
  Sky(p, pal::kDayTop, pal::kDayLow, 80);
  Sun(p, QPointF(132, 14), 7, true);
  Cloud(p, QPointF(28, 14), 1.0, pal::kCloud);
  Cloud(p, QPointF(98, 9), 0.7, pal::kCloud);
  City(p, 80, 42, CityMood::kDay, 1);
  DrawFish(p, QPointF(78, 48), 0.85, false, FishMood::kCalm);
  City(p, 80, 20, CityMood::kDay, 7);
  Road(p, 80);
  Crowd(p, 86, 9, 5, false);
  Exclamation(p, QPointF(22, 30), 6);
  Exclamation(p, QPointF(32, 26), 6);
}

void DrawSakana1(QPainter& p) {
  Sky(p, pal::kDuskTop, pal::kDuskLow, 86);
  Cloud(p, QPointF(120, 12), 1.0, Mix(pal::kDuskTop, pal::kCloud, 0.35));
  City(p, 86, 30, CityMood::kDawn, 2);
  DrawFish(p, QPointF(100, 42), 1.0, false, FishMood::kAngry);
  SoundWaves(p, QPointF(54, 46), true, 5);
  Road(p, 86);
  Crowd(p, 90, 12, 9, true);
}

void DrawSakana2(QPainter& p) {
  Sky(p, pal::kFireTop, pal::kFireLow, 84);
  SmokeColumn(p, QPointF(20, 50), 40, 3);
  SmokeColumn(p, QPointF(60, 56), 34, 8);
  City(p, 84, 36, CityMood::kBurning, 3);
  DrawFish(p, QPointF(116, 30), 0.6, false, FishMood::kFire);
  FireStream(p, QPointF(89, 32), QPointF(44, 66), 16);
  Flames(p, QPointF(16, 58), 10);
  Flames(p, QPointF(66, 62), 8);
  Flames(p, QPointF(30, 70), 7);
  Road(p, 84);
  Crowd(p, 90, 8, 13, true);
}

void DrawSakana3(QPainter& p) {
  Sky(p, pal::kBlack, pal::kFireTop, 90);
  // The mushroom of the blast: a rising stem of smoke, a burning cap.
  Polygon(p, {QPointF(66, 88), QPointF(71, 44), QPointF(81, 44), QPointF(88, 88)}, pal::kSmoke,
          kNoOutline);
  Ellipse(p, QPointF(76, 36), 34, 18, pal::kSmoke, kNoOutline);
  Explosion(p, QPointF(76, 36), 26);
  Ellipse(p, QPointF(76, 56), 16, 4, pal::kSmokeLight, kNoOutline);
  for (int i = 0; i < 14; ++i) {  // debris thrown out
    const uint32_t h = Hash(static_cast<uint32_t>(i) + 77u);
    const double x = 10 + h % 130;
    const double y = 8 + (h >> 8) % 50;
    Fill(p, QRectF(x, y, 2 + (h >> 16) % 2, 2), pal::kRuin);
  }
  City(p, 90, 30, CityMood::kRuined, 5);
  Flames(p, QPointF(22, 78), 9);
  Flames(p, QPointF(118, 80), 11);
  Flames(p, QPointF(52, 84), 7);
  SmokeColumn(p, QPointF(126, 70), 30, 21);
  Fill(p, QRectF(0, 90, kPictureWidth, 10), pal::kRuin);
  for (int x = 3; x < kPictureWidth; x += 9)
    Fill(p, QRectF(x, 92 + x % 5, 4, 2), pal::kSmoke);  // rubble
}

void DrawDoll0(QPainter& p) {
  Bands(p, QRect(0, 0, kPictureWidth, 80), QColor(248, 196, 220), QColor(255, 238, 200), 6);
  Sun(p, QPointF(22, 18), 8, true);
  Meadow(p, 80, pal::kGrass, pal::kGrassDark);
  // The open present it came in.
  Polygon(p, {QPointF(104, 74), QPointF(126, 74), QPointF(126, 90), QPointF(104, 90)}, pal::kTunic);
  Fill(p, QRectF(113, 75, 4, 15), pal::kGold);
  Polygon(p, {QPointF(102, 74), QPointF(104, 66), QPointF(128, 62), QPointF(128, 70)}, pal::kTunic);
  GroundShadow(p, QPointF(62, 88), 14);
  DrawHero(p, QPointF(62, 88), 1.25, false, HeroPose::kHoldUp, HeroFace::kHappy);
  DrawDoll(p, QPointF(64, 38), 0.62, false, DollMood::kSweet);
  Sparkle(p, QPointF(42, 20), 5, pal::kGold);
  Sparkle(p, QPointF(88, 16), 6, pal::kWhite);
  Sparkle(p, QPointF(84, 36), 4, pal::kGold);
  Heart(p, QPointF(40, 40), 4, pal::kHeart);
}

void DrawDollSp0(QPainter& p) {
  Sky(p, pal::kNightTop, pal::kNightLow, 100);
  Stars(p, 30, 3, 60);
  Moon(p, QPointF(20, 16), 8);
  DrawDoll(p, QPointF(78, 104), 2.3, false, DollMood::kFierce);
  RumbleLines(p, QPointF(32, 50), 14);
  RumbleLines(p, QPointF(124, 50), 14);
  RumbleLines(p, QPointF(20, 30), 10);
  RumbleLines(p, QPointF(136, 30), 10);
  City(p, 100, 34, CityMood::kNight, 11);
}

void DrawDollSp1(QPainter& p) {
  Sky(p, pal::kNightTop, pal::kFireTop, 100);
  Stars(p, 18, 5, 40);
  DrawDoll(p, QPointF(104, 104), 2.2, true, DollMood::kGlare);
  City(p, 100, 32, CityMood::kNight, 13);
  const QPointF leftEye(104 - 4 * 2.2, 104 - 26 * 2.2);
  const QPointF rightEye(104 + 4 * 2.2, 104 - 26 * 2.2);
  Laser(p, leftEye, QPointF(22, 80), 3);
  Laser(p, rightEye, QPointF(50, 88), 3);
  Explosion(p, QPointF(22, 80), 9);
  Explosion(p, QPointF(50, 88), 8);
  Flames(p, QPointF(36, 76), 6);
}

void DrawDollSp4(QPainter& p) {
  Sky(p, pal::kNightTop, pal::kFireTop, 100);
  Stars(p, 20, 7, 40);
  DrawDoll(p, QPointF(122, 112), 2.2, true, DollMood::kGlare);
  City(p, 100, 24, CityMood::kNight, 17);
  const QPointF leftEye(122 - 4 * 2.2, 112 - 26 * 2.2);
  const QPointF rightEye(122 + 4 * 2.2, 112 - 26 * 2.2);
  Laser(p, leftEye, QPointF(72, 44), 3);
  Laser(p, rightEye, QPointF(73, 56), 3);
  DrawHero(p, QPointF(50, 70), 1.2, false, HeroPose::kShield);
  ShieldBubble(p, QPointF(68, 48), 8, 22);
  ImpactStar(p, QPointF(73, 44), 6, 6, pal::kLaser, pal::kWhite);
  ImpactStar(p, QPointF(74, 56), 5, 6, pal::kLaser, pal::kWhite);
}

void DrawDollSp2(QPainter& p) {
  Sky(p, pal::kNightTop, pal::kNightLow, 100);
  Stars(p, 26, 9, 100);
  DrawDoll(p, QPointF(104, 170), 4.0, true, DollMood::kTearful);
  // A rooftop for the hero to stand on.
  Fill(p, QRectF(0, 88, 58, 12), pal::kBuildingNight);
  Fill(p, QRectF(0, 88, 58, 1), Mix(pal::kBuildingNight, pal::kWhite, 0.3));
  DrawHero(p, QPointF(30, 88), 1.3, false, HeroPose::kPlead, HeroFace::kTearful);
  Sparkle(p, QPointF(58, 30), 4, pal::kShieldLight);
  Sparkle(p, QPointF(14, 20), 3, pal::kShieldLight);
}

void DrawDollSp3(QPainter& p) {
  Sky(p, pal::kDawnTop, pal::kDawnLow, 80);
  Sun(p, QPointF(106, 58), 11, true);
  for (int i = 0; i < 3; ++i) {  // birds
    const QPointF b(30 + i * 12, 18 + (i % 2) * 5);
    Line(p, b, b + QPointF(3, 2), pal::kInk);
    Line(p, b + QPointF(3, 2), b + QPointF(6, 0), pal::kInk);
  }
  City(p, 82, 22, CityMood::kDawn, 23);
  HillTop(p, QPointF(75, 118), 110, 34, pal::kHill);
  Meadow(p, 92, pal::kHill, pal::kGrassDark);
  DrawHero(p, QPointF(58, 88), 1.2, false, HeroPose::kSit, HeroFace::kHappy);
  DrawDoll(p, QPointF(82, 89), 0.6, true, DollMood::kCalm);
  Heart(p, QPointF(72, 50), 3.5, pal::kHeart);
}
