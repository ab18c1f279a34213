// SPDX-License-Identifier: MIT
// Gamepads through SDL2's game-controller layer and its mapping database: every pad that is
// plugged in (now or later) is opened, and its D-pad, left stick and the buttons a game menu
// needs come out as presses. Nothing here touches a window; the caller polls on its thread.
#pragma once

#include <map>
#include <vector>

namespace pad {

enum class Press { Up, Down, Left, Right, A, B, Start, Back };

class GameControllers {
 public:
  // Starts SDL's game-controller subsystem; without it (no joystick support) Available() is
  // false and Poll() finds nothing.
  GameControllers();
  ~GameControllers();
  GameControllers(const GameControllers&) = delete;
  GameControllers& operator=(const GameControllers&) = delete;

  bool Available() const { return started_; }
  int Count() const { return static_cast<int>(open_.size()); }

  // What happened since the last call, in order: pads plugged in or pulled out are opened or
  // closed, and each button going down or stick leaving its centre is one press.
  std::vector<Press> Poll();

 private:
  struct Stick {
    int x = 0;  // -1, 0 or 1: where the left stick leans
    int y = 0;
  };
  void Open(int deviceIndex);
  void Close(int instance);

  bool started_ = false;
  std::map<int, void*> open_;  // SDL_GameController* by joystick instance
  std::map<int, Stick> sticks_;
};

}  // namespace pad
