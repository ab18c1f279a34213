// SPDX-License-Identifier: MIT
// Files opened by path that are no regular files (a FIFO without a writer, a device, a
// folder) are refused at once, each with what a missing file gets in its place.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files/regular_file.h"
#include "platform/ini/ini_reader.h"
#include "platform/messages/messages.h"
#include "platform/riff/riff_reader.h"
#include "platform/waveout/virtual_device.h"
#include "tests/fifo_guard.h"
#include "wavemix/wavemix.h"

namespace {

TEST(SpecialFiles, WavesAndSettingsRefuseThemAtOnce) {
  char pattern[] = "/tmp/special-files-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::filesystem::path folder = pattern;
  const std::string wave = folder / "1.wav";
  const std::string settings = folder / "WAVEMIX.INI";
  test_support::FifoGuard fifos;
  ASSERT_TRUE(fifos.Make(wave));
  ASSERT_TRUE(fifos.Make(settings));

  for (const char* path : {wave.c_str(), "/dev/null", "/tmp"}) {
    errno = 0;
    EXPECT_EQ(files::OpenRegularFile(path), -1) << path;
    EXPECT_EQ(errno, files::kNotRegularFile) << path;
    mmio::MMIOINFO info{};
    EXPECT_EQ(mmio::mmioOpen(path, &info, mmio::MMIO_READ), nullptr) << path;
    EXPECT_EQ(info.wErrorRet, mmio::MMIOERR_CANNOTOPEN) << path;
  }

  // The settings: the defaults, as without the file.
  ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  EXPECT_EQ(ini::GetPrivateProfileInt("default", "WaveBlocks", 3, "WAVEMIX.INI"), 3);
  EXPECT_EQ(ini::IniFile::Load("/dev/zero").Int("default", "WaveBlocks", 3), 3);

  // The mixer: the session starts on the defaults; the wave gets the file-open message.
  msg::ResetForTesting();
  wo::VirtualDevice::Install(11025);
  HMIXSESSION session = WaveMixInit();
  std::string message;
  try {
    WaveMixOpenWave(session, wave.c_str(), nullptr, MixOpenFromFile);
  } catch (const EWaveMixError& error) {
    message = error.what();
  }
  EXPECT_EQ(message, "Failed to open wave file " + wave);
  WaveMixEndSession(session);
  wo::VirtualDevice::Uninstall();
  msg::ResetForTesting();

  EXPECT_FALSE(fifos.Rescued()) << "an open waited on a FIFO";
  std::filesystem::remove_all(folder);
}

}  // namespace
