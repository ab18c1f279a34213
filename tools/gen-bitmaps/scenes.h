// SPDX-License-Identifier: MIT
#pragma once
// Every picture of the cg folder, by its file name without ".bmp". Each draws the whole
// 150 x 100 picture, so the top and the bottom read clearly even when the flip animation shows
// it upside down.

#include <QPainter>
#include <span>

struct Scene {
  const char* name;
  void (*draw)(QPainter& p);
};

std::span<const Scene> AllScenes();

// Fish stage and finale story (scenes_story.cpp).
void DrawSakana0(QPainter& p);  // the giant small fish appears in the city
void DrawSakana1(QPainter& p);  // its cry: mankind in danger
void DrawSakana2(QPainter& p);  // it spits fire
void DrawSakana3(QPainter& p);  // the blast and the ruins
void DrawDoll0(QPainter& p);    // the doll received
void DrawDollSp0(QPainter& p);  // the doll grown giant
void DrawDollSp1(QPainter& p);  // the doll firing lasers
void DrawDollSp2(QPainter& p);  // "please stop"
void DrawDollSp3(QPainter& p);  // calm again
void DrawDollSp4(QPainter& p);  // the hero shields the city

// Battles (scenes_battle.cpp).
void DrawFishBa0(QPainter& p);  // hero and fish face each other
void DrawFishBa1(QPainter& p);  // attack flash
void DrawFishBa2(QPainter& p);  // magic flash
void DrawFishBa3(QPainter& p);  // the fish beaten
void DrawFishBa4(QPainter& p);  // the fish eaten: level up
void DrawDoll1(QPainter& p);    // hero and doll face each other
void DrawDoll2(QPainter& p);    // attack flash
void DrawDoll3(QPainter& p);    // magic flash
void DrawDoll4(QPainter& p);    // friends

// Title and closing screens (scenes_screens.cpp).
void DrawTitle(QPainter& p);
void DrawTitle2(QPainter& p);  // the night version, from the tenth start on
void DrawTuzuku(QPainter& p);
