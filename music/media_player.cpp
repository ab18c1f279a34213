// SPDX-License-Identifier: MIT
#include "music/media_player.h"

#include <array>
#include <map>

namespace {

constexpr const char* kWindowClass = "TMediaPlayer";

// Controls by window handle, for the window procedure. UI thread only.
std::map<msg::HWND, TMediaPlayer*>& Controls() {
  static std::map<msg::HWND, TMediaPlayer*> controls;
  return controls;
}

}  // namespace

TMediaPlayer::TMediaPlayer() {
  // Registering again after the message layer forgot its classes is harmless.
  msg::RegisterClass(kWindowClass, &TMediaPlayer::WindowProc);
  FHandle = msg::CreateWindow(kWindowClass, 0);
  if (FHandle != 0) Controls()[FHandle] = this;
}

TMediaPlayer::~TMediaPlayer() {
  if (FDeviceID != 0) mci::mciSendCommand(FDeviceID, mci::MCI_CLOSE, mci::MCI_WAIT, nullptr);
  if (FHandle != 0) {
    Controls().erase(FHandle);
    msg::DestroyWindow(FHandle);
  }
}

void TMediaPlayer::Open() {
  if (FDeviceID != 0) Close();
  mci::MCI_OPEN_PARMS params;
  params.dwCallback = FHandle;
  params.lpstrElementName = FFileName.c_str();
  FError = mci::mciSendCommand(0, mci::MCI_OPEN, mci::MCI_WAIT | mci::MCI_OPEN_ELEMENT, &params);
  if (FError != 0) RaiseError(FError);
  FDeviceID = params.wDeviceID;
}

void TMediaPlayer::Play() {
  if (FDeviceID == 0) throw EMCIDeviceError("The media player has no open device to play.");
  if (FAutoRewind) {
    const std::uint32_t length = StatusItem(mci::MCI_STATUS_LENGTH);
    if (FError == 0) {
      const std::uint32_t position = StatusItem(mci::MCI_STATUS_POSITION);
      if (FError == 0 && position == length) {
        mci::MCI_SEEK_PARMS seek;
        seek.dwCallback = FHandle;
        FError = mci::mciSendCommand(FDeviceID, mci::MCI_SEEK,
                                     mci::MCI_WAIT | mci::MCI_SEEK_TO_START, &seek);
      }
    }
  }
  mci::MCI_PLAY_PARMS params;
  params.dwCallback = FHandle;
  FError = mci::mciSendCommand(FDeviceID, mci::MCI_PLAY, mci::MCI_NOTIFY, &params);
}

void TMediaPlayer::Close() {
  if (FDeviceID == 0) return;
  mci::MCI_GENERIC_PARMS params;
  params.dwCallback = FHandle;
  FError = mci::mciSendCommand(FDeviceID, mci::MCI_CLOSE, mci::MCI_WAIT, &params);
  FDeviceID = 0;  // a device the interface does not know is not open either
  if (FError != 0) RaiseError(FError);
}

std::uint32_t TMediaPlayer::Length() {
  return FDeviceID == 0 ? 0 : StatusItem(mci::MCI_STATUS_LENGTH);
}

std::uint32_t TMediaPlayer::Position() {
  return FDeviceID == 0 ? 0 : StatusItem(mci::MCI_STATUS_POSITION);
}

std::uint32_t TMediaPlayer::Mode() {
  return FDeviceID == 0 ? mci::MCI_MODE_STOP : StatusItem(mci::MCI_STATUS_MODE);
}

std::uint32_t TMediaPlayer::StatusItem(std::uint32_t item) {
  mci::MCI_STATUS_PARMS params;
  params.dwItem = item;
  FError = mci::mciSendCommand(FDeviceID, mci::MCI_STATUS, mci::MCI_WAIT | mci::MCI_STATUS_ITEM,
                               &params);
  return FError == 0 ? static_cast<std::uint32_t>(params.dwReturn) : 0;
}

void TMediaPlayer::RaiseError(mci::MCIERROR error) const {
  std::array<char, 4096> text{};
  if (!mci::mciGetErrorString(error, text.data(), static_cast<std::uint32_t>(text.size()))) {
    throw EMCIDeviceError("The media device failed with an unknown error #" +
                          std::to_string(error) + ".");
  }
  throw EMCIDeviceError(text.data());
}

msg::LRESULT TMediaPlayer::WindowProc(msg::HWND window, msg::UINT message, msg::WPARAM wParam,
                                      msg::LPARAM lParam) {
  if (message != mci::MM_MCINOTIFY) return msg::DefWindowProc(window, message, wParam, lParam);
  auto it = Controls().find(window);
  if (it == Controls().end()) return 0;
  TMediaPlayer& control = *it->second;
  control.FNotifyValue = wParam;
  if (control.OnNotify) control.OnNotify(control);
  return 0;
}
