// SPDX-License-Identifier: MIT
#include "platform/qt/event_guard.h"

#include <QString>
#include <exception>

namespace qtui {

namespace {

void ShowQuietly(Dialogs& boxes, const QString& text) noexcept {
  try {
    boxes.ShowError(text);
  } catch (...) {
    // An error box that fails cannot be reported anywhere else.
  }
}

}  // namespace

bool RunGuarded(Dialogs& boxes, const std::function<void()>& handler) noexcept {
  try {
    handler();
    return true;
  } catch (const std::exception& error) {
    ShowQuietly(boxes, QString::fromUtf8(error.what()));
  } catch (...) {
    ShowQuietly(boxes, QStringLiteral("不明なエラー"));
  }
  return false;
}

}  // namespace qtui
