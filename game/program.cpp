#include "game/program.h"

#include <QApplication>
#include <exception>

#include "game/unit1.h"
#include "platform/qt/message_wake.h"

namespace brandel {

int RunProgram(qtui::Dialogs& boxes, const GameFiles& files) {
  try {
    qtui::MessageWake wake(boxes);  // outlives the window: its mixer posts until it goes
    TForm1 form(files, &boxes);
    form.show();
    return QApplication::exec();
  } catch (const std::exception& error) {
    // Only the start can get here: every handler runs inside its own guard.
    boxes.ShowApplicationError(QString::fromUtf8(error.what()));
    return 1;
  }
}

}  // namespace brandel
