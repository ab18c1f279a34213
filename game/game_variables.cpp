#include "game/game_variables.h"

namespace brandel {

GameVariables Game;

}  // namespace brandel
