// Resources on Linux: a module is a table of typed, named byte blocks in the
// handheld's binary resource formats (dialog templates, string blocks, DIBs,
// icons, version record), found and loaded with the handheld's functions.
//
// The program's module is the catalogue the program hands over with
// SetProgramResources() at start-up (the layer does not know the program's
// resources). Its instance handle is GetModuleHandleW(nullptr); a null
// HMODULE or HINSTANCE given to the functions below means that module too,
// as it does for the executable on the handheld. Tests may build a
// ResourceModule of their own and pass its Handle().
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <string>

#include "platform/core/win_types.h"

struct HRSRC__;
using HRSRC = HRSRC__*;
// LoadResource hands out the resource's data pointer itself, as the handheld
// does; LockResource returns it unchanged.
using HGLOBAL = void*;

// An ordinal resource name or type: the 16-bit number in the pointer's value.
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(r) ((reinterpret_cast<std::uintptr_t>(r) >> 16) == 0)

#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)
#define RT_DLGINIT MAKEINTRESOURCEW(240)

// One resource: type and name (each an ordinal or a name), language, bytes.
struct ResourceEntry {
  LPCWSTR type;
  LPCWSTR name;
  WORD language;
  std::span<const BYTE> data;
};

// Makes `entries` the program's module, the one a null module handle names.
// Until a program calls it, that module holds no resources. The entries must
// live for the rest of the process; so do the modules set before, so that
// handles taken from them stay valid.
void SetProgramResources(std::span<const ResourceEntry> entries);

// A module's resources. The object's address is its HMODULE, so it must
// outlive every handle and pointer taken from it; the entries' bytes are
// not copied and must outlive it too.
class ResourceModule {
 public:
  explicit ResourceModule(std::span<const ResourceEntry> entries);
  ~ResourceModule();
  ResourceModule(const ResourceModule&) = delete;
  ResourceModule& operator=(const ResourceModule&) = delete;

  HMODULE Handle() const;
  std::span<const ResourceEntry> Entries() const { return m_entries; }
  // The live module behind a handle; the program's module for nullptr;
  // nullptr for anything else.
  static const ResourceModule* FromHandle(HMODULE module);

  // The entry of that type and name, or nullptr. Names compare without
  // regard to ASCII case, as resource names do.
  const ResourceEntry* Find(LPCWSTR name, LPCWSTR type) const;
  // String `id` decoded from the module's string blocks, or nullptr when it
  // is missing or empty.
  const std::wstring* FindString(UINT id) const;

 private:
  std::span<const ResourceEntry> m_entries;
  mutable std::once_flag m_stringsDecoded;
  mutable std::map<UINT, std::wstring> m_strings;
};

// Maps to: the program's resource catalogue for nullptr; no other module
// exists, so every other name gives nullptr.
HMODULE GetModuleHandleW(LPCWSTR moduleName);

// Maps to: a lookup in the module's catalogue; nullptr when missing.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);

// Maps to: the resource's bytes, returned as the pointer itself; nullptr for
// a null resource.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);

// Maps to: the identity; the data pointer is already in hand.
LPVOID LockResource(HGLOBAL resource);

// Maps to: the size of the resource's bytes; 0 for a null resource.
DWORD SizeofResource(HMODULE module, HRSRC resource);

// Maps to: string `id` from the module's string blocks (block id / 16 + 1,
// entry id % 16). Copies at most bufferMax - 1 characters, terminates, and
// returns the number copied; a missing string gives 0 and an empty buffer.
// With bufferMax 0, buffer is taken as an LPCWSTR* and receives a read-only
// pointer to the string (zero-terminated here), and the length is returned.
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);

// The file version of the module's version record (resource 1 of type
// RT_VERSION; its fixed file information, found by its signature) as
// "a.b.c.d"; empty when the module has none.
std::string ModuleFileVersion(HMODULE module);
