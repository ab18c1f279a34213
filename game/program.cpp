// SPDX-License-Identifier: MIT
#include "game/program.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>

#include "platform/mci/synth_preload.h"
#include "platform/qt/end_requests.h"
#include "platform/qt/message_wake.h"
#include "platform/qt/quit_signals.h"

namespace brandel {

namespace {

// The window whose record an abrupt end still saves; taken by the first to save it.
std::atomic<TForm1*> unsaved{nullptr};

// Forgets the running window on every way out of RunProgram.
class RunningWindow {
 public:
  explicit RunningWindow(TForm1& form) {
    static const bool registered = std::atexit([] { SaveBeforeAbruptEnd(); }) == 0;
    (void)registered;
    unsaved.store(&form);
  }
  ~RunningWindow() { unsaved.store(nullptr); }
  RunningWindow(const RunningWindow&) = delete;
  RunningWindow& operator=(const RunningWindow&) = delete;
};

}  // namespace

int RunProgram(qtui::Dialogs& boxes, const GameFiles& files, const DisplayRequest& request) {
  qtui::EndRequests endRequests;
  // Watched before the window exists: a signal during its start ends it once it stands, and one
  // while the application error box shows closes that box.
  qtui::QuitSignals quitSignals([&endRequests](int) { endRequests.Request(); });
  try {
    qtui::MessageWake wake(boxes);  // outlives the window: its mixer posts until it goes
    TForm1 form(files, &boxes);
    Comforts comforts(&form, &boxes, PlayerSettingsPath(UserConfigHome()), request);
    endRequests.SetWindow(&form);
    RunningWindow running(form);
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &form,
                     [&form, &boxes](QSessionManager& manager) {
                       bool granted = false;  // the right to show a box, asked only for one
                       SaveForLogout(form, boxes, [&] {
                         granted = manager.allowsErrorInteraction();
                         return granted;
                       });
                       if (granted) manager.release();
                     });
    form.show();
    // The finale's music then opens at once instead of holding up the window at its cue.
    QTimer::singleShot(0, [] { mci::PreloadSynthesizer(); });
    const int code = QApplication::exec();
    // The loop can end without a close (a session manager's quit): the record is saved anyway.
    if (form.isVisible()) form.close();
    return code;
  } catch (const std::exception& error) {
    // Only the start can get here: every handler runs inside its own guard.
    boxes.ShowApplicationError(QString::fromUtf8(error.what()));
    return 1;
  }
}

void SaveForLogout(TForm1& form, qtui::Dialogs& boxes, const std::function<bool()>& mayShowError) {
  try {
    form.FormClose();
  } catch (const std::exception& error) {
    if (mayShowError()) {
      boxes.ShowError(QString::fromUtf8(error.what()));
    } else {
      std::fprintf(stderr, "brandel2: the play record could not be saved: %s\n", error.what());
    }
  }
}

void SaveBeforeAbruptEnd() noexcept {
  // Qt may report the end on two threads at once, and ends the process right after: the second
  // waits here until the first has saved.
  static std::recursive_mutex saving;
  const std::lock_guard lock(saving);
  TForm1* form = unsaved.exchange(nullptr);
  if (form == nullptr) return;
  try {
    form->FormClose();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "brandel2: the play record could not be saved: %s\n", error.what());
  }
}

}  // namespace brandel
