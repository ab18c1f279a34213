// SPDX-License-Identifier: MIT
#include "game/comforts.h"

#include <QActionGroup>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

#include "game/pad_control.h"
#include "game/unit1.h"
#include "platform/qt/dialogs.h"

namespace brandel {

const char* const kKeysText =
    "キー操作\r"
    "Tab / Shift+Tab : ボタンを選ぶ\r"
    "Space / Enter : 選んだボタンを押す\r"
    "Y / N : はい / いいえ\r"
    "Ctrl+= / Ctrl++ : 大きくする\r"
    "Ctrl+- : 小さくする\r"
    "Ctrl+0 : もとの大きさ (×1)\r"
    "F11 / Alt+Enter : 全画面の切り替え\r"
    "Esc : 全画面をやめる\r"
    "M : 消音の切り替え\r"
    "右クリック / Menu / Shift+F10 : メニュー\r"
    "\r"
    "ゲームパッド\r"
    "十字キー / 左スティック : ボタンを選ぶ\r"
    "A : 押す、OK / はい\r"
    "B : いいえ、閉じる\r"
    "START : 大きなボタンを押す\r"
    "BACK : このキー操作の説明";

namespace {

// Labels of the context menu.
const QString kZoomLabel = QStringLiteral("大きさ ×%1");
const QString kFullscreenLabel = QStringLiteral("全画面\tF11");
const QString kEffectsLabel = QStringLiteral("効果音の音量");
const QString kMusicLabel = QStringLiteral("音楽の音量");
const QString kMuteLabel = QStringLiteral("消音\tM");
const QString kQuickLabel = QStringLiteral("効果音の遅れを減らす");
const QString kKeysLabel = QStringLiteral("キー操作…");

QAction* AddCheck(QMenu* menu, const QString& label, bool checked) {
  QAction* action = menu->addAction(label);
  action->setCheckable(true);
  action->setChecked(checked);
  return action;
}

}  // namespace

Comforts::Comforts(TForm1* form, qtui::Dialogs* boxes, const std::string& settingsPath,
                   const DisplayRequest& request)
    : form_(form),
      boxes_(boxes),
      file_(settingsPath),
      settings_(file_.Load()),
      display_(form),
      sound_(form) {
  display_.SetOnChange([this] { DisplayChanged(); });
  display_.SetZoom(request.zoom.value_or(settings_.zoom));
  display_.SetFullscreen(request.fullscreen.value_or(settings_.fullscreen));
  sound_.Apply(settings_);

  // Ctrl++ comes as Ctrl+Shift++ where + lies on a shifted key, and without Shift on the keypad.
  AddShortcut({QKeySequence(QStringLiteral("Ctrl+=")), QKeySequence(QStringLiteral("Ctrl++")),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)},
              &Comforts::ZoomIn);
  AddShortcut({QKeySequence(QStringLiteral("Ctrl+-"))}, &Comforts::ZoomOut);
  AddShortcut({QKeySequence(QStringLiteral("Ctrl+0"))}, &Comforts::ZoomReset);
  AddShortcut({QKeySequence(Qt::Key_F11), QKeySequence(QStringLiteral("Alt+Return")),
               QKeySequence(QStringLiteral("Alt+Enter"))},
              &Comforts::ToggleFullscreen);
  leaveFullscreen_ = AddShortcut({QKeySequence(Qt::Key_Escape)}, &Comforts::LeaveFullscreen);
  leaveFullscreen_->setEnabled(display_.Fullscreen());  // elsewhere Escape stays the window's
  AddShortcut({QKeySequence(Qt::Key_M)}, &Comforts::ToggleMute);
  AddShortcut({QKeySequence(Qt::Key_Menu), QKeySequence(QStringLiteral("Shift+F10"))},
              &Comforts::MenuAtFocus);

  // Right clicks on the buttons and pictures come up to the window.
  form_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(form_, &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { ShowMenu(form_->mapToGlobal(at)); });

  pads_ = std::make_unique<PadControl>(form_, [this] { ShowKeys(); });
}

Comforts::~Comforts() = default;

QShortcut* Comforts::AddShortcut(const QList<QKeySequence>& keys, void (Comforts::*action)()) {
  QShortcut* shortcut = nullptr;
  for (const QKeySequence& key : keys) {
    shortcut = new QShortcut(key, form_);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, action] { (this->*action)(); });
  }
  return shortcut;
}

// Only what the player changes is saved: a zoom the screen could not hold, or one asked for on
// the command line, stays out of the file.
void Comforts::SetZoom(int factor) {
  if (display_.Fullscreen()) return;  // the view is fullscreen's own; leave it first
  display_.SetZoom(factor);
  if (display_.Zoom() == settings_.zoom) return;
  settings_.zoom = display_.Zoom();
  file_.Save(setting::kZoom, settings_.zoom);
}

void Comforts::SetFullscreen(bool on) {
  display_.SetFullscreen(on);
  if (on == settings_.fullscreen) return;
  settings_.fullscreen = on;
  file_.Save(setting::kFullscreen, settings_.fullscreen);
}

void Comforts::DisplayChanged() {
  boxes_->SetScale(display_.ShownFactor());
  if (leaveFullscreen_ != nullptr) leaveFullscreen_->setEnabled(display_.Fullscreen());
}

void Comforts::SetEffectsVolume(int percent) {
  settings_.effectsVolume = ClampVolume(percent);
  sound_.Apply(settings_);
  file_.Save(setting::kEffectsVolume, settings_.effectsVolume);
}

void Comforts::SetMusicVolume(int percent) {
  settings_.musicVolume = ClampVolume(percent);
  sound_.Apply(settings_);
  file_.Save(setting::kMusicVolume, settings_.musicVolume);
}

void Comforts::SetMute(bool on) {
  settings_.mute = on;
  sound_.Apply(settings_);
  file_.Save(setting::kMute, settings_.mute);
}

void Comforts::SetQuickResponse(bool on) {
  settings_.quickResponse = on;
  sound_.Apply(settings_);
  file_.Save(setting::kQuickResponse, settings_.quickResponse);
}

void Comforts::ShowKeys() {
  boxes_->ShowMessage(QString::fromUtf8(kKeysText));
}

void Comforts::MenuAtFocus() {
  QWidget* focus = form_->focusWidget();
  const QWidget* anchor = focus != nullptr && focus->isVisible() ? focus : form_;
  ShowMenu(anchor->mapToGlobal(anchor->rect().center()));
}

QMenu* Comforts::NewMenu(QWidget* parent) const {
  auto* menu = new QMenu(parent);
  menu->setFont(ScaledFont(menu->font(), display_.ShownFactor()));
  return menu;
}

QMenu* Comforts::ShowMenu(QPoint globalPos) {
  if (menu_) menu_->deleteLater();
  QMenu* menu = NewMenu(form_);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu_ = menu;

  auto* zooms = new QActionGroup(menu);
  for (int factor = 1; factor <= std::max(display_.LargestZoom(), display_.Zoom()); ++factor) {
    QAction* zoom = AddCheck(menu, kZoomLabel.arg(factor), factor == display_.Zoom());
    zoom->setActionGroup(zooms);
    zoom->setEnabled(!display_.Fullscreen());
    connect(zoom, &QAction::triggered, this, [this, factor] { SetZoom(factor); });
  }
  connect(AddCheck(menu, kFullscreenLabel, display_.Fullscreen()), &QAction::triggered, this,
          [this](bool on) { SetFullscreen(on); });
  menu->addSeparator();

  const auto addVolumes = [&](const QString& label, int current, void (Comforts::*set)(int)) {
    QMenu* levels = NewMenu(menu);
    levels->setTitle(label);
    auto* group = new QActionGroup(levels);
    for (int percent = 100; percent >= 0; percent -= PlayerSettings::kVolumeStep) {
      QAction* level = AddCheck(levels, QStringLiteral("%1%").arg(percent), percent == current);
      level->setActionGroup(group);
      connect(level, &QAction::triggered, this, [this, set, percent] { (this->*set)(percent); });
    }
    menu->addMenu(levels);
  };
  addVolumes(kEffectsLabel, settings_.effectsVolume, &Comforts::SetEffectsVolume);
  addVolumes(kMusicLabel, settings_.musicVolume, &Comforts::SetMusicVolume);
  connect(AddCheck(menu, kMuteLabel, settings_.mute), &QAction::triggered, this,
          [this](bool on) { SetMute(on); });
  connect(AddCheck(menu, kQuickLabel, settings_.quickResponse), &QAction::triggered, this,
          [this](bool on) { SetQuickResponse(on); });
  menu->addSeparator();
  // After the menu has closed: the box's own loop must not run inside the menu's.
  connect(menu->addAction(kKeysLabel), &QAction::triggered, this,
          [this] { QTimer::singleShot(0, this, [this] { ShowKeys(); }); });

  menu->popup(globalPos);
  return menu;
}

}  // namespace brandel
