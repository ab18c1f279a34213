// SPDX-License-Identifier: MIT
#include "scenes.h"

#include <array>

std::span<const Scene> AllScenes() {
  static constexpr std::array<Scene, 22> kScenes{{
      {"title", DrawTitle},      {"title2", DrawTitle2},    {"tuzuku", DrawTuzuku},
      {"sakana0", DrawSakana0},  {"sakana1", DrawSakana1},  {"sakana2", DrawSakana2},
      {"sakana3", DrawSakana3},  {"fish_ba0", DrawFishBa0}, {"fish_ba1", DrawFishBa1},
      {"fish_ba2", DrawFishBa2}, {"fish_ba3", DrawFishBa3}, {"fish_ba4", DrawFishBa4},
      {"doll0", DrawDoll0},      {"doll1", DrawDoll1},      {"doll2", DrawDoll2},
      {"doll3", DrawDoll3},      {"doll4", DrawDoll4},      {"doll_sp0", DrawDollSp0},
      {"doll_sp1", DrawDollSp1}, {"doll_sp2", DrawDollSp2}, {"doll_sp3", DrawDollSp3},
      {"doll_sp4", DrawDollSp4},
  }};
  return kScenes;
}
