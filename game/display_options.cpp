// SPDX-License-Identifier: MIT
#include "game/display_options.h"

#include <charconv>

namespace brandel {

void AddDisplayOptions(CommandLine& line, DisplayRequest* request) {
  line.AddOption(
      {"zoom", "N", "show the window N times its size (1 to the largest the screen holds)",
       [request](const std::string& value) {
         int factor = 0;
         const char* end = value.data() + value.size();
         const auto [at, error] = std::from_chars(value.data(), end, factor);
         if (error != std::errc() || at != end || factor < 1 || factor > PlayerSettings::kMaxZoom) {
           return false;
         }
         request->zoom = factor;
         return true;
       }});
  line.AddOption({"fullscreen", "", "start fullscreen", [request](const std::string&) {
                    request->fullscreen = true;
                    return true;
                  }});
  line.AddOption({"window", "", "start in a window, even when the settings say fullscreen",
                  [request](const std::string&) {
                    request->fullscreen = false;
                    return true;
                  }});
}

}  // namespace brandel
