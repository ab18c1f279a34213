// SPDX-License-Identifier: MIT
#pragma once
// Scenery behind the characters: skies, heavenly bodies, the city, the ground.

#include <QPainter>
#include <cstdint>

void Sky(QPainter& p, const QColor& top, const QColor& low, int horizon = 100);
void Stars(QPainter& p, int count, uint32_t seed, int belowY);
void Moon(QPainter& p, QPointF centre, double radius);  // a crescent
void Sun(QPainter& p, QPointF centre, double radius, bool rays);
void Cloud(QPainter& p, QPointF centre, double scale, const QColor& color);

enum class CityMood { kDay, kNight, kBurning, kRuined, kDawn };
// A row of buildings standing on `groundY`, at most `maxHeight` tall; `seed` varies the row.
void City(QPainter& p, int groundY, int maxHeight, CityMood mood, uint32_t seed);
void Road(QPainter& p, int top);
void Meadow(QPainter& p, int top, const QColor& grass, const QColor& tufts);
void HillTop(QPainter& p, QPointF centre, double rx, double ry, const QColor& color);
