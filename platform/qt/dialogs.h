// The three modal boxes the game shows, behind one interface so that the game can run with
// scripted answers. Each call returns when the box is closed.
#pragma once

#include <QString>

namespace qtui {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Message box: one OK button, no icon, the application title as caption; each CR breaks a line.
  virtual void ShowMessage(const QString& text) = 0;
  // Confirmation box "確認" with the buttons Yes and No; true when Yes was chosen.
  virtual bool Confirm(const QString& text) = 0;
  // Error box: error icon, one OK button, the application title as caption.
  virtual void ShowError(const QString& text) = 0;
};

}  // namespace qtui
