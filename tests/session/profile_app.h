// The framework's profile functions as CWinApp has them after
// SetRegistryKey(L"Tavrin"): values under
// HKEY_CURRENT_USER\Software\Tavrin\<application>[\<section>], read and
// written through the registry functions, the key path created on every use.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/registry.h"

class ProfileApp {
 public:
  explicit ProfileApp(const std::wstring& appName = L"Zelmora") : m_key(L"Software\\Tavrin\\" + appName) {}

  std::wstring GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue) {
    const std::optional<std::vector<BYTE>> data = Query(section, entry, REG_SZ);
    if (!data) return defaultValue;
    const std::wstring text(reinterpret_cast<const WCHAR*>(data->data()), data->size() / sizeof(WCHAR));
    return text.substr(0, text.find(L'\0'));
  }
  UINT GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue) {
    const std::optional<std::vector<BYTE>> data = Query(section, entry, REG_DWORD);
    if (!data || data->size() != sizeof(DWORD)) return static_cast<UINT>(defaultValue);
    DWORD number = 0;
    std::memcpy(&number, data->data(), sizeof number);
    return number;
  }
  BOOL WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value) {
    return Set(section, entry, REG_SZ, reinterpret_cast<const BYTE*>(value),
               static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(WCHAR)));
  }
  BOOL WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value) {
    const auto number = static_cast<DWORD>(value);
    return Set(section, entry, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  }

 private:
  HKEY Open(LPCWSTR section) const {
    const std::wstring path = section[0] == L'\0' ? m_key : m_key + L"\\" + section;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return key;
  }
  std::optional<std::vector<BYTE>> Query(LPCWSTR section, LPCWSTR entry, DWORD wanted) const {
    HKEY key = Open(section);
    if (key == nullptr) return std::nullopt;
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::optional<std::vector<BYTE>> result;
    if (RegQueryValueExW(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == wanted) {
      std::vector<BYTE> data(size);
      if (RegQueryValueExW(key, entry, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) result = data;
    }
    RegCloseKey(key);
    return result;
  }
  BOOL Set(LPCWSTR section, LPCWSTR entry, DWORD type, const BYTE* data, DWORD size) {
    HKEY key = Open(section);
    if (key == nullptr) return FALSE;
    const LONG result = RegSetValueExW(key, entry, 0, type, data, size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? TRUE : FALSE;
  }

  std::wstring m_key;
};
