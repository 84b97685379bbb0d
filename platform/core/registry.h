// The registry functions the program calls. Each predefined root is served by
// a RegistryHive: HKEY_LOCAL_MACHINE by the view of the COM device table
// (Drivers\Active), HKEY_CURRENT_USER by the user's registry file
// (current_user_hive.h) unless CoreSetRegistryHive installs another store. Open keys are handles in the kernel handle
// table. Byte counts of string values are in bytes of WCHAR, as the callers' sizeof(buffer) gives them.
#pragma once

#include "platform/core/registry_hive.h"
#include "platform/core/win_types.h"

#include <memory>

using REGSAM = DWORD;
using PHKEY = HKEY*;
using LPBYTE = BYTE*;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
using PFILETIME = FILETIME*;

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001u});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u});

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Installs the hive behind a predefined root; nullptr removes it (opens then
// fail with ERROR_FILE_NOT_FOUND). HKEY_LOCAL_MACHINE starts with the active
// drivers view.
void CoreSetRegistryHive(HKEY root, std::shared_ptr<RegistryHive> hive);

// Maps to a snapshot of the hive's key `subKey` below `key`.
LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
// Maps to the open key's snapshot: its sub-key number `index`, or
// ERROR_NO_MORE_ITEMS; ERROR_MORE_DATA when `name` has no room for it and
// its terminator (counts in characters).
LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR className,
                   LPDWORD classChars, PFILETIME lastWriteTime);
// Maps to the open key's snapshot: the value's type and bytes; ERROR_MORE_DATA
// (with the size needed) when `data` has no room for them.
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataBytes);
// Maps to CloseHandle of the open key; predefined roots need no closing.
LONG RegCloseKey(HKEY key);
// Maps to the hive's CreateKey, then an open.
LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options, REGSAM desired,
                     LPSECURITY_ATTRIBUTES securityAttributes, PHKEY result, LPDWORD disposition);
// Maps to the hive's SetValue; the open key then shows the new value.
LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataBytes);
