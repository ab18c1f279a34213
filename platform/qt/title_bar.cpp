// SPDX-License-Identifier: MIT
#include "platform/qt/title_bar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QWidget>
#include <QWindow>

namespace qtui {

namespace {

constexpr int kHeight = 24;
constexpr const char* kObjectName = "brandelTitleBar";

class TitleBar : public QWidget {
 public:
  explicit TitleBar(QWidget* window) : QWidget(window), window_(window) {
    setObjectName(QLatin1String(kObjectName));
    setAutoFillBackground(true);
    QPalette shade = palette();
    shade.setColor(QPalette::Window, shade.color(QPalette::Window).darker(115));
    setPalette(shade);

    menuButton_ = MakeButton(QStringLiteral("システムメニュー"));
    menuButton_->setIconSize(QSize(16, 16));
    QObject::connect(menuButton_, &QToolButton::clicked, this,
                     [this] { ShowMenu(mapToGlobal(QPoint(0, height()))); });
    caption_ = new QLabel(this);
    QFont bold = caption_->font();
    bold.setBold(true);
    caption_->setFont(bold);
    caption_->setAlignment(Qt::AlignCenter);
    closeButton_ = MakeButton(QStringLiteral("閉じる"));
    closeButton_->setText(QStringLiteral("✕"));
    QObject::connect(closeButton_, &QToolButton::clicked, window_, &QWidget::close);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 2, 0);
    row->setSpacing(4);
    row->addWidget(menuButton_);
    row->addWidget(caption_, 1);
    row->addWidget(closeButton_);

    Follow();
    window_->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Resize:
      case QEvent::WindowTitleChange:
      case QEvent::WindowIconChange:
        Follow();
        break;
      default:
        break;
    }
    return false;
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) {
      if (QWindow* handle = window_->windowHandle()) handle->startSystemMove();
    } else if (event->button() == Qt::RightButton) {
      ShowMenu(event->globalPosition().toPoint());
    }
  }

 private:
  QToolButton* MakeButton(const QString& name) {
    auto* button = new QToolButton(this);
    button->setAccessibleName(name);
    button->setToolTip(name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(kHeight - 2, kHeight - 2);
    return button;
  }

  void Follow() {
    setGeometry(0, 0, window_->width(), kHeight);
    raise();
    caption_->setText(window_->windowTitle());
    menuButton_->setIcon(window_->windowIcon());
  }

  // The system menu of a dialog window: no size to change, nothing to minimise.
  void ShowMenu(QPoint where) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("移動(&M)"), window_, [this] {
      if (QWindow* handle = window_->windowHandle()) handle->startSystemMove();
    });
    menu.addSeparator();
    QAction* close = menu.addAction(QStringLiteral("閉じる(&C)"), window_, &QWidget::close);
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    menu.exec(where);
  }

  QWidget* window_;
  QToolButton* menuButton_;
  QLabel* caption_;
  QToolButton* closeButton_;
};

}  // namespace

bool DrawsOwnTitleBars() {
  return QGuiApplication::platformName() == QLatin1String("wayland");
}

void AddTitleBar(QWidget* window) {
  if (TitleBarOf(window) != nullptr) return;
  // Qt keeps no window frameless that asks for title-bar buttons: the bar stands for them.
  window->setWindowFlags(window->windowType() | Qt::FramelessWindowHint);
  QMargins margins = window->contentsMargins();
  margins.setTop(margins.top() + kHeight);
  window->setContentsMargins(margins);
  new TitleBar(window);
}

QWidget* TitleBarOf(const QWidget* window) {
  return window->findChild<QWidget*>(QLatin1String(kObjectName), Qt::FindDirectChildrenOnly);
}

}  // namespace qtui
