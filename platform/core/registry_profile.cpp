#include "platform/core/registry_profile.h"

#include <cstring>
#include <vector>

#include "platform/core/registry.h"

namespace {

// The key, created with the keys above it when it is missing, open for
// reading and writing; closed when the object goes.
class AppKey {
 public:
  explicit AppKey(const std::wstring& path) {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  ~AppKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  AppKey(const AppKey&) = delete;
  AppKey& operator=(const AppKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The value's bytes when it exists with `type`.
std::optional<std::vector<BYTE>> Query(const std::wstring& path, const std::wstring& name, DWORD type) {
  AppKey key(path);
  if (key.get() == nullptr) return std::nullopt;
  DWORD found = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &found, nullptr, &size) != ERROR_SUCCESS || found != type) {
    return std::nullopt;
  }
  std::vector<BYTE> data(size);
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &found, data.data(), &size) != ERROR_SUCCESS ||
      found != type) {
    return std::nullopt;
  }
  data.resize(size);
  return data;
}

bool Set(const std::wstring& path, const std::wstring& name, DWORD type, const BYTE* data, DWORD size) {
  AppKey key(path);
  return key.get() != nullptr && RegSetValueExW(key.get(), name.c_str(), 0, type, data, size) == ERROR_SUCCESS;
}

}  // namespace

std::optional<std::wstring> RegistryProfile::ReadString(const std::wstring& key, const std::wstring& name) {
  std::optional<std::vector<BYTE>> data = Query(key, name, REG_SZ);
  if (!data) return std::nullopt;
  std::wstring text(reinterpret_cast<const WCHAR*>(data->data()), data->size() / sizeof(WCHAR));
  return text.substr(0, text.find(L'\0'));
}

std::optional<DWORD> RegistryProfile::ReadNumber(const std::wstring& key, const std::wstring& name) {
  std::optional<std::vector<BYTE>> data = Query(key, name, REG_DWORD);
  if (!data || data->size() != sizeof(DWORD)) return std::nullopt;
  DWORD number = 0;
  std::memcpy(&number, data->data(), sizeof number);
  return number;
}

bool RegistryProfile::WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  return Set(key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
             static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
}

bool RegistryProfile::WriteNumber(const std::wstring& key, const std::wstring& name, DWORD value) {
  return Set(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}
