// SPDX-License-Identifier: MIT
// Command dispatch over the open sequencer devices, and the layer's hidden window that
// turns the output thread's end-of-music post into the caller's MM_MCINOTIFY, and its idle
// post into letting the output go.
#include "platform/mci/mci.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/mci/sequencer.h"

namespace mci {
namespace {

constexpr const char* kWindowClass = "MciSequencerNotify";
// From the output's thread; wParam device, lParam player generation.
constexpr msg::UINT kEndOfMusic = 0x0400;
constexpr msg::UINT kOutputIdle = 0x0401;

struct Device {
  std::unique_ptr<Sequencer> sequencer;
  msg::HWND pendingNotify = 0;  // the window waiting for this device's end of music
};

struct Layer {
  std::map<MCIDEVICEID, Device> devices;
  MCIDEVICEID lastDevice = 0;  // identifiers count up and are never handed out twice
  msg::HWND window = 0;
};

Layer& TheLayer() {
  static Layer layer;
  return layer;
}

void Notify(msg::HWND window, msg::WPARAM result, MCIDEVICEID device) {
  if (window != 0) msg::PostMessage(window, MM_MCINOTIFY, result, static_cast<msg::LPARAM>(device));
}

// Ends a waiting notification early (superseded or aborted).
void EndPendingNotify(Device& device, MCIDEVICEID id, msg::WPARAM result) {
  Notify(device.pendingNotify, result, id);
  device.pendingNotify = 0;
}

msg::LRESULT NotifyWindowProc(msg::HWND window, msg::UINT message, msg::WPARAM wParam,
                              msg::LPARAM lParam) {
  if (message != kEndOfMusic && message != kOutputIdle) {
    return msg::DefWindowProc(window, message, wParam, lParam);
  }
  Layer& layer = TheLayer();
  auto it = layer.devices.find(static_cast<MCIDEVICEID>(wParam));
  // A device closed since, or a player replaced by a seek, has nobody left to tell.
  if (it == layer.devices.end()) return 0;
  Sequencer& sequencer = *it->second.sequencer;
  const auto generation = static_cast<std::uint32_t>(lParam);
  if (message == kOutputIdle) {
    sequencer.ReleaseIdleOutput(generation);
  } else if (sequencer.Generation() == generation) {
    EndPendingNotify(it->second, it->first, MCI_NOTIFY_SUCCESSFUL);
  }
  return 0;
}

// The window is made again when the message layer forgot it (its tests reset it).
msg::HWND LayerWindow() {
  Layer& layer = TheLayer();
  if (layer.window != 0 && msg::IsWindow(layer.window)) return layer.window;
  if (!msg::RegisterClass(kWindowClass, NotifyWindowProc) &&
      msg::GetLastError() != msg::ERROR_CLASS_ALREADY_EXISTS) {
    return 0;
  }
  layer.window = msg::CreateWindow(kWindowClass, 0);
  return layer.window;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool HasSequencerExtension(const std::string& path) {
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  const std::string_view extension = std::string_view(path).substr(dot);
  return EqualsIgnoringCase(extension, ".mid") || EqualsIgnoringCase(extension, ".midi") ||
         EqualsIgnoringCase(extension, ".rmi");
}

MCIERROR Open(std::uint32_t flags, MCI_OPEN_PARMS* params) {
  constexpr std::uint32_t kKnown =
      MCI_NOTIFY | MCI_WAIT | MCI_OPEN_ELEMENT | MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE;
  if (params == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  if ((flags & ~kKnown) != 0) return MCIERR_UNSUPPORTED_FUNCTION;
  // Only files are played: the bare device has nothing to play.
  if ((flags & MCI_OPEN_ELEMENT) == 0 || params->lpstrElementName == nullptr) {
    return MCIERR_MISSING_PARAMETER;
  }
  std::string path = params->lpstrElementName;
  std::replace(path.begin(), path.end(), '\\', '/');
  if ((flags & MCI_OPEN_TYPE) != 0) {
    if (params->lpstrDeviceType == nullptr ||
        !EqualsIgnoringCase(params->lpstrDeviceType, "sequencer")) {
      return MCIERR_INVALID_DEVICE_NAME;
    }
  } else if (!HasSequencerExtension(path)) {
    return MCIERR_EXTENSION_NOT_FOUND;
  }

  const msg::HWND window = LayerWindow();
  if (window == 0) return MCIERR_OUT_OF_MEMORY;
  Layer& layer = TheLayer();
  const MCIDEVICEID id = layer.lastDevice + 1;
  std::unique_ptr<Sequencer> sequencer;
  if (MCIERROR error = Sequencer::Open(path, id, window, kEndOfMusic, kOutputIdle, &sequencer)) {
    return error;
  }
  layer.lastDevice = id;
  layer.devices[id].sequencer = std::move(sequencer);
  params->wDeviceID = id;
  if ((flags & MCI_NOTIFY) != 0) Notify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL, id);
  return 0;
}

MCIERROR Close(MCIDEVICEID id, Device& device, std::uint32_t flags, MCI_GENERIC_PARMS* params) {
  if ((flags & MCI_NOTIFY) != 0 && params == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  EndPendingNotify(device, id, MCI_NOTIFY_ABORTED);
  TheLayer().devices.erase(id);  // the sequencer stops its output first
  if ((flags & MCI_NOTIFY) != 0) Notify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL, id);
  return 0;
}

MCIERROR Play(MCIDEVICEID id, Device& device, std::uint32_t flags, MCI_PLAY_PARMS* params) {
  // Playing a range, or waiting on the UI thread for the whole song, is not offered.
  if ((flags & (MCI_FROM | MCI_TO | MCI_WAIT)) != 0) return MCIERR_UNSUPPORTED_FUNCTION;
  if ((flags & MCI_NOTIFY) != 0 && params == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  if (MCIERROR error = device.sequencer->Play()) return error;
  if ((flags & MCI_NOTIFY) == 0) return 0;
  EndPendingNotify(device, id, MCI_NOTIFY_SUPERSEDED);
  if (device.sequencer->AtEnd()) {
    // Nothing left to play: the play is over at once.
    Notify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL, id);
  } else {
    device.pendingNotify = params->dwCallback;
  }
  return 0;
}

MCIERROR Seek(MCIDEVICEID id, Device& device, std::uint32_t flags, MCI_SEEK_PARMS* params) {
  if ((flags & MCI_TO) != 0) return MCIERR_UNSUPPORTED_FUNCTION;
  if ((flags & MCI_SEEK_TO_START) == 0) return MCIERR_MISSING_PARAMETER;
  if ((flags & MCI_NOTIFY) != 0 && params == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  EndPendingNotify(device, id, MCI_NOTIFY_ABORTED);
  if (MCIERROR error = device.sequencer->SeekToStart()) return error;
  if ((flags & MCI_NOTIFY) != 0) Notify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL, id);
  return 0;
}

MCIERROR Status(MCIDEVICEID id, Device& device, std::uint32_t flags, MCI_STATUS_PARMS* params) {
  if (params == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  if ((flags & MCI_STATUS_ITEM) == 0) return MCIERR_MISSING_PARAMETER;
  const Sequencer& sequencer = *device.sequencer;
  switch (params->dwItem) {
    case MCI_STATUS_LENGTH:
      params->dwReturn = sequencer.LengthMilliseconds();
      break;
    case MCI_STATUS_POSITION:
      params->dwReturn = sequencer.PositionMilliseconds();
      break;
    case MCI_STATUS_MODE:
      params->dwReturn = sequencer.Playing() ? MCI_MODE_PLAY : MCI_MODE_STOP;
      break;
    default:
      return MCIERR_UNSUPPORTED_FUNCTION;
  }
  if ((flags & MCI_NOTIFY) != 0) Notify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL, id);
  return 0;
}

}  // namespace

MCIERROR mciSendCommand(MCIDEVICEID device, msg::UINT command, std::uint32_t flags, void* param) {
  if (command == MCI_OPEN) return Open(flags, static_cast<MCI_OPEN_PARMS*>(param));

  Layer& layer = TheLayer();
  auto it = layer.devices.find(device);
  if (it == layer.devices.end()) return MCIERR_INVALID_DEVICE_ID;
  switch (command) {
    case MCI_CLOSE:
      return Close(device, it->second, flags, static_cast<MCI_GENERIC_PARMS*>(param));
    case MCI_PLAY:
      return Play(device, it->second, flags, static_cast<MCI_PLAY_PARMS*>(param));
    case MCI_SEEK:
      return Seek(device, it->second, flags, static_cast<MCI_SEEK_PARMS*>(param));
    case MCI_STATUS:
      return Status(device, it->second, flags, static_cast<MCI_STATUS_PARMS*>(param));
    default:
      return MCIERR_UNRECOGNIZED_COMMAND;
  }
}

}  // namespace mci
