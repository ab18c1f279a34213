// SPDX-License-Identifier: MIT
// The modal boxes the game shows, behind one interface so that the game can run with
// scripted answers. Each call returns when the box is closed.
#pragma once

#include <QString>

class QWidget;

namespace qtui {

inline const QString kApplicationErrorCaption = QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ");

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The window that owns the boxes from now on: each is centred on it and stays above it.
  virtual void SetOwner(QWidget* window) = 0;
  // Boxes shown from now on are drawn this many times their size (fonts, icon, buttons), as the
  // zoomed window they belong to is; 1 shows them as made.
  virtual void SetScale(int factor) { (void)factor; }
  // Message box: one OK button, no icon, the application title as caption; each CR breaks a line.
  virtual void ShowMessage(const QString& text) = 0;
  // Confirmation box "確認" with the buttons Yes and No; true when Yes was chosen.
  virtual bool Confirm(const QString& text) = 0;
  // Error box: error icon, one OK button, the application title as caption.
  virtual void ShowError(const QString& text) = 0;
  // The box of an error that ends the program before its window exists: task-modal, error
  // icon, one OK button, captioned kApplicationErrorCaption; it has no owner.
  virtual void ShowApplicationError(const QString& text) = 0;
};

}  // namespace qtui
