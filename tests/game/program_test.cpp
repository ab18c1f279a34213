// SPDX-License-Identifier: MIT
// The program's start: a mixer that cannot be set up ends it with the application error box
// and exit code 1; a working one runs the window, whose message loop pumps the mixer.
#include "game/program.h"

#include <QApplication>
#include <QTimer>
#include <functional>

#include "game_fixture.h"
#include "platform/messages/messages.h"
#include "wavemix/internal.h"

namespace brandel::testing {
namespace {

class ProgramStart : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    WriteAllPictures();
    WriteRecord("p\r\n1\r\n0\r\n0\r\n0\r\n");
  }

  // Runs the program; inLoop runs once its message loop is up and must end it.
  int RunTheProgram(std::function<void()> inLoop = [] {}) {
    QTimer::singleShot(0, [inLoop] { inLoop(); });
    return RunProgram(boxes_, GameFiles::InFolder(Folder()));
  }

  static TForm1* RunningWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* form = dynamic_cast<TForm1*>(widget)) return form;
    }
    return nullptr;
  }

  void ExpectOnlyApplicationError(const std::string& message) {
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, qtui::ScriptedDialogs::Kind::ApplicationError);
    EXPECT_EQ(boxes[0].text, message);
    EXPECT_EQ(RunningWindow(), nullptr) << "a window was left behind";
    EXPECT_EQ(wavemix::LiveSession, nullptr) << "the mixer's session was not ended";
    EXPECT_FALSE(device_->IsOpen());
    EXPECT_EQ(Record(), "p\r\n1\r\n0\r\n0\r\n0\r\n") << "nothing ran: nothing was counted";
  }
};

TEST_F(ProgramStart, NoWaveOutputDeviceEndsTheProgramWithTheApplicationErrorBox) {
  device_->SetDeviceCount(0);
  bool loopRan = false;
  EXPECT_EQ(RunTheProgram([&] { loopRan = true; }), 1);
  ExpectOnlyApplicationError("No wave output devices available");
  QApplication::processEvents();
  EXPECT_TRUE(loopRan);  // the scheduled call ran only now: the program never entered its loop
}

TEST_F(ProgramStart, ADeviceThatCannotBeTakenEndsTheProgramWithTheMixersMessage) {
  device_->RefuseOpen(true);
  std::string message;
  {
    TWaveMix mixer;
    try {
      mixer.SetActivated(true);
    } catch (const EWaveMixError& error) {
      message = error.what();
    }
  }
  ASSERT_FALSE(message.empty()) << "the refused device should fail the mixer's activation";
  EXPECT_EQ(RunTheProgram(), 1);
  ExpectOnlyApplicationError(message);
}

TEST_F(ProgramStart, TheMixerIsReadyBeforeFormCreateAndTheLoopPumpsIt) {
  WriteFile(Folder() + "2.wav", ReadFile(std::string(BRANDEL_BIN_DIR) + "/2.wav"));
  bool checked = false;
  const int code = RunTheProgram([&] {
    TForm1* form = RunningWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->WaveMix1->Activated());
    EXPECT_EQ(form->WaveMix1->Channels(), 15);
    EXPECT_TRUE(device_->IsOpen());
    form->start_b->click();
    // Blocks finish while nothing drains here: only Qt's loop can hand them to the mixer.
    device_->Advance(600, [] {});
    ASSERT_TRUE(msg::HasPostedMessages());
    QTimer::singleShot(0, [&, form] {
      EXPECT_FALSE(msg::HasPostedMessages()) << "the event loop did not drain the messages";
      checked = true;
      form->close();
      QApplication::quit();
    });
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(checked);
  EXPECT_EQ(RunningWindow(), nullptr);
  EXPECT_FALSE(device_->IsOpen());
  EXPECT_EQ(Record(), "p\r\n2\r\n0\r\n0\r\n0\r\n");
  EXPECT_TRUE(Boxes().empty());
}

// An error from a window procedure while Qt drains the messages is shown in the error box; the
// drain does not throw into Qt's loop, and the game goes on.
TEST_F(ProgramStart, AnErrorWhileDrainingIsShownAndTheGameGoesOn) {
  // Longer than the blocks queued at the press, so the pump must write more.
  WriteWave(Folder() + "1.wav", std::vector<std::uint8_t>(100, 200));
  WriteWave(Folder() + "2.wav", std::vector<std::uint8_t>(40000, 200));
  TForm1& form = Start();
  form.start_b->click();
  device_->RefuseWrites(true);
  Advance(600);
  const auto boxes = Boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].kind, qtui::ScriptedDialogs::Kind::Error);
  EXPECT_EQ(boxes[0].text, "Failed to write block to device");
  device_->RefuseWrites(false);
  form.start_b->click();
  EXPECT_EQ(form.start_b->text().toStdString(), "２面へいく");
}

}  // namespace
}  // namespace brandel::testing
