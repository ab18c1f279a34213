// SPDX-License-Identifier: MIT
// The window as laid out, the credits and quit buttons, and the handler guard.
#include <QFontInfo>
#include <QPixmap>
#include <QRegularExpression>

#include "game/game_variables.h"
#include "game_fixture.h"
#include "platform/qt/event_guard.h"

namespace brandel::testing {
namespace {

struct ButtonLayout {
  QPushButton* TForm1::*button;
  QRect geometry;
  const char* caption;
  const char* family;
  int pixels;
  bool enabled;
};

TEST_F(GameTest, WindowIsLaidOutAsDesigned) {
  WriteAllPictures();
  WriteRecord("\r\n0\r\n0\r\n0\r\n0\r\n");
  TForm1& form = Start();
  form.show();
  EXPECT_EQ(form.windowTitle().toStdString(), "ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ");
  EXPECT_EQ(form.size(), QSize(414, 262));
  EXPECT_EQ(form.minimumSize(), QSize(414, 262));
  EXPECT_EQ(form.maximumSize(), QSize(414, 262));
  EXPECT_EQ(form.pos(), QPoint(253, 124));
  const Qt::WindowFlags flags = form.windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_EQ(form.font().family().toStdString(), "ＭＳ Ｐゴシック");
  EXPECT_EQ(form.font().pixelSize(), 12);

  EXPECT_EQ(form.cg->geometry(), QRect(0, 0, 300, 200));
  EXPECT_EQ(form.cg2->geometry(), QRect(0, 204, 33, 29));

  const ButtonLayout buttons[] = {
      {&TForm1::kougeki, {304, 60, 109, 69}, "攻撃", "ＭＳ Ｐ明朝", 19, false},
      {&TForm1::magic, {304, 132, 109, 69}, "まほう", "ＭＳ Ｐ明朝", 19, false},
      {&TForm1::BitBtn3, {304, 4, 109, 25}, "誰が作ったの？", "ＭＳ Ｐ明朝", 13, true},
      {&TForm1::BitBtn4, {304, 32, 109, 25}, "やーめった", "ＭＳ Ｐ明朝", 16, true},
      {&TForm1::start_b, {0, 204, 413, 57}, "ＳＴＡＲＴボタン", "ＭＳ Ｐゴシック", 19, true},
  };
  for (std::size_t i = 0; i < std::size(buttons); ++i) {
    const ButtonLayout& b = buttons[i];
    QPushButton* button = form.*b.button;
    SCOPED_TRACE(b.caption);
    EXPECT_EQ(button->geometry(), b.geometry);
    EXPECT_EQ(button->text().toStdString(), b.caption);
    EXPECT_EQ(button->font().family().toStdString(), b.family);
    EXPECT_EQ(button->font().pixelSize(), b.pixels);
    EXPECT_TRUE(button->font().bold());
    EXPECT_EQ(QFontInfo(button->font()).family().toStdString(),
              std::string(b.family) == "ＭＳ Ｐ明朝" ? "IPAPMincho" : "IPAPGothic");
    EXPECT_EQ(button->isEnabled(), b.enabled);
    if (i + 1 < std::size(buttons)) {
      EXPECT_EQ(button->nextInFocusChain(), form.*buttons[i + 1].button) << "tab order";
    }
  }

  EXPECT_EQ(form.Timer1->interval(), 30);
  EXPECT_EQ(form.Timer2->interval(), 30);
  EXPECT_EQ(form.Timer3->interval(), 100);
  EXPECT_TRUE(form.Timer1->isActive());
  EXPECT_FALSE(form.Timer2->isActive());
  EXPECT_FALSE(form.Timer3->isActive());
}

TEST_F(GameTest, WindowsFontsComeOutAsTheIpaFonts) {
  EnsureApplication();
  QFont gothic(QStringLiteral("ＭＳ Ｐゴシック"));
  QFont mincho(QStringLiteral("ＭＳ Ｐ明朝"));
  QFont latinGothic(QStringLiteral("MS PGothic"));
  QFont latinMincho(QStringLiteral("MS PMincho"));
  EXPECT_EQ(QFontInfo(gothic).family().toStdString(), "IPAPGothic");
  EXPECT_EQ(QFontInfo(mincho).family().toStdString(), "IPAPMincho");
  EXPECT_EQ(QFontInfo(latinGothic).family().toStdString(), "IPAPGothic");
  EXPECT_EQ(QFontInfo(latinMincho).family().toStdString(), "IPAPMincho");
}

TEST_F(GameTest, Cg2IsNeverSeenWhateverItHolds) {
  WriteAllPictures();
  WriteRecord("\r\n0\r\n0\r\n0\r\n0\r\n");
  TForm1& form = Start();
  form.show();
  QImage magenta(150, 100, QImage::Format_RGB32);
  magenta.fill(Qt::magenta);
  SavePicture("magenta.bmp", magenta);
  form.cg2->LoadFromFile(PicturePath("magenta.bmp"));
  const QImage window = form.grab().toImage();
  for (int y = 204; y < 233; ++y) {
    for (int x = 0; x < 33; ++x)
      ASSERT_NE(window.pixelColor(x, y), QColor(Qt::magenta)) << x << "," << y;
  }
}

TEST_F(GameTest, CreditsAreSixLinesOfOurOwn) {
  WriteAllPictures();
  WriteRecord("\r\n0\r\n0\r\n0\r\n0\r\n");
  TForm1& form = Start();
  form.BitBtn3->click();
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, qtui::ScriptedDialogs::Kind::Message);
  const QStringList lines = QString::fromStdString(boxes[0].text).split('\r');
  ASSERT_EQ(lines.size(), 6);
  EXPECT_TRUE(lines[0].startsWith("つくった人、"));
  EXPECT_TRUE(lines[0].contains("（") && lines[0].endsWith("）"));
  EXPECT_EQ(lines[1].toStdString(), "つくった日、１９９９／６／１２早朝");
  EXPECT_TRUE(lines[2].startsWith("さーくる、"));
  EXPECT_TRUE(lines[3].startsWith("メール:"));
  const QRegularExpression exampleDomain(R"(example\.(com|org|net)(/|$))");
  EXPECT_TRUE(lines[3].contains(exampleDomain)) << lines[3].toStdString();
  EXPECT_TRUE(lines[4].contains(exampleDomain)) << lines[4].toStdString();
  EXPECT_TRUE(lines[5].contains("メール"));
  // The credits change nothing.
  EXPECT_EQ(form.start_b->text().toStdString(), "ＳＴＡＲＴボタン");
  EXPECT_TRUE(form.Timer1->isActive());
}

TEST_F(GameTest, QuitAsksAndNoLeavesEverythingAsItWas) {
  WriteAllPictures();
  WriteRecord("q\r\n1\r\n0\r\n0\r\n0\r\n");
  TForm1& form = Start();
  form.show();
  form.start_b->click();
  BoxTexts();
  boxes_.AnswerConfirm(false);
  form.BitBtn4->click();
  const auto asked = Boxes();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, qtui::ScriptedDialogs::Kind::Confirm);
  EXPECT_EQ(asked[0].text, "やめてやらー");
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.Timer3->isActive());
  EXPECT_EQ(form.start_b->text().toStdString(), "opを飛ばす");
  EXPECT_EQ(Record(), "q\r\n1\r\n0\r\n0\r\n0\r\n");

  boxes_.AnswerConfirm(true);
  form.BitBtn4->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(Record(), "q\r\n2\r\n0\r\n0\r\n0\r\n");
}

TEST_F(GameTest, GuardShowsAnEscapingErrorAndGoesOn) {
  EnsureApplication();
  EXPECT_FALSE(qtui::RunGuarded(boxes_, [] { throw std::runtime_error("壊れた"); }));
  EXPECT_FALSE(qtui::RunGuarded(boxes_, [] { throw 42; }));
  EXPECT_TRUE(qtui::RunGuarded(boxes_, [] {}));
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].kind, qtui::ScriptedDialogs::Kind::Error);
  EXPECT_EQ(boxes[0].text, "壊れた");
  EXPECT_EQ(boxes[1].kind, qtui::ScriptedDialogs::Kind::Error);
}

TEST_F(GameTest, AnErrorInAClickHandlerIsShownAndTheWindowGoesOn) {
  WriteAllPictures();
  WriteRecord("\r\n0\r\n0\r\n0\r\n0\r\n");
  TForm1& form = Start();
  form.BitBtn4->click();  // a confirmation nobody scripted: the fake throws
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].kind, qtui::ScriptedDialogs::Kind::Error);
  form.start_b->click();
  EXPECT_EQ(form.start_b->text().toStdString(), "opを飛ばす");
}

}  // namespace
}  // namespace brandel::testing
