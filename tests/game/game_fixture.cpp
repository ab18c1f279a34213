// SPDX-License-Identifier: MIT
#include "game_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "game/game_variables.h"
#include "platform/qt/fonts.h"

namespace brandel::testing {

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "game_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    auto* created = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // tests close windows and go on
    qtui::InstallFontSubstitutions();
    return created;
  }();
  (void)app;
}

const std::vector<std::string>& AllPictureNames() {
  static const std::vector<std::string> names = {
      "title.bmp",    "title2.bmp",   "tuzuku.bmp",   "sakana0.bmp",  "sakana1.bmp",
      "sakana2.bmp",  "sakana3.bmp",  "fish_ba0.bmp", "fish_ba1.bmp", "fish_ba2.bmp",
      "fish_ba3.bmp", "fish_ba4.bmp", "doll0.bmp",    "doll1.bmp",    "doll2.bmp",
      "doll3.bmp",    "doll4.bmp",    "doll_sp0.bmp", "doll_sp1.bmp", "doll_sp2.bmp",
      "doll_sp3.bmp", "doll_sp4.bmp"};
  return names;
}

QImage SolidPicture(const std::string& name) {
  const std::size_t hash = std::hash<std::string>{}(name);
  QImage picture(150, 100, QImage::Format_RGB32);
  picture.fill(QColor::fromRgb(static_cast<QRgb>(hash & 0xFFFFFF)));
  return picture;
}

QRgb RowColour(int row) {
  return qRgb(row, 255 - row, (row * 7) % 256);
}

QImage RowPicture() {
  QImage picture(150, 100, QImage::Format_RGB32);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 150; ++x) picture.setPixel(x, y, RowColour(y));
  }
  return picture;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool MakeReadOnly(const std::string& folder) {
  if (::geteuid() == 0) {
    const std::string command = "chattr +i '" + folder + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return false;
  } else if (::chmod(folder.c_str(), 0555) != 0) {
    return false;
  }
  const std::string probe = folder + "/probe";
  if (FILE* file = std::fopen(probe.c_str(), "w")) {
    std::fclose(file);
    std::remove(probe.c_str());
    return false;
  }
  return true;
}

void MakeWritable(const std::string& folder) {
  if (::geteuid() == 0) {
    const std::string command = "chattr -i '" + folder + "' 2>/dev/null";
    // A missing chattr or an unset flag leaves nothing to undo.
    [[maybe_unused]] const int status = std::system(command.c_str());
  }
  ::chmod(folder.c_str(), 0755);
}

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

void WriteWave(const std::string& path, const std::vector<std::uint8_t>& samples) {
  auto le32 = [](std::uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  auto le16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  const auto size = static_cast<std::uint32_t>(samples.size());
  std::string file = "RIFF" + le32(36 + size) + "WAVE" + "fmt " + le32(16) + le16(1) + le16(1) +
                     le32(11025) + le32(11025) + le16(1) + le16(8) + "data" + le32(size);
  file.append(samples.begin(), samples.end());
  WriteFile(path, file);
}

void GameTest::SetUp() {
  EnsureApplication();
  ASSERT_TRUE(folder_.isValid());
  QDir(folder_.path()).mkdir("cg");
  // An empty configuration folder: the mixer runs on its defaults whatever the user's
  // WAVEMIX.INI says.
  QDir(folder_.path()).mkdir("config");
  qputenv("XDG_CONFIG_HOME", (folder_.path() + "/config").toUtf8());
  Game = GameVariables{};  // zero, as at program start
  device_ = &wo::VirtualDevice::Install();
  wake_ = std::make_unique<qtui::MessageWake>(boxes_);
}

void GameTest::TearDown() {
  form_.reset();
  wake_.reset();
  wo::VirtualDevice::Uninstall();
}

void GameTest::Advance(std::uint32_t ms) {
  device_->Advance(ms, [] { QCoreApplication::processEvents(); });
}

void GameTest::SavePicture(const std::string& name, const QImage& picture) {
  ASSERT_TRUE(picture.save(QString::fromStdString(PicturePath(name)), "BMP"));
}

void GameTest::WriteAllPictures() {
  for (const std::string& name : AllPictureNames()) SavePicture(name, SolidPicture(name));
}

TForm1& GameTest::Start() {
  form_.reset();  // the mixer has one session at a time: the old window goes first
  form_ = std::make_unique<TForm1>(GameFiles::InFolder(Folder()), &boxes_);
  form_->SetSleep([](int) {});
  return *form_;
}

std::vector<std::string> GameTest::BoxTexts() {
  std::vector<std::string> texts;
  for (const auto& box : boxes_.TakeShown()) texts.push_back(box.text);
  return texts;
}

std::string GameTest::ShownPicture() const {
  const std::string& path = form_->cg->FileName();
  return path.substr(path.rfind('/') + 1);
}

}  // namespace brandel::testing
