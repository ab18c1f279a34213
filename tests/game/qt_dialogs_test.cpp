// SPDX-License-Identifier: MIT
// The real Qt boxes: caption, icon, buttons and keys. Each test answers the box from a timer
// that finds it as the active modal widget; a watchdog closes it if the answer never comes.
#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "game/game_variables.h"
#include "game_fixture.h"

namespace brandel::testing {
namespace {

struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QWidget* owner = nullptr;
  QPoint centre;
};

class QtDialogsTest : public GameTest {
 protected:
  // Runs show(); while its box is open, records it and then calls answer(box).
  template <typename Show>
  SeenBox WithBox(Show show, std::function<void(QMessageBox*)> answer) {
    SeenBox seen;
    bool found = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || found) return;
      found = true;
      seen.caption = box->windowTitle();
      seen.text = box->text();
      seen.icon = box->icon();
      for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
      seen.owner = box->parentWidget();
      seen.centre = box->frameGeometry().center();
      answer(box);
    });
    poll.start();
    QTimer::singleShot(5000, [] {
      if (QWidget* open = QApplication::activeModalWidget()) open->close();
    });
    show();
    EXPECT_TRUE(found) << "no box came up";
    return seen;
  }

  qtui::QtDialogs dialogs_{QStringLiteral("ブランデル２")};
};

TEST_F(QtDialogsTest, MessageBoxHasTheTitleOneOkAndNoIconAndBreaksLinesAtCr) {
  const SeenBox seen = WithBox([&] { dialogs_.ShowMessage(QStringLiteral("一行目\r二行目")); },
                               [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
  EXPECT_EQ(seen.caption.toStdString(), "ブランデル２");
  EXPECT_EQ(seen.text.toStdString(), "一行目\n二行目");
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.buttons, QStringList{"OK"});
}

TEST_F(QtDialogsTest, ErrorBoxHasTheTitleTheErrorIconAndOk) {
  const SeenBox seen = WithBox([&] { dialogs_.ShowError(QStringLiteral("I/O ｴﾗｰ (103)")); },
                               [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
  EXPECT_EQ(seen.caption.toStdString(), "ブランデル２");
  EXPECT_EQ(seen.text.toStdString(), "I/O ｴﾗｰ (103)");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QStringList{"OK"});
}

TEST_F(QtDialogsTest, ConfirmationIsAnsweredWithYAndN) {
  bool answer = false;
  SeenBox seen = WithBox([&] { answer = dialogs_.Confirm(QStringLiteral("やめてやらー")); },
                         [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Y); });
  EXPECT_TRUE(answer);
  EXPECT_EQ(seen.caption.toStdString(), "確認");
  EXPECT_EQ(seen.text.toStdString(), "やめてやらー");
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  seen.buttons.sort();
  EXPECT_EQ(seen.buttons, (QStringList{"いいえ(&N)", "はい(&Y)"}));

  answer = true;
  WithBox([&] { answer = dialogs_.Confirm(QStringLiteral("やめてやらー")); },
          [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_N); });
  EXPECT_FALSE(answer);
}

TEST_F(QtDialogsTest, GameWindowShowsRealBoxesUnderTheApplicationTitle) {
  WriteAllPictures();
  WriteRecord("\r\n0\r\n0\r\n0\r\n0\r\n");
  TForm1 form(GameFiles::InFolder(Folder()));
  form.show();
  const SeenBox credits = WithBox([&] { form.BitBtn3->click(); },
                                  [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
  EXPECT_EQ(credits.caption.toStdString(), "ブランデル２");
  EXPECT_EQ(credits.text.count('\n'), 5);

  const SeenBox quit = WithBox([&] { form.BitBtn4->click(); },
                               [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Y); });
  EXPECT_EQ(quit.caption.toStdString(), "確認");
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(Record(), "\r\n1\r\n0\r\n0\r\n0\r\n");
}

TEST_F(QtDialogsTest, EveryBoxOfTheGameIsOwnedByTheWindowAndCentredOnIt) {
  WriteAllPictures();
  ASSERT_TRUE(QFile::remove(QString::fromStdString(PicturePath("tuzuku.bmp"))));
  WriteRecord("\r\n4\r\n0\r\n0\r\n0\r\n");  // the fifth start: greeted before the window shows
  auto ok = [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); };
  std::unique_ptr<TForm1> form;
  std::vector<SeenBox> seen;
  seen.push_back(WithBox(
      [&] { form = std::make_unique<TForm1>(GameFiles::InFolder(Folder()), &dialogs_); }, ok));
  form->Timer1->stop();
  form->show();
  Game.FlipStep = 0;
  seen.push_back(WithBox([&] { form->Timer2Timer(); }, ok));  // the missing ending picture
  seen.push_back(WithBox([&] { form->BitBtn3->click(); }, ok));
  seen.push_back(WithBox([&] { form->BitBtn4->click(); },
                         [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_N); }));
  ASSERT_TRUE(form->isVisible());
  const QPoint centre = form->frameGeometry().center();
  for (const SeenBox& box : seen) {
    EXPECT_EQ(box.owner, form.get()) << box.text.toStdString();
    EXPECT_LE((box.centre - centre).manhattanLength(), 4)
        << box.text.toStdString() << " centred at " << box.centre.x() << "," << box.centre.y()
        << ", the window at " << centre.x() << "," << centre.y();
  }
}

}  // namespace
}  // namespace brandel::testing
