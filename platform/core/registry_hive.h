// One root of the registry (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER), as the
// registry functions see it. A hive answers with snapshots: an open key shows
// its sub-keys and values as they were when it was opened (or last written
// through), so an enumeration by index is consistent even while the
// underlying source (the device table, a file) changes.
#pragma once

#include "platform/core/win_types.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct RegistryValue {
  DWORD type;              // REG_SZ, REG_DWORD ...
  std::vector<BYTE> data;  // REG_SZ: the WCHARs with their terminator
};

struct RegistryKeySnapshot {
  std::vector<std::wstring> subKeys;
  std::vector<std::pair<std::wstring, RegistryValue>> values;
};

class RegistryHive {
 public:
  virtual ~RegistryHive();
  // The key at `path` (relative to the hive's root, "" for the root itself;
  // backslash-separated; letter case does not matter) as it is now, or
  // nullopt when there is no such key.
  virtual std::optional<RegistryKeySnapshot> ReadKey(const std::wstring& path) = 0;
  // Creates the key at `path` with its missing parents. A read-only hive
  // answers ERROR_ACCESS_DENIED, as these defaults do.
  virtual LONG CreateKey(const std::wstring& path);
  virtual LONG SetValue(const std::wstring& path, const std::wstring& name, const RegistryValue& value);
};

// A REG_SZ value holding `text`.
RegistryValue StringValue(const std::wstring& text);
