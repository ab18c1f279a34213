// SPDX-License-Identifier: MIT
#pragma once
// The one palette every picture draws from, so the scenes look like one game.

#include <QColor>

namespace pal {

inline const QColor kInk{28, 22, 40};  // every outline
inline const QColor kWhite{252, 250, 240};
inline const QColor kBlack{12, 10, 20};

// Skies
inline const QColor kDayTop{72, 140, 220};
inline const QColor kDayLow{176, 222, 244};
inline const QColor kCloud{240, 246, 250};
inline const QColor kDuskTop{112, 60, 140};
inline const QColor kDuskLow{248, 150, 120};
inline const QColor kFireTop{120, 24, 32};
inline const QColor kFireLow{250, 150, 60};
inline const QColor kNightTop{10, 14, 40};
inline const QColor kNightLow{48, 56, 112};
inline const QColor kDawnTop{90, 120, 200};
inline const QColor kDawnLow{252, 210, 150};
inline const QColor kStar{255, 246, 190};
inline const QColor kMoon{250, 240, 200};
inline const QColor kSun{255, 214, 90};

// City
inline const QColor kBuildingA{88, 104, 140};
inline const QColor kBuildingB{66, 78, 112};
inline const QColor kBuildingC{112, 120, 150};
inline const QColor kBuildingNight{30, 34, 64};
inline const QColor kWindowLit{255, 224, 112};
inline const QColor kWindowDark{40, 46, 74};
inline const QColor kRoad{60, 60, 72};
inline const QColor kRoadMark{220, 214, 180};
inline const QColor kRuin{40, 32, 40};
inline const QColor kSmoke{70, 62, 70};
inline const QColor kSmokeLight{120, 108, 112};

// Land
inline const QColor kGrass{96, 170, 80};
inline const QColor kGrassDark{58, 120, 60};
inline const QColor kDirt{150, 110, 70};
inline const QColor kHill{70, 110, 90};

// The hero: a ginger cat in a blue tunic and red cape
inline const QColor kFur{240, 156, 60};
inline const QColor kFurDark{184, 100, 36};
inline const QColor kMuzzle{255, 240, 220};
inline const QColor kPink{250, 150, 170};
inline const QColor kTunic{60, 96, 200};
inline const QColor kCape{200, 44, 60};
inline const QColor kBoot{96, 60, 40};
inline const QColor kSteel{214, 224, 236};
inline const QColor kGold{250, 200, 60};

// The small fish
inline const QColor kFishBack{46, 96, 150};
inline const QColor kFishSide{150, 196, 228};
inline const QColor kFishBelly{236, 246, 252};
inline const QColor kFishFin{34, 70, 120};
inline const QColor kMouth{150, 30, 50};

// The doll
inline const QColor kDress{236, 110, 160};
inline const QColor kDressDark{180, 60, 110};
inline const QColor kLace{255, 246, 250};
inline const QColor kSkin{255, 222, 196};
inline const QColor kHair{250, 210, 90};
inline const QColor kHairDark{206, 150, 40};
inline const QColor kRibbon{220, 40, 70};
inline const QColor kEye{60, 110, 220};
inline const QColor kBlush{250, 160, 170};

// Effects
inline const QColor kFlameCore{255, 250, 190};
inline const QColor kFlameMid{255, 176, 40};
inline const QColor kFlameOuter{230, 70, 30};
inline const QColor kLaser{255, 60, 190};
inline const QColor kLaserCore{255, 230, 250};
inline const QColor kShield{110, 230, 255};
inline const QColor kShieldLight{210, 250, 255};
inline const QColor kMagic{190, 110, 255};
inline const QColor kMagicLight{240, 220, 255};
inline const QColor kMagicSky{50, 24, 90};
inline const QColor kFlashSky{255, 248, 200};
inline const QColor kHeart{240, 60, 100};

}  // namespace pal
