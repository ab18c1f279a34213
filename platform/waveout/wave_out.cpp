// SPDX-License-Identifier: MIT
// The front end: checks handles and arguments, then hands each call to the back end in use.
// UI thread only.
#include "platform/waveout/wave_out.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/waveout/backend.h"
#include "platform/waveout/output_choice.h"

namespace wo {
namespace {

struct FrontEnd {
  Backend* installed = nullptr;     // the virtual device, while installed
  std::unique_ptr<Backend> chosen;  // WAVEMIX_OUTPUT's choice, made at first use
  std::vector<std::unique_ptr<WaveOutDevice>> open;
};

// Never destroyed: devices still open at exit are closed by CloseAllAtExit, and a static
// destructor elsewhere may still call in.
void CloseAll();

FrontEnd& Front() {
  static FrontEnd* const front = [] {
    // A WAV recording must get its header right even when the program ends with the
    // device open.
    std::atexit(CloseAll);
    return new FrontEnd;
  }();
  return *front;
}

void CloseAll() {
  Front().open.clear();
}

std::unique_ptr<Backend> ChooseFromEnvironment() {
  const OutputChoice choice = ParseOutputChoice(std::getenv("WAVEMIX_OUTPUT"));
  if (!choice.warning.empty()) std::fprintf(stderr, "wave output: %s\n", choice.warning.c_str());
  if (choice.kind == OutputChoice::kNull) return MakeNullBackend(choice.wavPath.c_str());
  return MakeSdlBackend();
}

Backend& Current() {
  FrontEnd& front = Front();
  if (front.installed != nullptr) return *front.installed;
  if (!front.chosen) front.chosen = ChooseFromEnvironment();
  return *front.chosen;
}

WaveOutDevice* Find(HWAVEOUT handle) {
  for (const auto& device : Front().open) {
    if (device.get() == handle) return device.get();
  }
  return nullptr;
}

// Whole frames, rounded down (also below 0): a position inside a stereo frame would swap the
// channels of whatever the caller starts there.
std::int64_t WholeFrames(std::int64_t bytes, const PCMWAVEFORMAT& format) {
  const std::int64_t frame = format.nBlockAlign == 0 ? 1 : format.nBlockAlign;
  const std::int64_t frames = bytes / frame - (bytes % frame < 0 ? 1 : 0);
  return frames * frame;
}

// WAVE_MAPPER plays on device 0.
bool MapDevice(std::uint32_t* deviceId, MMRESULT* error) {
  const std::uint32_t count = Current().DeviceCount();
  if (*deviceId == WAVE_MAPPER) {
    if (count == 0) {
      *error = MMSYSERR_NODRIVER;
      return false;
    }
    *deviceId = 0;
  }
  if (*deviceId >= count) {
    *error = MMSYSERR_BADDEVICEID;
    return false;
  }
  return true;
}

}  // namespace

void InstallBackend(Backend* backend) {
  CloseAll();
  Front().installed = backend;
}

std::uint32_t waveOutGetNumDevs() {
  return Current().DeviceCount();
}

MMRESULT waveOutGetDevCaps(std::uint32_t deviceId, WAVEOUTCAPS* caps, std::uint32_t size) {
  if (caps == nullptr || size == 0) return MMSYSERR_INVALPARAM;
  MMRESULT error = MMSYSERR_NOERROR;
  if (!MapDevice(&deviceId, &error)) return error;
  WAVEOUTCAPS full;
  const MMRESULT result = Current().Capabilities(deviceId, &full);
  if (result == MMSYSERR_NOERROR) {
    std::copy_n(reinterpret_cast<const char*>(&full), std::min<std::size_t>(size, sizeof full),
                reinterpret_cast<char*>(caps));
  }
  return result;
}

MMRESULT waveOutOpen(HWAVEOUT* handle, std::uint32_t deviceId, const PCMWAVEFORMAT* format,
                     msg::HWND callbackWindow, std::uintptr_t /*instance*/, std::uint32_t flags) {
  if (format == nullptr) return MMSYSERR_INVALPARAM;
  const std::uint32_t callbackType = flags & 0x00070000u;
  if (callbackType != 0 && callbackType != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
  MMRESULT error = MMSYSERR_NOERROR;
  if (!MapDevice(&deviceId, &error)) return error;
  if (!IsPlayableFormat(*format)) return WAVERR_BADFORMAT;
  if (flags & WAVE_FORMAT_QUERY) return Current().QueryFormat(deviceId, *format);
  if (handle == nullptr) return MMSYSERR_INVALPARAM;
  if (callbackType == CALLBACK_WINDOW && !msg::IsWindow(callbackWindow)) {
    return MMSYSERR_INVALPARAM;
  }
  const msg::HWND window = callbackType == CALLBACK_WINDOW ? callbackWindow : 0;
  std::unique_ptr<WaveOutDevice> device;
  const MMRESULT result = Current().Open(deviceId, *format, window, &device);
  if (result != MMSYSERR_NOERROR) return result;
  *handle = device.get();
  Front().open.push_back(std::move(device));
  if (window != 0) msg::PostMessage(window, MM_WOM_OPEN, reinterpret_cast<msg::WPARAM>(*handle), 0);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT handle) {
  WaveOutDevice* device = Find(handle);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  if (device->stream.QueuedBlocks() > 0) return WAVERR_STILLPLAYING;
  const msg::HWND window = device->callbackWindow;
  auto& open = Front().open;
  open.erase(std::find_if(open.begin(), open.end(),
                          [device](const auto& d) { return d.get() == device; }));
  if (window != 0) msg::PostMessage(window, MM_WOM_CLOSE, reinterpret_cast<msg::WPARAM>(handle), 0);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR* header, std::uint32_t /*size*/) {
  WaveOutDevice* device = Find(handle);
  return device == nullptr ? MMSYSERR_INVALHANDLE : device->Prepare(header);
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, WAVEHDR* header, std::uint32_t /*size*/) {
  WaveOutDevice* device = Find(handle);
  return device == nullptr ? MMSYSERR_INVALHANDLE : device->stream.Unprepare(header);
}

MMRESULT waveOutWrite(HWAVEOUT handle, WAVEHDR* header, std::uint32_t /*size*/) {
  WaveOutDevice* device = Find(handle);
  return device == nullptr ? MMSYSERR_INVALHANDLE : device->Write(header);
}

MMRESULT waveOutPause(HWAVEOUT handle) {
  WaveOutDevice* device = Find(handle);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  device->stream.Pause();
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutRestart(HWAVEOUT handle) {
  WaveOutDevice* device = Find(handle);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  device->Restart();
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT handle) {
  WaveOutDevice* device = Find(handle);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  device->stream.Reset();
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetPosition(HWAVEOUT handle, MMTIME* time, std::uint32_t size) {
  WaveOutDevice* device = Find(handle);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  if (time == nullptr || size < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
  time->wType = TIME_BYTES;  // the one format kept; asked for another, bytes are given
  const std::int64_t audible = WholeFrames(device->GetPositions().audible, device->format);
  time->cb = static_cast<std::uint32_t>(std::max<std::int64_t>(audible, 0));
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetPositions(HWAVEOUT handle, WaveOutPositions* positions) {
  WaveOutDevice* device = Find(handle);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  if (positions == nullptr) return MMSYSERR_INVALPARAM;
  const WaveOutDevice::Positions p = device->GetPositions();
  // Counts wrap at 32 bits, as the classic position does; differences stay exact.
  positions->consumed = static_cast<std::uint32_t>(
      WholeFrames(static_cast<std::int64_t>(p.consumed), device->format));
  positions->audible =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(WholeFrames(p.audible, device->format)));
  return MMSYSERR_NOERROR;
}

std::uint32_t timeGetTime() {
  return Current().NowMs();
}

bool sndPlaySoundStop() {
  return true;
}

void MessageBeep(std::uint32_t /*type*/) {
  std::fputc('\a', stderr);
  std::fflush(stderr);
}

}  // namespace wo
