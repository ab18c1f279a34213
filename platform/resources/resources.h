// SPDX-License-Identifier: MIT
// A resource table in which a program registers byte blobs by type and name or number,
// standing in for a module's resources (the mixer reads waves of type "WAVE" from it). The
// registering side is public; finding and loading serve the mixer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "wavemix/resources.h"

namespace res {

using HRSRC = struct ResourceEntry*;
using HGLOBAL = struct LoadedResource*;

HRSRC FindResource(HMODULE module, const char* nameOrId, const char* type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
void* LockResource(HGLOBAL loaded);
std::uint32_t SizeofResource(HMODULE module, HRSRC resource);
bool FreeResource(HGLOBAL loaded);

// Test support: resources loaded and not yet freed.
std::size_t LoadedResourceCount();

}  // namespace res
