// SPDX-License-Identifier: MIT
#include "platform/qt/qt_dialogs.h"

#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "platform/qt/title_bar.h"

namespace qtui {

const QString QtDialogs::kConfirmCaption = QStringLiteral("確認");
const QString QtDialogs::kYesText = QStringLiteral("はい(&Y)");
const QString QtDialogs::kNoText = QStringLiteral("いいえ(&N)");

namespace {

// The game's texts break lines with a bare CR.
QString WithLineBreaks(QString text) {
  return text.replace(QChar('\r'), QChar('\n'));
}

void PrepareBox(QMessageBox& box, const QString& caption, QMessageBox::Icon icon,
                const QString& text, int scale) {
  box.setWindowTitle(caption);
  box.setIcon(icon);
  box.setTextFormat(Qt::PlainText);
  box.setText(WithLineBreaks(text));
  box.setWindowModality(Qt::ApplicationModal);
  if (scale > 1) {
    QFont font = box.font();
    if (font.pixelSize() > 0) {
      font.setPixelSize(font.pixelSize() * scale);
    } else {
      font.setPointSizeF(font.pointSizeF() * scale);
    }
    box.setFont(font);
    const QPixmap picture = box.iconPixmap();
    if (!picture.isNull()) {
      // Whole pixels, as the window's pictures are zoomed.
      box.setIconPixmap(
          picture.scaled(picture.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
  }
  if (DrawsOwnTitleBars()) AddTitleBar(&box);
}

// A modal box with one OK button.
void ShowOkBox(QWidget* parent, const QString& caption, QMessageBox::Icon icon, const QString& text,
               int scale = 1) {
  QMessageBox box(parent);
  PrepareBox(box, caption, icon, text, scale);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

}  // namespace

QtDialogs::QtDialogs(QString applicationTitle) : applicationTitle_(std::move(applicationTitle)) {}

void QtDialogs::ShowMessage(const QString& text) {
  ShowOkBox(owner_, applicationTitle_, QMessageBox::NoIcon, text, scale_);
}

bool QtDialogs::Confirm(const QString& text) {
  QMessageBox box(owner_);
  PrepareBox(box, kConfirmCaption, QMessageBox::Question, text, scale_);
  // QMessageBox answers a button's mnemonic letter without Alt, so Y and N work as keys.
  QPushButton* yes = box.addButton(kYesText, QMessageBox::YesRole);
  QPushButton* no = box.addButton(kNoText, QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

void QtDialogs::ShowError(const QString& text) {
  ShowOkBox(owner_, applicationTitle_, QMessageBox::Critical, text, scale_);
}

void QtDialogs::ShowApplicationError(const QString& text) {
  // No window is left to own it.
  ShowOkBox(nullptr, kApplicationErrorCaption, QMessageBox::Critical, text);
}

}  // namespace qtui
