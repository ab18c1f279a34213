// SPDX-License-Identifier: MIT
// The title pictures and the closing picture of the ending animation.

#include "backdrops.h"
#include "characters.h"
#include "draw.h"
#include "effects.h"
#include "lettering.h"
#include "scenes.h"

namespace {

// The game's name as a logo across the top. The Roman numeral needs a font with U+2161.
void Logo(QPainter& p, const QColor& fill, const QColor& shadow) {
  OutlinedText(p, 75, 30, QString::fromUtf8("Brandel\u2161"), PixelFont("IPAPMincho", 26, true),
               fill, pal::kInk, shadow);
}

}  // namespace

void DrawTitle(QPainter& p) {
  Sky(p, pal::kDayTop, pal::kDayLow, 78);
  Cloud(p, QPointF(20, 44), 0.9, pal::kCloud);
  Cloud(p, QPointF(132, 50), 0.7, pal::kCloud);
  City(p, 78, 18, CityMood::kDay, 41);
  Meadow(p, 78, pal::kGrass, pal::kGrassDark);
  Logo(p, pal::kGold, pal::kCape);
  DrawFish(p, QPointF(116, 58), 0.36, false, FishMood::kAngry);
  GroundShadow(p, QPointF(56, 92), 12);
  DrawHero(p, QPointF(56, 92), 1.3, false, HeroPose::kAttack);
}

void DrawTitle2(QPainter& p) {
  Sky(p, pal::kNightTop, pal::kNightLow, 78);
  Stars(p, 45, 23, 70);
  Moon(p, QPointF(130, 48), 9);
  City(p, 78, 18, CityMood::kNight, 41);
  Meadow(p, 78, pal::kHill, pal::kGrassDark);
  Logo(p, pal::kShieldLight, pal::kMagic);
  GroundShadow(p, QPointF(58, 92), 12);
  GroundShadow(p, QPointF(90, 92), 10);
  DrawHero(p, QPointF(58, 92), 1.3, false, HeroPose::kVictory, HeroFace::kHappy);
  DrawDoll(p, QPointF(90, 92), 0.95, true, DollMood::kHappy);
  Sparkle(p, QPointF(20, 56), 5, pal::kStar);
}

void DrawTuzuku(QPainter& p) {
  Sky(p, pal::kNightTop, pal::kDuskTop, 100);
  Stars(p, 50, 31, 70);
  Moon(p, QPointF(128, 16), 9);
  OutlinedText(p, 75, 40, QString::fromUtf8("つづく"), PixelFont("IPAPGothic", 28, true),
               pal::kWhite, pal::kInk, pal::kMagic);
  ShadowedText(p, 75, 56, QStringLiteral("to be continued"), PixelFont("IPAPGothic", 12, false),
               pal::kStar, pal::kInk);
  HillTop(p, QPointF(75, 128), 100, 38, pal::kBuildingNight);
  DrawHero(p, QPointF(64, 96), 0.85, false, HeroPose::kSit, HeroFace::kHappy);
  DrawDoll(p, QPointF(83, 96), 0.5, true, DollMood::kCalm);
}
