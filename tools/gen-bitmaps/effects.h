// SPDX-License-Identifier: MIT
#pragma once
// Flashes, fire, lasers and the other effects laid over a scene.

#include <QPainter>
#include <cstdint>

// A spiky burst: the hit of an attack.
void ImpactStar(QPainter& p, QPointF centre, double radius, int spikes, const QColor& fill,
                const QColor& core);
// Lines racing away from `focus` to the picture's edges, leaving a calm disc of `calmRadius`.
void SpeedLines(QPainter& p, QPointF focus, double calmRadius, int count, const QColor& color,
                uint32_t seed);
void Sparkle(QPainter& p, QPointF centre, double radius, const QColor& color);
// A curved blade-trail.
void SlashArc(QPainter& p, QPointF centre, double radius, double fromDegrees, double spanDegrees);
void LightningBolt(QPainter& p, QPointF from, QPointF to, uint32_t seed);
void FireStream(QPainter& p, QPointF from, QPointF to, double width);
void Flames(QPainter& p, QPointF base, double size);
void Explosion(QPainter& p, QPointF centre, double radius);
void SmokeColumn(QPainter& p, QPointF base, double height, uint32_t seed);
void Laser(QPainter& p, QPointF from, QPointF to, double width);
void ShieldBubble(QPainter& p, QPointF centre, double rx, double ry);
void Heart(QPainter& p, QPointF centre, double size, const QColor& color);
// Rings of sound spreading from `origin` towards the left (or right).
void SoundWaves(QPainter& p, QPointF origin, bool towardsLeft, int rings);
void RumbleLines(QPainter& p, QPointF centre, double height);
void GroundShadow(QPainter& p, QPointF centre, double rx);
void UpArrow(QPainter& p, QPointF tip, double size, const QColor& color);
