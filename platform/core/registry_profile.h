// The application's profile values kept in HKEY_CURRENT_USER through the
// registry functions, as the framework's profile functions keep them once
// SetRegistryKey has been called: `key` is the path below
// HKEY_CURRENT_USER ("Software\Tavrin\Zelmora", plus "\<section>" for a
// section other than ""), `name` the value's name. Reading or writing
// creates the key path when it is missing. The methods have the shape of
// the framework's ProfileStore, so a ProfileStore can forward to them.
#pragma once

#include <optional>
#include <string>

#include "platform/core/win_types.h"

class RegistryProfile {
 public:
  // The value when it exists as a REG_SZ (up to its first terminator).
  std::optional<std::wstring> ReadString(const std::wstring& key, const std::wstring& name);
  // The value when it exists as a four-byte REG_DWORD.
  std::optional<DWORD> ReadNumber(const std::wstring& key, const std::wstring& name);
  // Whether the value was stored (false, for example, when the user's
  // registry file cannot be written).
  bool WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value);
  bool WriteNumber(const std::wstring& key, const std::wstring& name, DWORD value);
};
