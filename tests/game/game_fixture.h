// SPDX-License-Identifier: MIT
// A game window on a temporary asset folder with scripted boxes and the virtual wave-output
// device, and helpers to build that folder.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "game/unit1.h"
#include "platform/qt/message_wake.h"
#include "platform/qt/scripted_dialogs.h"
#include "platform/waveout/virtual_device.h"
#include "wavemix/records.h"  // the tests look into the game's mixer session

namespace brandel::testing {

// The QApplication every widget test needs; created once.
void EnsureApplication();

// Every picture of the cg folder, by file name.
const std::vector<std::string>& AllPictureNames();

// A 150 x 100 picture in one colour of its own per name.
QImage SolidPicture(const std::string& name);
// A 150 x 100 picture whose row r has the colour RowColour(r): red = r tells the row.
QImage RowPicture();
QRgb RowColour(int row);

std::string ReadFile(const std::string& path);
// Makes the folder unwritable; false where this process may write anyway (root without chattr).
bool MakeReadOnly(const std::string& folder);
void MakeWritable(const std::string& folder);
void WriteFile(const std::string& path, const std::string& contents);
// A wave file of 8-bit mono samples at 11025 Hz: the mixer's own output format.
void WriteWave(const std::string& path, const std::vector<std::uint8_t>& samples);

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Folder() const { return folder_.path().toStdString() + "/"; }
  std::string RecordPath() const { return Folder() + "my.dat"; }
  std::string PicturePath(const std::string& name) const { return Folder() + "cg/" + name; }
  void WriteRecord(const std::string& contents) { WriteFile(RecordPath(), contents); }
  std::string Record() const { return ReadFile(RecordPath()); }
  void WriteAllPictures();
  void SavePicture(const std::string& name, const QImage& picture);

  // Creates the window on the folder (runs FormCreate); texts of its boxes go to boxes_.
  TForm1& Start();
  // The texts of the boxes shown since the last call.
  std::vector<std::string> BoxTexts();
  std::vector<qtui::ScriptedDialogs::Box> Boxes() { return boxes_.TakeShown(); }
  // File name of the picture in cg, e.g. "title.bmp"; empty without one.
  std::string ShownPicture() const;

  // Moves the device's clock on by ms; whenever a block has played, Qt's event loop runs, where
  // the message layer's wake-up drains the block messages into the mixer.
  void Advance(std::uint32_t ms);

  QTemporaryDir folder_;
  qtui::ScriptedDialogs boxes_;
  wo::VirtualDevice* device_ = nullptr;  // installed before any window, so the mixer finds it
  std::unique_ptr<qtui::MessageWake> wake_;
  std::unique_ptr<TForm1> form_;
};

}  // namespace brandel::testing
