// A resource table in which a program registers byte blobs by type and name or number,
// standing in for a module's resources (the mixer reads waves of type "WAVE" from it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace res {

using HMODULE = struct ResourceModule*;
using HRSRC = struct ResourceEntry*;
using HGLOBAL = struct LoadedResource*;

// A name pointer whose value fits in 16 bits is a resource number.
inline const char* MakeIntResource(std::uint16_t id) {
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}
inline bool IsIntResource(const char* name) {
  return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}

// The program's own table; null as a module means this one.
HMODULE ProgramModule();
// Registers (or replaces) a blob. Names compare without regard to ASCII case.
void RegisterResource(HMODULE module, const char* type, const char* nameOrId,
                      std::vector<std::uint8_t> bytes);
void ClearResources(HMODULE module);

HRSRC FindResource(HMODULE module, const char* nameOrId, const char* type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
void* LockResource(HGLOBAL loaded);
std::uint32_t SizeofResource(HMODULE module, HRSRC resource);
bool FreeResource(HGLOBAL loaded);

// Test support: resources loaded and not yet freed.
std::size_t LoadedResourceCount();

}  // namespace res
