// SPDX-License-Identifier: MIT
#include "platform/resources/resources.h"

#include <algorithm>
#include <list>
#include <memory>
#include <mutex>
#include <string>

namespace res {

struct ResourceModule {};

// One registered blob. Its bytes are shared with every loaded copy, so replacing or
// clearing the entry never pulls memory from under a caller that still holds it locked.
struct ResourceEntry {
  std::string type;  // textual key, see Key()
  std::string name;
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
};

struct LoadedResource {
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
};

namespace {

ResourceModule programModule;

struct Table {
  std::mutex lock;
  std::list<ResourceEntry> entries;  // stable addresses: an HRSRC is an entry's address
  std::list<LoadedResource> loaded;
};

Table& TheTable() {
  static Table table;
  return table;
}

bool IsProgram(HMODULE module) { return module == nullptr || module == &programModule; }

// A name is kept as text: numbers as "#<decimal>", words upper-cased, so "#101" and
// MakeIntResource(101) name the same resource and names compare without regard to case.
std::string Key(const char* nameOrId) {
  if (IsIntResource(nameOrId)) {
    return "#" + std::to_string(static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(nameOrId)));
  }
  std::string key(nameOrId);
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  // "#0101" and "#101" are the same number.
  if (key.size() > 1 && key[0] == '#' &&
      std::all_of(key.begin() + 1, key.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
      key.size() <= 6) {
    unsigned long number = std::stoul(key.substr(1));
    if (number <= 0xFFFF) return "#" + std::to_string(number);
  }
  return key;
}

ResourceEntry* FindEntry(Table& table, HRSRC resource) {
  for (ResourceEntry& e : table.entries) {
    if (&e == resource) return &e;
  }
  return nullptr;
}

}  // namespace

HMODULE ProgramModule() { return &programModule; }

void RegisterResource(HMODULE module, const char* type, const char* nameOrId,
                      std::vector<std::uint8_t> bytes) {
  if (!IsProgram(module) || type == nullptr) return;
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  auto shared = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
  const std::string typeKey = Key(type);
  const std::string nameKey = Key(nameOrId);
  for (ResourceEntry& e : table.entries) {
    if (e.type == typeKey && e.name == nameKey) {
      e.bytes = std::move(shared);
      return;
    }
  }
  table.entries.push_back({typeKey, nameKey, std::move(shared)});
}

void ClearResources(HMODULE module) {
  if (!IsProgram(module)) return;
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  table.entries.clear();
}

HRSRC FindResource(HMODULE module, const char* nameOrId, const char* type) {
  if (!IsProgram(module) || type == nullptr) return nullptr;
  if (!IsIntResource(nameOrId) && nameOrId == nullptr) return nullptr;
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  const std::string typeKey = Key(type);
  const std::string nameKey = Key(nameOrId);
  for (ResourceEntry& e : table.entries) {
    if (e.type == typeKey && e.name == nameKey) return &e;
  }
  return nullptr;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  if (!IsProgram(module)) return nullptr;
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  ResourceEntry* entry = FindEntry(table, resource);
  if (entry == nullptr) return nullptr;
  table.loaded.push_back({entry->bytes});
  return &table.loaded.back();
}

void* LockResource(HGLOBAL loaded) {
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  for (LoadedResource& l : table.loaded) {
    if (&l == loaded) {
      // An empty blob still has an address to lock; its size is 0.
      static const std::uint8_t empty = 0;
      const std::uint8_t* data = l.bytes->empty() ? &empty : l.bytes->data();
      return const_cast<std::uint8_t*>(data);
    }
  }
  return nullptr;
}

std::uint32_t SizeofResource(HMODULE module, HRSRC resource) {
  if (!IsProgram(module)) return 0;
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  ResourceEntry* entry = FindEntry(table, resource);
  return entry == nullptr ? 0 : static_cast<std::uint32_t>(entry->bytes->size());
}

bool FreeResource(HGLOBAL loaded) {
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  auto it = std::find_if(table.loaded.begin(), table.loaded.end(),
                         [loaded](const LoadedResource& l) { return &l == loaded; });
  if (it == table.loaded.end()) return false;
  table.loaded.erase(it);
  return true;
}

std::size_t LoadedResourceCount() {
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  return table.loaded.size();
}

}  // namespace res
