// SPDX-License-Identifier: MIT
#include "game/game_variables.h"

namespace brandel {

GameVariables Game;

}  // namespace brandel
