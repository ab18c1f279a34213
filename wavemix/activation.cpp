// SPDX-License-Identifier: MIT
// Taking and giving up the wave-output device: the hidden callback window, the six output
// blocks and priming the device; the window procedure that runs the block pump.
#include <new>
#include <string>

#include "wavemix/internal.h"

namespace wavemix {

namespace {

void DestroyCallbackWindow(MixSession& session) {
  msg::DestroyWindow(session.callbackWindow);
  session.callbackWindow = 0;
}

void Activate(MixSession& session) {
  if (DeviceOwner != nullptr) {
    if (DeviceOwner == &session) return;
    Fail("Resource is already allocated to a process");
  }
  DeviceOwner = &session;
  wo::sndPlaySoundStop();
  try {
    OpenOutputDevice();
  } catch (...) {
    DeviceOwner = nullptr;
    throw;
  }
  session.active = true;
  SetPosition(session.mixPosition);  // continue where the last deactivation stopped
  while (MixBlock(TakeFreeBlock(), true)) {
  }
}

void Deactivate(MixSession& session) {
  CloseOutputDevice(&session);
  session.active = false;
  if (DeviceOwner == &session) DeviceOwner = nullptr;
}

}  // namespace

void PrepareWaveBlocks(wo::HWAVEOUT device) {
  for (int i = 0; i < MaxWaveBlocks; ++i) {
    WaveBlock* block = new (std::nothrow) WaveBlock;
    if (block == nullptr) {
      for (int j = i - 1; j >= 0; --j) {
        delete WaveBlockTable[j];
        WaveBlockTable[j] = nullptr;
      }
      Fail(OutOfMemoryMessage);
    }
    block->header = {};
    block->header.lpData = reinterpret_cast<char*>(block->data);
    block->header.dwBufferLength = static_cast<std::uint32_t>(CurrentSession->blockLength);
    block->free = 1;
    block->startPosition = 0;
    block->session = nullptr;
    block->nextPlaying = nullptr;
    WaveBlockTable[i] = block;
  }
  for (WaveBlock* block : WaveBlockTable) {
    const wo::MMRESULT result =
        wo::waveOutPrepareHeader(device, &block->header, sizeof block->header);
    if (result != wo::MMSYSERR_NOERROR) {
      FreeWaveBlocks(device);
      Fail("Unable to prepare wave header #" + std::to_string(result));
    }
    block->header.dwFlags |= wo::WHDR_DONE;
  }
}

void FreeWaveBlocks(wo::HWAVEOUT device) {
  for (WaveBlock*& block : WaveBlockTable) {
    if (block == nullptr) continue;
    wo::waveOutUnprepareHeader(device, &block->header, sizeof block->header);
    delete block;
    block = nullptr;
  }
}

void OpenOutputDevice() {
  MixSession& session = *CurrentSession;
  if (session.device != nullptr) return;

  session.callbackWindow = msg::CreateWindow(CallbackClassName, msg::WS_DISABLED);
  if (session.callbackWindow == 0) Fail("Failed to create callback window");

  wo::HWAVEOUT device = nullptr;
  const wo::MMRESULT result =
      wo::waveOutOpen(&device, static_cast<std::uint32_t>(session.deviceNumber),
                      &session.outputFormat, session.callbackWindow, 0, wo::CALLBACK_WINDOW);
  if (result != wo::MMSYSERR_NOERROR) {
    DestroyCallbackWindow(session);
    Fail("Failed to open waveform output device #" +
         std::to_string(static_cast<std::uint16_t>(result)));
  }
  session.device = device;

  try {
    PrepareWaveBlocks(device);
  } catch (...) {
    wo::waveOutClose(device);
    session.device = nullptr;
    DestroyCallbackWindow(session);
    throw;
  }
}

void CloseOutputDevice(MixSession* session) {
  if (!session->active || session->device == nullptr) return;
  ResetOutput(session->device);  // mixPosition: where the device stopped taking, for the next start
  // What the device has taken it plays out or drops as it closes; either way it is done
  // with it, and nothing may pump again before the next activation, so whatever ends there
  // is told now.
  RetirePlaysEndedBy(session->mixPosition);
  ReleasePlayingBlocks();
  FreeWaveBlocks(session->device);
  wo::waveOutClose(session->device);
  session->device = nullptr;
  DestroyCallbackWindow(*session);  // block-done messages still queued go with it
}

msg::LRESULT MixWindowProc(msg::HWND window, msg::UINT message, msg::WPARAM wParam,
                           msg::LPARAM lParam) {
  if (message == wo::MM_WOM_DONE) {
    CurrentSession = DeviceOwner;
    PumpBlocks();
    return 0;
  }
  return msg::DefWindowProc(window, message, wParam, lParam);
}

void DeferToMixPosition(std::int32_t /*position*/, PlayNode* node) {
  if (node != nullptr) {
    const std::int32_t mixPosition = CurrentSession->mixPosition;
    const std::uint32_t shift =
        static_cast<std::uint32_t>(mixPosition) - static_cast<std::uint32_t>(node->Start);
    node->Start = mixPosition;
    node->End = static_cast<std::int32_t>(static_cast<std::uint32_t>(node->End) + shift);
    if (node->End < node->Start) node->End = NeverPosition;  // carried past the largest position
  }
  PumpBlocks();
}

}  // namespace wavemix

using namespace wavemix;

void WaveMixActivate(HMIXSESSION handle, bool activate) {
  MixSession& session = *ValidateSession(handle);
  // The internal routines work on CurrentSession; the pump may have cleared it meanwhile.
  CurrentSession = &session;
  if (activate) {
    Activate(session);
  } else {
    Deactivate(session);
  }
}
