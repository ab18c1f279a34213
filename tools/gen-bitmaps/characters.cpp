// SPDX-License-Identifier: MIT
#include "characters.h"

#include <cmath>

#include "draw.h"

namespace {

// ---- the hero ------------------------------------------------------------------------------

void Sword(QPainter& p, QPointF hilt, QPointF tip) {
  const QPointF dir = (tip - hilt) / std::hypot(tip.x() - hilt.x(), tip.y() - hilt.y());
  const QPointF side(-dir.y(), dir.x());
  Polygon(p, {hilt + side * 1.5, tip, hilt - side * 1.5}, pal::kSteel);
  Line(p, hilt, tip - dir * 2, pal::kWhite);
  Polygon(
      p,
      {hilt + side * 4, hilt + side * 4 + dir * 1.5, hilt - side * 4 + dir * 1.5, hilt - side * 4},
      pal::kGold);
  Polygon(p, {hilt, hilt - dir * 4 + side, hilt - dir * 4 - side}, pal::kBoot);
}

void Wand(QPainter& p, QPointF grip, QPointF top) {
  Line(p, grip, top, pal::kFurDark);
  const double r = 4.5;
  Polygon(p,
          {top + QPointF(0, -r), top + QPointF(r * 0.3, -r * 0.3), top + QPointF(r, 0),
           top + QPointF(r * 0.3, r * 0.3), top + QPointF(0, r), top + QPointF(-r * 0.3, r * 0.3),
           top + QPointF(-r, 0), top + QPointF(-r * 0.3, -r * 0.3)},
          pal::kGold);
}

void Paw(QPainter& p, QPointF at) {
  Ellipse(p, at, 2.2, 2.2, pal::kFur);
}

void Arm(QPainter& p, QPointF shoulder, QPointF paw) {
  const QPointF d = paw - shoulder;
  const double len = std::hypot(d.x(), d.y());
  const QPointF side = QPointF(-d.y(), d.x()) / (len > 0 ? len : 1) * 1.8;
  Polygon(p, {shoulder + side, paw + side, paw - side, shoulder - side}, pal::kTunic);
  Paw(p, paw);
}

void HeroHead(QPainter& p, HeroFace face) {
  const QPointF c(1, -26);
  // Ears first, so the head's outline closes them.
  Polygon(p, {QPointF(-7, -29), QPointF(-6, -38), QPointF(0, -33)}, pal::kFur);
  Polygon(p, {QPointF(3, -33), QPointF(8, -38), QPointF(9, -29)}, pal::kFur);
  Ellipse(p, c, 8.5, 8, pal::kFur);
  Polygon(p, {QPointF(-5, -31), QPointF(-5, -35), QPointF(-2, -33)}, pal::kPink, kNoOutline);
  Polygon(p, {QPointF(5, -33), QPointF(7, -35), QPointF(7, -31)}, pal::kPink, kNoOutline);
  // Tabby stripes on the brow.
  Line(p, QPointF(0, -33), QPointF(0, -31), pal::kFurDark);
  Line(p, QPointF(-3, -32), QPointF(-3, -30), pal::kFurDark);
  Line(p, QPointF(3, -32), QPointF(3, -30), pal::kFurDark);
  Ellipse(p, QPointF(5, -22.5), 4.5, 3, pal::kMuzzle, kNoOutline);
  // Eyes.
  if (face == HeroFace::kHappy) {
    Line(p, QPointF(-1, -27), QPointF(0, -28), pal::kInk);
    Line(p, QPointF(0, -28), QPointF(1, -27), pal::kInk);
    Line(p, QPointF(5, -27), QPointF(6, -28), pal::kInk);
    Line(p, QPointF(6, -28), QPointF(7, -27), pal::kInk);
  } else {
    Fill(p, QRectF(-1, -29, 2, 3), pal::kInk);
    Fill(p, QRectF(5, -29, 2, 3), pal::kInk);
    Dot(p, QPointF(-1, -29), pal::kWhite);
    Dot(p, QPointF(5, -29), pal::kWhite);
    if (face == HeroFace::kBold) {  // brows set for a fight
      Line(p, QPointF(-2, -31), QPointF(1, -30), pal::kInk);
      Line(p, QPointF(4, -30), QPointF(7, -31), pal::kInk);
    }
  }
  if (face == HeroFace::kTearful) {
    Fill(p, QRectF(-1, -25, 1, 3), pal::kShield);
    Fill(p, QRectF(6, -25, 1, 3), pal::kShield);
  }
  Fill(p, QRectF(7, -25, 2, 1), pal::kPink);  // nose
  Line(p, QPointF(6, -21), QPointF(8, -21), pal::kInk);
  Line(p, QPointF(9, -23), QPointF(13, -24), pal::kInk);
  Line(p, QPointF(9, -22), QPointF(13, -21), pal::kInk);
}

void HeroBody(QPainter& p, HeroPose pose) {
  const bool sitting = pose == HeroPose::kSit;
  const double lift = sitting ? 5 : 0;  // a sitting hero's body is lower
  // Tail behind everything.
  Polygon(p,
          {QPointF(-5, -9 + lift), QPointF(-12, -12 + lift), QPointF(-15, -20 + lift),
           QPointF(-12, -22 + lift), QPointF(-10, -15 + lift), QPointF(-4, -7 + lift)},
          pal::kFur);
  // Cape, longer and flying in the lunge.
  if (pose == HeroPose::kAttack || pose == HeroPose::kShield) {
    Polygon(
        p,
        {QPointF(-3, -20), QPointF(-17, -12), QPointF(-14, -6), QPointF(-6, -8), QPointF(2, -19)},
        pal::kCape);
  } else {
    Polygon(p,
            {QPointF(-4, -20 + lift), QPointF(-11, -3 + lift * 0.2), QPointF(-2, -5 + lift * 0.2),
             QPointF(3, -20 + lift)},
            pal::kCape);
  }
  // Legs.
  if (sitting) {
    Fill(p, QRectF(-3, -5, 12, 4), pal::kTunic);
    Ellipse(p, QPointF(10, -3), 2.5, 3, pal::kBoot);
    Ellipse(p, QPointF(6, -2), 2.5, 2.5, pal::kBoot);
  } else if (pose == HeroPose::kAttack || pose == HeroPose::kShield) {
    Polygon(p, {QPointF(-4, -8), QPointF(-10, -1), QPointF(-7, 0), QPointF(-1, -7)}, pal::kBoot);
    Polygon(p, {QPointF(1, -8), QPointF(6, -1), QPointF(9, 0), QPointF(5, -8)}, pal::kBoot);
  } else {
    Polygon(p, {QPointF(-5, -7), QPointF(-1, -7), QPointF(-1, 0), QPointF(-6, 0)}, pal::kBoot);
    Polygon(p, {QPointF(1, -7), QPointF(5, -7), QPointF(6, 0), QPointF(1, 0)}, pal::kBoot);
  }
  // Tunic with a gold belt.
  QPainterPath tunic;
  tunic.addRoundedRect(QRectF(-6, -20 + lift, 12, 14), 3, 3);
  Shape(p, tunic, pal::kTunic);
  Fill(p, QRectF(-5, -10 + lift, 11, 2), pal::kGold);
  Fill(p, QRectF(-1, -18 + lift, 3, 2), pal::kMuzzle);  // white chest fur at the collar
}

void HeroArms(QPainter& p, HeroPose pose) {
  const QPointF back(-3, -17);
  const QPointF front(3, -17);
  switch (pose) {
    case HeroPose::kStand:
      Arm(p, back, QPointF(-6, -10));
      Arm(p, front, QPointF(7, -10));
      break;
    case HeroPose::kAttack:
      Arm(p, back, QPointF(-9, -14));
      Sword(p, QPointF(14, -17), QPointF(34, -25));
      Arm(p, front, QPointF(12, -16));
      break;
    case HeroPose::kMagic:
      Arm(p, back, QPointF(-7, -11));
      Wand(p, QPointF(13, -35), QPointF(17, -44));
      Arm(p, front, QPointF(12, -34));
      break;
    case HeroPose::kVictory:
      Arm(p, back, QPointF(-7, -11));
      Arm(p, front, QPointF(12, -37));
      break;
    case HeroPose::kEat:
    case HeroPose::kShield:
      Arm(p, back, QPointF(11, -19));
      Arm(p, front, QPointF(13, -21));
      break;
    case HeroPose::kHoldUp:
      Arm(p, back, QPointF(-10, -38));
      Arm(p, front, QPointF(12, -38));
      break;
    case HeroPose::kPlead:
      Arm(p, back, QPointF(-13, -24));
      Arm(p, front, QPointF(14, -24));
      break;
    case HeroPose::kSit:
      Arm(p, QPointF(3, -12), QPointF(9, -8));
      break;
  }
}

// ---- the fish --------------------------------------------------------------------------------

QPainterPath FishBody() {
  QPainterPath body;
  body.moveTo(-44, 2);
  body.cubicTo(-40, -15, -10, -20, 20, -12);
  body.cubicTo(30, -9, 36, -4, 40, -2);
  body.lineTo(40, 2);
  body.cubicTo(36, 5, 30, 10, 20, 12);
  body.cubicTo(-10, 19, -38, 15, -44, 2);
  body.closeSubpath();
  return body;
}

void FishEye(QPainter& p, FishMood mood) {
  const QPointF eye(-31, -4);
  Ellipse(p, eye, 5.5, 5.5, pal::kWhite);
  if (mood == FishMood::kBeaten) {
    Line(p, eye + QPointF(-3, -3), eye + QPointF(3, 3), pal::kInk);
    Line(p, eye + QPointF(-3, 3), eye + QPointF(3, -3), pal::kInk);
    return;
  }
  Ellipse(p, eye + QPointF(-1, 0), 2.6, 2.6, pal::kInk, kNoOutline);
  Dot(p, eye + QPointF(-2, -1.5), pal::kWhite);
  if (mood == FishMood::kAngry || mood == FishMood::kFire) {
    Polygon(
        p,
        {eye + QPointF(-7, -8), eye + QPointF(5, -5), eye + QPointF(5, -3), eye + QPointF(-7, -6)},
        pal::kInk);
  }
  if (mood == FishMood::kCrying) {
    Polygon(
        p,
        {eye + QPointF(-7, -5), eye + QPointF(5, -9), eye + QPointF(5, -7), eye + QPointF(-7, -3)},
        pal::kInk);
  }
}

void FishMouth(QPainter& p, FishMood mood) {
  if (mood == FishMood::kCalm) {
    Line(p, QPointF(-44, 2), QPointF(-38, 4), pal::kInk);
    return;
  }
  // Open wide, with little teeth: this fish is not so small after all.
  Polygon(p, {QPointF(-47, -3), QPointF(-33, 3), QPointF(-47, 11)}, pal::kMouth);
  Polygon(p, {QPointF(-44, -2), QPointF(-42, 1), QPointF(-40, -1)}, pal::kWhite, kNoOutline);
  Polygon(p, {QPointF(-44, 10), QPointF(-42, 7), QPointF(-40, 9)}, pal::kWhite, kNoOutline);
}

}  // namespace

void DrawHero(QPainter& p, QPointF feet, double scale, bool facingLeft, HeroPose pose,
              HeroFace face) {
  LocalFrame frame(p, feet, scale, facingLeft);
  HeroBody(p, pose);
  // Raised arms pass beside the head, so the head goes over them; other arms go over the body.
  const bool armsRaised =
      pose == HeroPose::kMagic || pose == HeroPose::kVictory || pose == HeroPose::kHoldUp;
  if (armsRaised) HeroArms(p, pose);
  if (pose == HeroPose::kSit) {
    LocalFrame lower(p, QPointF(0, 5), 1.0);
    HeroHead(p, face);
  } else {
    HeroHead(p, pose == HeroPose::kEat ? HeroFace::kHappy : face);
  }
  if (!armsRaised) HeroArms(p, pose);
}

void DrawFish(QPainter& p, QPointF centre, double scale, bool facingRight, FishMood mood) {
  const bool bellyUp = mood == FishMood::kBeaten;
  // Belly up: turned half a circle and mirrored, so the mouth still faces the same way.
  LocalFrame frame(p, centre, scale, facingRight != bellyUp, bellyUp ? 180 : 0);
  // Tail and fins behind the body.
  Polygon(p, {QPointF(37, 0), QPointF(57, -17), QPointF(51, 0), QPointF(57, 17)}, pal::kFishFin);
  Polygon(p, {QPointF(-8, -16), QPointF(6, -26), QPointF(18, -12)}, pal::kFishFin);
  Polygon(p, {QPointF(2, 14), QPointF(10, 21), QPointF(14, 12)}, pal::kFishFin);

  const QPainterPath body = FishBody();
  Shape(p, body, pal::kFishSide, kNoOutline);
  p.save();
  p.setClipPath(body, Qt::IntersectClip);
  Fill(p, QRectF(-50, -30, 100, 26), pal::kFishBack);
  Fill(p, QRectF(-50, -4, 100, 2), Mix(pal::kFishBack, pal::kFishSide, 0.5));
  Fill(p, QRectF(-50, 7, 100, 20), pal::kFishBelly);
  for (int x = -16; x < 30; x += 6) {  // a row of glinting scales
    Dot(p, QPointF(x, 2), pal::kWhite);
    Dot(p, QPointF(x + 3, -7), Mix(pal::kFishBack, pal::kWhite, 0.4));
  }
  p.restore();
  Outline(p, body, pal::kInk);
  // Gill and side fin.
  QPainterPath gill;
  gill.moveTo(-22, -9);
  gill.quadTo(-17, 0, -22, 10);
  Outline(p, gill, pal::kFishFin);
  Polygon(p, {QPointF(-16, 3), QPointF(-6, 0), QPointF(-8, 7)}, pal::kFishFin);
  FishEye(p, mood);
  FishMouth(p, mood);
  if (mood == FishMood::kCrying) {
    Polygon(p, {QPointF(-31, 2), QPointF(-33, 8), QPointF(-31, 10), QPointF(-29, 8)}, pal::kShield);
  }
}

void DrawFishBones(QPainter& p, QPointF centre, double scale, bool facingRight) {
  LocalFrame frame(p, centre, scale, facingRight);
  const QColor bone = pal::kWhite;
  // Head, still whole, then a bare spine with ribs and the tail.
  QPainterPath head;
  head.moveTo(-44, 2);
  head.cubicTo(-40, -15, -28, -17, -20, -14);
  head.lineTo(-20, 14);
  head.cubicTo(-30, 16, -40, 12, -44, 2);
  Shape(p, head, pal::kFishSide);
  Ellipse(p, QPointF(-31, -4), 5.5, 5.5, pal::kWhite);
  Line(p, QPointF(-34, -7), QPointF(-28, -1), pal::kInk);
  Line(p, QPointF(-34, -1), QPointF(-28, -7), pal::kInk);
  Fill(p, QRectF(-20, -1, 58, 3), bone);
  Line(p, QPointF(-20, -2), QPointF(38, -2), pal::kInk);
  Line(p, QPointF(-20, 2), QPointF(38, 2), pal::kInk);
  for (int x = -14; x <= 30; x += 6) {
    const double h = 13 - std::abs(x - 6) * 0.25;
    Polygon(p, {QPointF(x, -1), QPointF(x + 3, -h), QPointF(x + 4, -h), QPointF(x + 2, -1)}, bone);
    Polygon(p, {QPointF(x, 1), QPointF(x + 3, h), QPointF(x + 4, h), QPointF(x + 2, 1)}, bone);
  }
  Polygon(p, {QPointF(37, 0), QPointF(55, -15), QPointF(50, 0), QPointF(55, 15)}, bone);
}

// ---- the doll --------------------------------------------------------------------------------

namespace {

void DollEyes(QPainter& p, DollMood mood) {
  const QPointF left(-4, -26);
  const QPointF right(4, -26);
  switch (mood) {
    case DollMood::kHurt:  // squeezed shut: > <
      Line(p, left + QPointF(-2, -2), left + QPointF(1, 0), pal::kInk);
      Line(p, left + QPointF(1, 0), left + QPointF(-2, 2), pal::kInk);
      Line(p, right + QPointF(2, -2), right + QPointF(-1, 0), pal::kInk);
      Line(p, right + QPointF(-1, 0), right + QPointF(2, 2), pal::kInk);
      return;
    case DollMood::kHappy:
    case DollMood::kCalm:  // closed, smiling arcs
      for (QPointF e : {left, right}) {
        Line(p, e + QPointF(-2, 1), e + QPointF(0, -1), pal::kInk);
        Line(p, e + QPointF(0, -1), e + QPointF(2, 1), pal::kInk);
      }
      return;
    default:
      break;
  }
  const QColor iris = mood == DollMood::kGlare ? pal::kLaser : pal::kEye;
  for (QPointF e : {left, right}) {
    Ellipse(p, e, 2.4, 3.2, iris);
    if (mood != DollMood::kGlare)
      Ellipse(p, e + QPointF(0, 0.8), 1.1, 1.5, pal::kInk, kNoOutline);  // pupil
    Dot(p, e + QPointF(-1, -1.5), mood == DollMood::kGlare ? pal::kLaserCore : pal::kWhite);
  }
  if (mood == DollMood::kFierce || mood == DollMood::kGlare) {  // brows down
    Line(p, left + QPointF(-3, -5), left + QPointF(2, -4), pal::kInk);
    Line(p, right + QPointF(-2, -4), right + QPointF(3, -5), pal::kInk);
  }
  if (mood == DollMood::kTearful) {
    Polygon(
        p,
        {left + QPointF(0, 3), left + QPointF(-1, 7), left + QPointF(0, 8), left + QPointF(1, 7)},
        pal::kShield);
    Polygon(p,
            {right + QPointF(0, 3), right + QPointF(-1, 7), right + QPointF(0, 8),
             right + QPointF(1, 7)},
            pal::kShield);
  }
}

void DollMouth(QPainter& p, DollMood mood) {
  switch (mood) {
    case DollMood::kHappy:
    case DollMood::kSweet:
      Line(p, QPointF(-2, -21), QPointF(0, -20), pal::kInk);
      Line(p, QPointF(0, -20), QPointF(2, -21), pal::kInk);
      break;
    case DollMood::kHurt:
    case DollMood::kGlare:
      Ellipse(p, QPointF(0, -20.5), 1.5, 1.2, pal::kMouth);
      break;
    default:
      Line(p, QPointF(-1, -21), QPointF(1, -21), pal::kInk);
      break;
  }
}

}  // namespace

void DrawDoll(QPainter& p, QPointF feet, double scale, bool facingLeft, DollMood mood) {
  LocalFrame frame(p, feet, scale, facingLeft);
  // Hair behind: twin tails.
  Ellipse(p, QPointF(-11, -23), 4, 8, pal::kHair);
  Ellipse(p, QPointF(11, -23), 4, 8, pal::kHair);
  Ellipse(p, QPointF(0, -29), 10.5, 10, pal::kHair);
  // Arms.
  const bool armsUp = mood == DollMood::kFierce || mood == DollMood::kHappy;
  if (armsUp) {
    Ellipse(p, QPointF(-10, -20), 2, 4, pal::kSkin);
    Ellipse(p, QPointF(10, -20), 2, 4, pal::kSkin);
  } else {
    Ellipse(p, QPointF(-9, -12), 2, 4, pal::kSkin);
    Ellipse(p, QPointF(9, -12), 2, 4, pal::kSkin);
  }
  // Legs and shoes.
  Fill(p, QRectF(-4, -4, 2, 3), pal::kLace);
  Fill(p, QRectF(2, -4, 2, 3), pal::kLace);
  Ellipse(p, QPointF(-3, -1), 2.5, 1.5, pal::kInk, kNoOutline);
  Ellipse(p, QPointF(3, -1), 2.5, 1.5, pal::kInk, kNoOutline);
  // Dress with a lace hem and a white collar.
  Polygon(p, {QPointF(-6, -19), QPointF(6, -19), QPointF(13, -4), QPointF(-13, -4)}, pal::kDress);
  Line(p, QPointF(-3, -15), QPointF(-6, -6), pal::kDressDark);
  Line(p, QPointF(3, -15), QPointF(6, -6), pal::kDressDark);
  Fill(p, QRectF(-12, -5, 25, 2), pal::kLace);
  for (int x = -12; x <= 12; x += 3) Dot(p, QPointF(x, -3), pal::kLace);
  Polygon(p, {QPointF(-5, -19), QPointF(0, -15), QPointF(5, -19)}, pal::kLace);
  Dot(p, QPointF(0, -13), pal::kRibbon);
  // Head, fringe and bow.
  Ellipse(p, QPointF(0, -27), 8.5, 8, pal::kSkin);
  Polygon(p,
          {QPointF(-9, -27), QPointF(-9, -33), QPointF(-4, -37), QPointF(4, -37), QPointF(9, -33),
           QPointF(9, -27), QPointF(7, -30), QPointF(4, -28), QPointF(2, -31), QPointF(-1, -28),
           QPointF(-3, -31), QPointF(-6, -28)},
          pal::kHair);
  Line(p, QPointF(-2, -35), QPointF(-4, -32), pal::kHairDark);
  Polygon(p, {QPointF(5, -36), QPointF(1, -40), QPointF(1, -34)}, pal::kRibbon);
  Polygon(p, {QPointF(5, -36), QPointF(10, -40), QPointF(10, -33)}, pal::kRibbon);
  Ellipse(p, QPointF(5, -36), 1.2, 1.2, pal::kRibbon);
  if (mood != DollMood::kGlare) {
    Ellipse(p, QPointF(-6, -22.5), 1.6, 1, pal::kBlush, kNoOutline);
    Ellipse(p, QPointF(6, -22.5), 1.6, 1, pal::kBlush, kNoOutline);
  }
  DollEyes(p, mood);
  DollMouth(p, mood);
}
