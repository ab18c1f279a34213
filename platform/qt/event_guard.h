// SPDX-License-Identifier: MIT
// No exception may cross Qt's event loop: every handler runs inside RunGuarded, which shows an
// escaping error in the error box and lets the program go on with the next event.
#pragma once

#include <functional>

#include "platform/qt/dialogs.h"

namespace qtui {

// Runs handler; true when it returned normally, false when an error left it (and was shown).
bool RunGuarded(Dialogs& boxes, const std::function<void()>& handler) noexcept;

}  // namespace qtui
