#include "session/active_driver.h"

#include <string_view>

#include "platform/core/registry.h"

namespace {

// Room for a sub-key name and for a value: 260 characters, and 129
// characters with their terminator.
constexpr DWORD kKeyNameChars = 260;
constexpr DWORD kValueChars = 130;

// The string value `name` of the open key. The text is taken from the bytes
// the registry returned, so a value stored without its terminator cannot
// make the text run past them; a value that is not a string, or that does
// not fit, counts as missing.
bool ReadString(HKEY key, LPCWSTR name, std::wstring& text) {
  WCHAR value[kValueChars];
  DWORD bytes = sizeof value;
  DWORD type = REG_NONE;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(value), &bytes) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  const std::wstring_view chars(value, bytes / sizeof(WCHAR));
  text.assign(chars.substr(0, chars.find(L'\0')));
  return true;
}

}  // namespace

ActiveDriverValues ReadActiveDriverValues(const std::vector<std::wstring>& valueNames) {
  ActiveDriverValues result;
  HKEY active = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Drivers\\Active", 0, KEY_READ, &active) != ERROR_SUCCESS) return result;
  for (DWORD index = 0;; ++index) {
    WCHAR subKey[kKeyNameChars];
    DWORD subKeyChars = kKeyNameChars;
    if (RegEnumKeyExW(active, index, subKey, &subKeyChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::wstring path = std::wstring(L"Drivers\\Active\\") + subKey;
    HKEY driver = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &driver) != ERROR_SUCCESS) continue;
    std::wstring name;
    if (ReadString(driver, L"Name", name)) {
      // Of several entries with the same name the last one with the value decides.
      for (const std::wstring& valueName : valueNames) {
        std::wstring value;
        if (ReadString(driver, valueName.c_str(), value)) result[name][valueName] = value;
      }
    }
    RegCloseKey(driver);
  }
  RegCloseKey(active);
  return result;
}

std::wstring GetActiveDriverValue(LPCWSTR deviceName, LPCWSTR valueName) {
  const ActiveDriverValues values = ReadActiveDriverValues({valueName});
  const auto entry = values.find(deviceName);
  if (entry == values.end()) return {};
  const auto value = entry->second.find(valueName);
  return value == entry->second.end() ? std::wstring() : value->second;
}
