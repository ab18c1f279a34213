// SPDX-License-Identifier: MIT
// A resource table in which a program registers byte blobs by type and name or number: the
// source of WaveMixOpenWave's MixOpenFromResource mode (type "WAVE").
#pragma once

#include <wavemix/export.h>

#include <cstdint>
#include <vector>

namespace res {

using HMODULE = struct ResourceModule*;

// A name pointer whose value fits in 16 bits is a resource number.
inline const char* MakeIntResource(std::uint16_t id) {
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}
inline bool IsIntResource(const char* name) {
  return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}

// The program's own table; null as a module means this one.
WAVEMIX_API HMODULE ProgramModule();
// Registers (or replaces) a blob. Names compare without regard to ASCII case. A wave loaded
// from a blob is converted when it is opened, so replacing or clearing the blob later does
// not touch it.
WAVEMIX_API void RegisterResource(HMODULE module, const char* type, const char* nameOrId,
                                  std::vector<std::uint8_t> bytes);
WAVEMIX_API void ClearResources(HMODULE module);

}  // namespace res
