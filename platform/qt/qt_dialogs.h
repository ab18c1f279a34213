// SPDX-License-Identifier: MIT
// The boxes as real Qt message boxes.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/qt/dialogs.h"

namespace qtui {

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QString applicationTitle);

  void SetOwner(QWidget* window) override { owner_ = window; }
  void SetScale(int factor) override { scale_ = factor < 1 ? 1 : factor; }
  void ShowMessage(const QString& text) override;
  bool Confirm(const QString& text) override;
  void ShowError(const QString& text) override;
  void ShowApplicationError(const QString& text) override;

  // Texts of the confirmation box; Y and N answer it from the keyboard.
  static const QString kConfirmCaption;
  static const QString kYesText;
  static const QString kNoText;

 private:
  QString applicationTitle_;
  QPointer<QWidget> owner_;  // forgets a window that is gone
  int scale_ = 1;
};

}  // namespace qtui
