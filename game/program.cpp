// SPDX-License-Identifier: MIT
#include "game/program.h"

#include <QApplication>
#include <QTimer>
#include <exception>

#include "game/unit1.h"
#include "platform/mci/synth_preload.h"
#include "platform/qt/message_wake.h"

namespace brandel {

int RunProgram(qtui::Dialogs& boxes, const GameFiles& files, const DisplayRequest& request) {
  try {
    qtui::MessageWake wake(boxes);  // outlives the window: its mixer posts until it goes
    TForm1 form(files, &boxes);
    Comforts comforts(&form, &boxes, PlayerSettingsPath(UserConfigHome()), request);
    form.show();
    // The finale's music then opens at once instead of holding up the window at its cue.
    QTimer::singleShot(0, [] { mci::PreloadSynthesizer(); });
    return QApplication::exec();
  } catch (const std::exception& error) {
    // Only the start can get here: every handler runs inside its own guard.
    boxes.ShowApplicationError(QString::fromUtf8(error.what()));
    return 1;
  }
}

}  // namespace brandel
