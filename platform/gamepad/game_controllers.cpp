// SPDX-License-Identifier: MIT
#include "platform/gamepad/game_controllers.h"

#include <SDL2/SDL.h>

#include <cstdlib>

namespace pad {
namespace {

// A lean past this much counts as a press; the stick must come back inside kRelease before
// it presses again, so a stick resting near the edge does not flutter.
constexpr int kLean = 16000;
constexpr int kRelease = 8000;

int Lean(int previous, int value) {
  if (value <= -kLean) return -1;
  if (value >= kLean) return 1;
  return std::abs(value) < kRelease ? 0 : previous;
}

// One axis of the stick: a press when it leaves its centre (or swings across it).
void Follow(int* lean, int value, Press negative, Press positive, std::vector<Press>* presses) {
  const int now = Lean(*lean, value);
  if (now != *lean && now != 0) presses->push_back(now < 0 ? negative : positive);
  *lean = now;
}

SDL_GameController* AsController(void* controller) {
  return static_cast<SDL_GameController*>(controller);
}

bool ButtonPress(Uint8 button, std::vector<Press>* presses) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      presses->push_back(Press::Up);
      return true;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      presses->push_back(Press::Down);
      return true;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      presses->push_back(Press::Left);
      return true;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      presses->push_back(Press::Right);
      return true;
    case SDL_CONTROLLER_BUTTON_A:
      presses->push_back(Press::A);
      return true;
    case SDL_CONTROLLER_BUTTON_B:
      presses->push_back(Press::B);
      return true;
    case SDL_CONTROLLER_BUTTON_START:
      presses->push_back(Press::Start);
      return true;
    case SDL_CONTROLLER_BUTTON_BACK:
      presses->push_back(Press::Back);
      return true;
    default:
      return false;
  }
}

}  // namespace

GameControllers::GameControllers() {
  // SDL would otherwise take SIGINT and SIGTERM from the program when its events start.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  // Pads already plugged in come as added events too, at the first poll.
}

GameControllers::~GameControllers() {
  if (!started_) return;
  for (auto& [instance, controller] : open_) SDL_GameControllerClose(AsController(controller));
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void GameControllers::Open(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (controller == nullptr) return;
  const int instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  if (open_.count(instance) != 0) {
    SDL_GameControllerClose(controller);  // opened twice: keep one reference
    return;
  }
  open_[instance] = controller;
  sticks_[instance] = {};
}

void GameControllers::Close(int instance) {
  const auto found = open_.find(instance);
  if (found == open_.end()) return;
  SDL_GameControllerClose(AsController(found->second));
  open_.erase(found);
  sticks_.erase(instance);
}

std::vector<Press> GameControllers::Poll() {
  std::vector<Press> presses;
  if (!started_) return presses;
  SDL_PumpEvents();
  // Only the joysticks' and controllers' own events: the audio's stay for whoever wants them.
  SDL_Event events[32];
  int count = 0;
  while ((count = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_JOYAXISMOTION, SDL_FINGERDOWN - 1)) >
         0) {
    for (int i = 0; i < count; ++i) {
      const SDL_Event& event = events[i];
      switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
          Open(event.cdevice.which);
          break;
        case SDL_CONTROLLERDEVICEREMOVED:
          Close(event.cdevice.which);
          break;
        case SDL_CONTROLLERBUTTONDOWN:
          if (open_.count(event.cbutton.which) != 0) ButtonPress(event.cbutton.button, &presses);
          break;
        case SDL_CONTROLLERAXISMOTION: {
          const auto stick = sticks_.find(event.caxis.which);
          if (stick == sticks_.end()) break;
          if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
            Follow(&stick->second.x, event.caxis.value, Press::Left, Press::Right, &presses);
          } else if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
            Follow(&stick->second.y, event.caxis.value, Press::Up, Press::Down, &presses);
          }
          break;
        }
        default:
          break;
      }
    }
  }
  return presses;
}

}  // namespace pad
