#include "platform/core/registry.h"

#include "platform/core/active_drivers_hive.h"
#include "platform/core/current_user_hive.h"
#include "platform/core/handle_table.h"
#include "platform/core/last_error.h"

#include <cstring>
#include <cwctype>
#include <map>
#include <mutex>

namespace {

// An open key: its hive, its path in the hive and what it showed when opened.
class RegistryKey final : public KernelObject {
 public:
  RegistryKey(std::shared_ptr<RegistryHive> hive, std::wstring path, RegistryKeySnapshot snapshot)
      : KernelObject(HandleType::RegistryKey),
        hive(std::move(hive)),
        path(std::move(path)),
        snapshot(std::move(snapshot)) {}
  std::shared_ptr<RegistryHive> hive;
  std::wstring path;
  std::mutex lock;
  RegistryKeySnapshot snapshot;
};

struct Roots {
  std::mutex lock;
  std::map<HKEY, std::shared_ptr<RegistryHive>> hives{{HKEY_LOCAL_MACHINE, std::make_shared<ActiveDriversHive>()},
                                                      {HKEY_CURRENT_USER, std::make_shared<CurrentUserHive>()}};
};

Roots& TheRoots() {
  static auto* roots = new Roots;
  return *roots;
}

bool IsPredefined(HKEY key) { return key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE; }

bool SameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

// The hive and path that `key` + `subKey` name; false when `key` is neither
// a root with a hive nor an open key.
bool Resolve(HKEY key, LPCWSTR subKey, std::shared_ptr<RegistryHive>* hive, std::wstring* path) {
  std::wstring base;
  if (IsPredefined(key)) {
    Roots& roots = TheRoots();
    std::lock_guard lock(roots.lock);
    auto it = roots.hives.find(key);
    if (it == roots.hives.end() || !it->second) return false;
    *hive = it->second;
  } else {
    auto open = CoreLookup<RegistryKey>(reinterpret_cast<HANDLE>(key), HandleType::RegistryKey);
    if (!open) return false;
    *hive = open->hive;
    base = open->path;
  }
  std::wstring relative = subKey != nullptr ? subKey : L"";
  while (!relative.empty() && relative.front() == L'\\') relative.erase(0, 1);
  while (!relative.empty() && relative.back() == L'\\') relative.pop_back();
  *path = base.empty() ? relative : relative.empty() ? base : base + L"\\" + relative;
  return true;
}

std::shared_ptr<RegistryKey> LookupKey(HKEY key) {
  return CoreLookup<RegistryKey>(reinterpret_cast<HANDLE>(key), HandleType::RegistryKey);
}

LONG OpenPath(std::shared_ptr<RegistryHive> hive, const std::wstring& path, PHKEY result) {
  std::optional<RegistryKeySnapshot> snapshot = hive->ReadKey(path);
  if (!snapshot) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  auto open = std::make_shared<RegistryKey>(std::move(hive), path, std::move(*snapshot));
  *result = reinterpret_cast<HKEY>(CoreAddHandle(std::move(open)));
  return ERROR_SUCCESS;
}

}  // namespace

RegistryHive::~RegistryHive() = default;
LONG RegistryHive::CreateKey(const std::wstring&) { return static_cast<LONG>(ERROR_ACCESS_DENIED); }
LONG RegistryHive::SetValue(const std::wstring&, const std::wstring&, const RegistryValue&) {
  return static_cast<LONG>(ERROR_ACCESS_DENIED);
}

RegistryValue StringValue(const std::wstring& text) {
  RegistryValue value{REG_SZ, std::vector<BYTE>((text.size() + 1) * sizeof(WCHAR))};
  std::memcpy(value.data.data(), text.c_str(), value.data.size());
  return value;
}

void CoreSetRegistryHive(HKEY root, std::shared_ptr<RegistryHive> hive) {
  Roots& roots = TheRoots();
  std::lock_guard lock(roots.lock);
  roots.hives[root] = std::move(hive);
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (result == nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  *result = nullptr;
  std::shared_ptr<RegistryHive> hive;
  std::wstring path;
  if (!Resolve(key, subKey, &hive, &path)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  return OpenPath(std::move(hive), path, result);
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR className,
                   LPDWORD classChars, PFILETIME lastWriteTime) {
  if (name == nullptr || nameChars == nullptr || reserved != nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  auto open = LookupKey(key);
  if (!open) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  std::lock_guard lock(open->lock);
  const auto& subKeys = open->snapshot.subKeys;
  if (index >= subKeys.size()) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
  const std::wstring& subKey = subKeys[index];
  if (subKey.size() + 1 > *nameChars) return static_cast<LONG>(ERROR_MORE_DATA);
  std::wmemcpy(name, subKey.c_str(), subKey.size() + 1);
  *nameChars = static_cast<DWORD>(subKey.size());
  // Keys have no class and no recorded write time here.
  if (className != nullptr && classChars != nullptr && *classChars > 0) className[0] = L'\0';
  if (classChars != nullptr) *classChars = 0;
  if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataBytes) {
  if (reserved != nullptr || (data != nullptr && dataBytes == nullptr))
    return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  auto open = LookupKey(key);
  if (!open) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  std::wstring wanted = valueName != nullptr ? valueName : L"";
  std::lock_guard lock(open->lock);
  for (const auto& [name, value] : open->snapshot.values) {
    if (!SameName(name, wanted)) continue;
    if (type != nullptr) *type = value.type;
    if (dataBytes == nullptr) return ERROR_SUCCESS;
    DWORD size = static_cast<DWORD>(value.data.size());
    if (data != nullptr && *dataBytes < size) {
      *dataBytes = size;
      return static_cast<LONG>(ERROR_MORE_DATA);
    }
    if (data != nullptr) std::memcpy(data, value.data.data(), size);
    *dataBytes = size;
    return ERROR_SUCCESS;
  }
  return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
}

LONG RegCloseKey(HKEY key) {
  if (IsPredefined(key)) return ERROR_SUCCESS;
  if (!LookupKey(key)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  CloseHandle(reinterpret_cast<HANDLE>(key));
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options, REGSAM,
                     LPSECURITY_ATTRIBUTES securityAttributes, PHKEY result, LPDWORD disposition) {
  if (reserved != 0 || className != nullptr || options != REG_OPTION_NON_VOLATILE || securityAttributes != nullptr ||
      result == nullptr) {
    return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  }
  *result = nullptr;
  std::shared_ptr<RegistryHive> hive;
  std::wstring path;
  if (!Resolve(key, subKey, &hive, &path)) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  bool existed = hive->ReadKey(path).has_value();
  if (!existed) {
    LONG created = hive->CreateKey(path);
    if (created != ERROR_SUCCESS) return created;
  }
  if (disposition != nullptr) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  return OpenPath(std::move(hive), path, result);
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataBytes) {
  if (reserved != 0 || (data == nullptr && dataBytes != 0)) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  auto open = LookupKey(key);
  if (!open) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  RegistryValue value{type, std::vector<BYTE>(data, data + dataBytes)};
  LONG result = open->hive->SetValue(open->path, valueName != nullptr ? valueName : L"", value);
  if (result != ERROR_SUCCESS) return result;
  if (std::optional<RegistryKeySnapshot> fresh = open->hive->ReadKey(open->path)) {
    std::lock_guard lock(open->lock);
    open->snapshot = std::move(*fresh);
  }
  return ERROR_SUCCESS;
}
