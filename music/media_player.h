// SPDX-License-Identifier: MIT
// TMediaPlayer: the hidden media player control through which the game plays its music.
// It drives the media control interface (platform/mci) with the commands the game relies
// on: Open (the element FileName, the device picked by its extension), Play (returns at
// once, plays once to the end in the background), Close, and a close at destruction that
// stops music still playing.
//
// The control has a hidden window of the message layer that receives the device's
// MM_MCINOTIFY; OnNotify runs there, on the UI thread, when messages are dispatched.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "platform/mci/mci.h"
#include "platform/messages/messages.h"

class EMCIDeviceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TMediaPlayer {
 public:
  TMediaPlayer();
  // Closes a device still open, which stops its music; errors are ignored.
  ~TMediaPlayer();
  TMediaPlayer(const TMediaPlayer&) = delete;
  TMediaPlayer& operator=(const TMediaPlayer&) = delete;

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& value) { FFileName = value; }
  bool AutoRewind() const { return FAutoRewind; }
  void SetAutoRewind(bool value) { FAutoRewind = value; }

  // Closes a device the control still holds, then opens FileName. On failure raises
  // EMCIDeviceError with the interface's text for the error, and no device is open.
  void Open();
  // Plays from the current position, going back to the start first when AutoRewind is on
  // and the music has played to its end. Raises EMCIDeviceError when no device is open;
  // a failing play command only leaves its code in Error().
  void Play();
  // Closes the device (stopping its music). Nothing to do when none is open.
  void Close();

  bool IsOpen() const { return FDeviceID != 0; }
  mci::MCIDEVICEID DeviceID() const { return FDeviceID; }
  // The error code of the last command sent (0 when it succeeded).
  mci::MCIERROR Error() const { return FError; }
  // Of the open device, in milliseconds; 0 when none is open or the query fails.
  std::uint32_t Length();
  std::uint32_t Position();
  // MCI_MODE_PLAY or MCI_MODE_STOP; MCI_MODE_STOP when no device is open.
  std::uint32_t Mode();

  msg::HWND Handle() const { return FHandle; }
  // The wParam of the last MM_MCINOTIFY (MCI_NOTIFY_SUCCESSFUL when the music ended).
  msg::WPARAM NotifyValue() const { return FNotifyValue; }
  std::function<void(TMediaPlayer&)> OnNotify;

 private:
  static msg::LRESULT WindowProc(msg::HWND window, msg::UINT message, msg::WPARAM wParam,
                                 msg::LPARAM lParam);
  std::uint32_t StatusItem(std::uint32_t item);
  [[noreturn]] void RaiseError(mci::MCIERROR error) const;

  std::string FFileName;
  bool FAutoRewind = true;
  mci::MCIDEVICEID FDeviceID = 0;
  mci::MCIERROR FError = 0;
  msg::HWND FHandle = 0;
  msg::WPARAM FNotifyValue = 0;
};
