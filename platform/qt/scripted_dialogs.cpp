// SPDX-License-Identifier: MIT
#include "platform/qt/scripted_dialogs.h"

#include <stdexcept>
#include <utility>

namespace qtui {

void ScriptedDialogs::Record(Kind kind, const QString& text) {
  shown_.push_back({kind, text.toStdString()});
  if (whileOpen_) whileOpen_(shown_.back());
}

void ScriptedDialogs::ShowMessage(const QString& text) {
  Record(Kind::Message, text);
}

bool ScriptedDialogs::Confirm(const QString& text) {
  Record(Kind::Confirm, text);
  if (answers_.empty())
    throw std::logic_error("confirmation without a scripted answer: " + text.toStdString());
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

void ScriptedDialogs::ShowError(const QString& text) {
  Record(Kind::Error, text);
}

void ScriptedDialogs::ShowApplicationError(const QString& text) {
  Record(Kind::ApplicationError, text);
}

std::vector<ScriptedDialogs::Box> ScriptedDialogs::TakeShown() {
  return std::exchange(shown_, {});
}

}  // namespace qtui
