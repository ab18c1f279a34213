// SPDX-License-Identifier: MIT
#include "game/display_start.h"

#include <QGuiApplication>
#include <QString>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "game/program.h"

namespace brandel {

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

struct HeldMessage {
  QtMsgType type;
  QByteArray file;
  int line;
  QByteArray function;
  QByteArray category;
  QString text;
};

QtMessageHandler qtOwnHandler = nullptr;
std::atomic<bool> starting{false};
std::mutex heldLock;
std::vector<HeldMessage> held;
std::string platformsTried;

QByteArray Copy(const char* text) {
  return text == nullptr ? QByteArray() : QByteArray(text);
}

void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (starting.load()) {
    if (type == QtFatalMsg) {
      std::fprintf(stderr,
                   "brandel2: no display could be used (Qt's platforms tried: %s); check DISPLAY "
                   "or WAYLAND_DISPLAY, and for Wayland the package qt6-wayland\n",
                   platformsTried.c_str());
      std::fflush(stderr);
      std::_Exit(1);
    }
    const std::lock_guard lock(heldLock);
    held.push_back({type, Copy(context.file), context.line, Copy(context.function),
                    Copy(context.category), text});
    return;
  }
  // Qt's Wayland plugin ends the process right after saying this, without exit handlers.
  if (type == QtFatalMsg || text.startsWith(QLatin1String("The Wayland connection"))) {
    SaveBeforeAbruptEnd();
  }
  qtOwnHandler(type, context, text);
}

}  // namespace

std::string PlatformsToTry(const std::string& sessionType, const std::string& desktop) {
  QString lowered = QString::fromStdString(desktop).toLower();
  if (sessionType == "wayland" && !lowered.contains(QStringLiteral("gnome"))) return "wayland;xcb";
  return "xcb;wayland";
}

bool DisplayNamed(const std::string& platformOption, bool displayOption) {
  return !platformOption.empty() || displayOption || Set("QT_QPA_PLATFORM") || Set("DISPLAY") ||
         Set("WAYLAND_DISPLAY");
}

void GuardQtStart(const std::string& platforms) {
  platformsTried = platforms;
  starting.store(true);
  qtOwnHandler = qInstallMessageHandler(&Handle);
}

void QtStarted() {
  std::vector<HeldMessage> messages;
  {
    const std::lock_guard lock(heldLock);
    messages.swap(held);
  }
  starting.store(false);
  // A platform that was not the first tried started: what Qt said was about the ones that failed.
  const std::string first = platformsTried.substr(0, platformsTried.find(';'));
  if (first != QGuiApplication::platformName().toStdString()) return;
  for (const HeldMessage& message : messages) {
    const QMessageLogContext context(
        message.file.isNull() ? nullptr : message.file.constData(), message.line,
        message.function.isNull() ? nullptr : message.function.constData(),
        message.category.isNull() ? nullptr : message.category.constData());
    qtOwnHandler(message.type, context, message.text);
  }
}

}  // namespace brandel
