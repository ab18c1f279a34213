// SPDX-License-Identifier: MIT
// Boxes for tests: every box is recorded instead of shown, confirmations are answered from a
// script, and a hook runs while a box is "open" (where real boxes keep timers running).
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/dialogs.h"

namespace qtui {

class ScriptedDialogs : public Dialogs {
 public:
  enum class Kind { Message, Confirm, Error, ApplicationError };
  struct Box {
    Kind kind;
    std::string text;  // UTF-8
  };

  // Answers for the coming confirmations, in order. A confirmation without an answer throws.
  void AnswerConfirm(bool yes) { answers_.push_back(yes); }
  // Runs inside every box, after it has been recorded.
  void WhileOpen(std::function<void(const Box&)> hook) { whileOpen_ = std::move(hook); }

  void SetOwner(QWidget*) override {}
  void SetScale(int factor) override { scale_ = factor; }
  int Scale() const { return scale_; }
  void ShowMessage(const QString& text) override;
  bool Confirm(const QString& text) override;
  void ShowError(const QString& text) override;
  void ShowApplicationError(const QString& text) override;

  const std::vector<Box>& Shown() const { return shown_; }
  // Texts of the boxes shown since the last call, then forgets them.
  std::vector<Box> TakeShown();

 private:
  void Record(Kind kind, const QString& text);

  std::deque<bool> answers_;
  std::function<void(const Box&)> whileOpen_;
  std::vector<Box> shown_;
  int scale_ = 1;
};

}  // namespace qtui
