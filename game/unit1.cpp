// SPDX-License-Identifier: MIT
#include "game/unit1.h"

#include <QCloseEvent>
#include <QFont>
#include <QShowEvent>
#include <QThread>

#include "game/game_variables.h"
#include "game/play_record.h"
#include "game/scene_descriptions.h"
#include "platform/module/module.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/push_button.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/screen_fit.h"
#include "platform/qt/title_bar.h"

namespace brandel {

const QString TForm1::kCaption = QStringLiteral("ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ");

namespace {

QFont LayoutFont(const char* family, int pixels, bool bold) {
  QFont font(QString::fromUtf8(family));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QPushButton* MakeButton(QWidget* parent, const char* caption, const QFont& font, bool enabled) {
  auto* button = new qtui::PushButton(QString::fromUtf8(caption), parent);
  button->setFont(font);
  button->setEnabled(enabled);
  button->setAutoFillBackground(
      true);  // a button covers its whole rectangle, round corners included
  return button;
}

QTimer* MakeTimer(QObject* parent, int interval, bool enabled) {
  auto* timer = new QTimer(parent);
  timer->setInterval(interval);
  if (enabled) timer->start();
  return timer;
}

}  // namespace

TForm1::TForm1(GameFiles files, qtui::Dialogs* boxes)
    : files_(std::move(files)), boxes_(boxes), sleep_([](int ms) { QThread::msleep(ms); }) {
  if (boxes_ == nullptr) {
    ownBoxes_ = std::make_unique<qtui::QtDialogs>(kApplicationTitle);
    boxes_ = ownBoxes_.get();
  }
  boxes_->SetOwner(this);
  LayOutControls();
  SetUpSound();
  qtui::RunGuarded(*boxes_, [this] { FormCreate(); });
}

TForm1::~TForm1() {
  FormDestroy();
  WaveMix1.reset();
  mid_p.reset();
  boxes_->SetOwner(nullptr);
}

void TForm1::LayOutControls() {
  setWindowTitle(kCaption);
  // Dialog border: fixed size, the system menu and the close box only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  if (qtui::DrawsOwnTitleBars()) qtui::AddTitleBar(this);
  // The client area lies below a title bar of our own, where there is one.
  const int top = contentsMargins().top();
  auto place = [top](QWidget* control, QRect geometry) {
    control->setGeometry(geometry.translated(0, top));
  };
  setFixedSize(414, 262 + top);
  move(253, 124);
  qtui::KeepOnScreen(this);
  setFont(LayoutFont("ＭＳ Ｐゴシック", 12, false));

  cg = new qtui::PictureControl(this, true);
  place(cg, {0, 0, 300, 200});
  cg2 = new qtui::PictureControl(this, false);
  place(cg2, {0, 204, 33, 29});

  // Created in tab order; start_b comes after cg2 and so lies above it.
  const QFont mincho19 = LayoutFont("ＭＳ Ｐ明朝", 19, true);
  kougeki = MakeButton(this, "攻撃", mincho19, false);
  place(kougeki, {304, 60, 109, 69});
  magic = MakeButton(this, "まほう", mincho19, false);
  place(magic, {304, 132, 109, 69});
  BitBtn3 = MakeButton(this, "誰が作ったの？", LayoutFont("ＭＳ Ｐ明朝", 13, true), true);
  place(BitBtn3, {304, 4, 109, 25});
  BitBtn4 = MakeButton(this, "やーめった", LayoutFont("ＭＳ Ｐ明朝", 16, true), true);
  place(BitBtn4, {304, 32, 109, 25});
  start_b = MakeButton(this, "ＳＴＡＲＴボタン", LayoutFont("ＭＳ Ｐゴシック", 19, true), true);
  place(start_b, {0, 204, 413, 57});
  cg2->stackUnder(start_b);
  setTabOrder(kougeki, magic);
  setTabOrder(magic, BitBtn3);
  setTabOrder(BitBtn3, BitBtn4);
  setTabOrder(BitBtn4, start_b);

  Timer1 = MakeTimer(this, 30, true);
  Timer2 = MakeTimer(this, 30, false);
  Timer3 = MakeTimer(this, 100, false);

  Connect(kougeki, &TForm1::kougekiClick);
  Connect(magic, &TForm1::magicClick);
  Connect(BitBtn3, &TForm1::BitBtn3Click);
  Connect(BitBtn4, &TForm1::BitBtn4Click);
  Connect(start_b, &TForm1::start_bClick);
  Connect(Timer1, &TForm1::Timer1Timer);
  Connect(Timer2, &TForm1::Timer2Timer);
  Connect(Timer3, &TForm1::Timer3Timer);
}

void TForm1::Connect(QPushButton* button, void (TForm1::*handler)()) {
  QObject::connect(button, &QPushButton::clicked, this, [this, handler] {
    qtui::RunGuarded(*boxes_, [this, handler] { (this->*handler)(); });
  });
}

void TForm1::Connect(QTimer* timer, void (TForm1::*handler)()) {
  QObject::connect(timer, &QTimer::timeout, this, [this, handler] {
    qtui::RunGuarded(*boxes_, [this, handler] { (this->*handler)(); });
  });
}

void TForm1::FormCreate() {
  OpenWaves();
  Game.PlayCount = 0;
  Game.Experience = 0;
  Game.StageMark = 0;
  LoadPlayRecord();
  Game.PlayCount = CountUp(Game.PlayCount, 1);
  if (Game.PlayCount == 5) Message("５回もこのソフトやってくれてありがとう！");
  Game.FlipStep = 0;
  Game.AttackCount = 0;
  Game.MagicCount = 0;
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Once shown, the frame the window manager gave it counts as well.
  if (!event->spontaneous()) QTimer::singleShot(0, this, [this] { qtui::KeepOnScreen(this); });
}

void TForm1::closeEvent(QCloseEvent* event) {
  // A record that cannot be written abandons the close: the window stays open and playable.
  if (qtui::RunGuarded(*boxes_, [this] { FormClose(); })) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TForm1::FormClose() {
  SavePlayRecord();
}

void TForm1::FormDestroy() {
  // No timer may fire into a window being torn down.
  Timer1->stop();
  Timer2->stop();
  Timer3->stop();
  FreeWaves();
}

void TForm1::LoadPlayRecord() {
  ReadPlayRecord(files_.recordPath, Game, &recordUnread_);
}

void TForm1::SavePlayRecord() {
  // A record that could not be read at start is kept as my.dat.bak by the first save.
  WritePlayRecord(files_.recordPath, Game, recordUnread_);
  recordUnread_ = false;
}

void TForm1::BitBtn3Click() {
  Message(
      "つくった人、ｸｲﾙﾌｪﾝ（猫柳 ほたる）\r"
      "つくった日、１９９９／６／１２早朝\r"
      "さーくる、ネコ型星雲社\r"
      "メール:quillfen@example.com\r"
      "http://www.example.org/~quillfen/\r"
      "続編をやりたい人はメールしてね。感想もまってるよ！");
}

void TForm1::BitBtn4Click() {
  if (boxes_->Confirm(QStringLiteral("やめてやらー"))) close();
}

void TForm1::Message(const char* text) {
  boxes_->ShowMessage(QString::fromUtf8(text));
}

std::string TForm1::Asset(const char* name) const {
  return module::AssetPath(files_.assetFolder, name);
}

bool TForm1::LoadGuarded(qtui::PictureControl* control, const char* name) {
  try {
    control->LoadFromFile(Asset(name));
    DescribeScene(control, name);
    return true;
  } catch (const qtui::PictureLoadError&) {
    return false;
  }
}

void TForm1::LoadUnguarded(qtui::PictureControl* control, const char* name) {
  try {
    control->LoadFromFile(Asset(name));
    DescribeScene(control, name);
  } catch (const qtui::PictureLoadError& error) {
    ReportOnce(error.what(), Asset(name));
  }
}

void TForm1::DescribeScene(qtui::PictureControl* control, const char* name) {
  const SceneText text = SceneTextOf(QString::fromUtf8(name));
  control->Describe(text.name, text.description);
}

void TForm1::ReportOnce(const std::string& message, const std::string& path) {
  // Noted before the box opens: timers keep firing inside it and must not report again.
  if (!reportedFiles_.insert(path).second) return;
  boxes_->ShowError(QString::fromStdString(message));
}

}  // namespace brandel
