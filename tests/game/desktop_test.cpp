// SPDX-License-Identifier: MIT
// The game as a desktop program: keys press buttons and the focus follows the fight with a mark
// plain to see, screen readers hear the scenes, a title bar of our own has only the close box,
// the window stays on its screen, and the ends other than the close box save the record.
#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <cmath>

#include "game/game_variables.h"
#include "game/program.h"
#include "game/scene_descriptions.h"
#include "game/stage_captions.h"
#include "game_fixture.h"
#include "platform/qt/end_requests.h"
#include "platform/qt/push_button.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/screen_fit.h"
#include "platform/qt/title_bar.h"

namespace brandel::testing {
namespace {

double Luminance(QRgb colour) {
  auto channel = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) +
         0.0722 * channel(qBlue(colour));
}

double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(GameTest, EnterPressesTheFocusedButtonAndTheFocusFollowsTheFight) {
  WriteAllPictures();
  WriteRecord("keys\r\n1\r\n50\r\n0\r\n0\r\n");
  TForm1& form = Start();
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.start_b->setFocus();
  QTest::keyClick(form.start_b, Qt::Key_Return);
  EXPECT_EQ(form.start_b->text().toStdString(), "opを飛ばす");
  QTest::keyClick(form.start_b, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(form.start_b->text().toStdString(), "２面へいく");
  // A held key is one press.
  QTest::sendKeyEvent(QTest::KeyAction::Press, form.start_b, Qt::Key_Return, '\r', Qt::NoModifier,
                      -1);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
  QApplication::sendEvent(form.start_b, &repeat);
  EXPECT_EQ(form.start_b->text().toStdString(), "３面へいく");
  while (form.start_b->text() != kFightCaption) form.start_b->click();
  BoxTexts();

  form.start_b->click();  // the fight starts
  EXPECT_EQ(form.focusWidget(), form.kougeki);
  for (int press = 0; press < 25; ++press) QTest::keyClick(form.kougeki, Qt::Key_Space);
  EXPECT_EQ(form.focusWidget(), form.kougeki) << "focus stays where the player left it";
  for (int press = 0; press < 25; ++press) form.magic->click();
  QTest::keyClick(form.kougeki, Qt::Key_Return);  // the winning attack
  EXPECT_EQ(Game.Experience, 100);
  EXPECT_EQ(form.focusWidget(), form.start_b);

  // The mark: a frame two pixels wide, three inside the edge, in the text's colour, with a
  // contrast on the face that the eye cannot miss; the unfocused button has none.
  const QImage focused = form.start_b->grab().toImage();
  form.BitBtn3->setFocus();
  const QImage unfocused = form.start_b->grab().toImage();
  const int inset = qtui::PushButton::kMarkInset;
  const int w = focused.width(), h = focused.height();
  const QPoint ring[] = {{w / 2, inset},         {w / 2, inset + 1},    {w / 2, h - 1 - inset},
                         {w / 2, h - 2 - inset}, {inset, h / 4},        {inset + 1, h / 4},
                         {w - 1 - inset, h / 4}, {w - 2 - inset, h / 4}};
  const QRgb mark = form.start_b->palette().color(QPalette::ButtonText).rgb();
  for (const QPoint& p : ring) {
    SCOPED_TRACE(::testing::Message() << p.x() << "," << p.y());
    EXPECT_EQ(focused.pixel(p) & 0xFFFFFF, mark & 0xFFFFFF);
    EXPECT_GE(Contrast(focused.pixel(p), unfocused.pixel(p)), 4.5);
  }
}

TEST_F(GameTest, ScreenReadersHearTheScenesAndTheNarration) {
  WriteAllPictures();
  WriteRecord("a11y\r\n1\r\n0\r\n0\r\n0\r\n");
  TForm1& form = Start();
  form.show();
  QAccessibleInterface* cg = QAccessible::queryAccessibleInterface(form.cg);
  ASSERT_NE(cg, nullptr);
  auto name = [&] { return cg->text(QAccessible::Name).toStdString(); };
  auto description = [&] { return cg->text(QAccessible::Description).toStdString(); };

  form.Timer1Timer();
  EXPECT_EQ(name(), "タイトル画面");
  EXPECT_NE(description().find("ブランデル"), std::string::npos);

  form.start_b->click();
  EXPECT_EQ(name(), "オープニング");
  EXPECT_EQ(description(), "");
  for (int tick = 0; tick < 20; ++tick) form.Timer3Timer();
  EXPECT_EQ(description(), "神がおられるというのに\n何故争いが絶えないのだろう");

  form.start_b->click();
  EXPECT_EQ(name(), "小魚の章");
  EXPECT_NE(description().find("小魚が現れ"), std::string::npos);

  for (const std::string& picture : AllPictureNames()) {
    EXPECT_FALSE(SceneTextOf(QString::fromStdString("\\cg\\" + picture)).description.isEmpty())
        << picture << " has no words";
  }
}

TEST(OwnTitleBar, CaptionAndCloseBoxOnlyAboveTheContents) {
  EnsureApplication();
  QWidget window;
  window.setWindowTitle(QStringLiteral("確認"));
  auto* layout = new QVBoxLayout(&window);
  auto* content = new QWidget;
  content->setFixedSize(200, 80);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(content);
  qtui::AddTitleBar(&window);
  qtui::AddTitleBar(&window);  // once is enough
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
  QWidget* bar = qtui::TitleBarOf(&window);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->geometry(), QRect(0, 0, window.width(), window.contentsMargins().top()));
  EXPECT_GE(content->y(), bar->height()) << "the contents lie below the bar";
  QStringList names;
  for (auto* button : bar->findChildren<QToolButton*>()) {
    names << button->accessibleName();
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
  }
  EXPECT_EQ(names, (QStringList{"システムメニュー", "閉じる"}));
  EXPECT_NE(bar->findChild<QLabel*>()->text().indexOf(QStringLiteral("確認")), -1);
  window.setWindowTitle(QStringLiteral("ブランデル２"));
  EXPECT_EQ(bar->findChild<QLabel*>()->text(), QStringLiteral("ブランデル２"));
  bar->findChildren<QToolButton*>().last()->click();
  EXPECT_FALSE(window.isVisible());
}

TEST(ScreenFit, TheLaidOutPlaceWhereItFitsElseJustOnTheScreen) {
  const QRect screen(0, 0, 426, 341);  // 1280 x 1024 at a scale of 3
  EXPECT_EQ(qtui::FitOnScreen({253, 124, 300, 200}, {0, 0, 1280, 1024}), QPoint(253, 124));
  EXPECT_EQ(qtui::FitOnScreen({253, 124, 414, 262}, screen), QPoint(12, 79));
  EXPECT_EQ(qtui::FitOnScreen({253, 124, 414, 262}, {0, 0, 640, 512}), QPoint(226, 124));
  EXPECT_EQ(qtui::FitOnScreen({253, 124, 414, 262}, {0, 0, 341, 256}), QPoint(0, 0));
  EXPECT_EQ(qtui::FitOnScreen({-40, 10, 100, 100}, {1280, 0, 800, 600}), QPoint(1280, 10));
}

// The desktop's logout saves the record whatever box is open; a signal closes the open boxes,
// lets the handler that opened them run to its end and closes the window (exit status 0).
TEST_F(GameTest, LogoutAndEndRequestsSaveTheRecordWithABoxOpen) {
  WriteAllPictures();
  WriteRecord("end\r\n1\r\n0\r\n0\r\n0\r\n");
  TForm1& form = Start();
  form.show();
  boxes_.WhileOpen([&](const qtui::ScriptedDialogs::Box& box) {
    if (box.kind == qtui::ScriptedDialogs::Kind::Confirm) {
      SaveForLogout(form, boxes_, [] { return true; });
    }
  });
  boxes_.AnswerConfirm(false);
  form.BitBtn4->click();
  EXPECT_EQ(Record(), "end\r\n2\r\n0\r\n0\r\n0\r\n");
  EXPECT_TRUE(form.isVisible());
  boxes_.WhileOpen(nullptr);

  // Real boxes: a signal while the first of three boxes in a row is open.
  form_.reset();
  WriteRecord("end\r\n1\r\n0\r\n0\r\n0\r\n");
  qtui::QtDialogs real(kApplicationTitle);
  TForm1 window(GameFiles::InFolder(Folder()), &real);
  window.show();
  while (window.start_b->text() != QStringLiteral("５面へいく")) {
    QTimer::singleShot(0, [] {
      if (QWidget* box = QApplication::activeModalWidget()) QTest::keyClick(box, Qt::Key_Return);
    });
    window.start_b->click();
  }
  QCoreApplication::processEvents();  // the answers left over find no box
  qtui::EndRequests ends;
  ends.SetWindow(&window);
  int seen = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (QApplication::activeModalWidget() != nullptr && seen++ == 0) ends.Request();
  });
  poll.start(5);
  QTimer::singleShot(0, [&] { window.start_b->click(); });  // three boxes, one after another
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  watchdog.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(window.start_b->text(), kFightCaption) << "the handler did not run to its end";
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(Record(), "end\r\n2\r\n0\r\n0\r\n0\r\n");
}

// Under a Wayland compositor (tests/blackbox/wayland_test.sh runs this with QT_QPA_PLATFORM=
// wayland): the window and its boxes carry our title bar, and Qt draws none of its own.
TEST_F(GameTest, OnWaylandTheWindowAndItsBoxesCarryOurTitleBarOnly) {
  if (QGuiApplication::platformName() != QLatin1String("wayland")) {
    GTEST_SKIP() << "runs under a Wayland compositor only";
  }
  WriteAllPictures();
  WriteRecord("wl\r\n1\r\n0\r\n0\r\n0\r\n");
  qtui::QtDialogs real(kApplicationTitle);
  TForm1 form(GameFiles::InFolder(Folder()), &real);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QWidget* bar = qtui::TitleBarOf(&form);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(form.windowHandle()->frameMargins(), QMargins()) << "Qt draws a title bar as well";
  EXPECT_EQ(form.cg->geometry(), QRect(0, bar->height(), 300, 200));
  EXPECT_EQ(form.size(), QSize(414, 262 + bar->height()));

  bool checked = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
    EXPECT_NE(qtui::TitleBarOf(box), nullptr);
    EXPECT_EQ(box->windowHandle()->frameMargins(), QMargins());
    checked = true;
    QTest::keyClick(box, Qt::Key_Return);
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  watchdog.start(5000);
  form.BitBtn3->click();
  EXPECT_TRUE(checked) << "no credits box";
}

}  // namespace
}  // namespace brandel::testing
