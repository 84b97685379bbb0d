#include "platform/afx/memory_registry_hive.h"

#include <cwctype>

std::wstring MemoryRegistryHive::Fold(const std::wstring& text) {
  std::wstring folded = text;
  for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return folded;
}

std::optional<RegistryKeySnapshot> MemoryRegistryHive::ReadKey(const std::wstring& path) {
  std::lock_guard lock(m_lock);
  std::wstring folded = Fold(path);
  auto it = m_keys.find(folded);
  if (it == m_keys.end()) return std::nullopt;
  RegistryKeySnapshot snapshot;
  snapshot.values = it->second.values;
  std::wstring prefix = folded.empty() ? L"" : folded + L"\\";
  for (auto child = m_keys.upper_bound(folded); child != m_keys.end(); ++child) {
    const std::wstring& childPath = child->first;
    if (childPath.compare(0, prefix.size(), prefix) != 0) break;
    if (childPath.find(L'\\', prefix.size()) == std::wstring::npos) snapshot.subKeys.push_back(child->second.name);
  }
  return snapshot;
}

LONG MemoryRegistryHive::CreateKey(const std::wstring& path) {
  std::lock_guard lock(m_lock);
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    if (end == start) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    m_keys.try_emplace(Fold(path.substr(0, end)), Key{path.substr(start, end - start), {}});
    start = end + 1;
  }
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG MemoryRegistryHive::SetValue(const std::wstring& path, const std::wstring& name, const RegistryValue& value) {
  std::lock_guard lock(m_lock);
  auto it = m_keys.find(Fold(path));
  if (it == m_keys.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  std::wstring folded = Fold(name);
  for (auto& entry : it->second.values) {
    if (Fold(entry.first) == folded) {
      entry.second = value;
      return static_cast<LONG>(ERROR_SUCCESS);
    }
  }
  it->second.values.emplace_back(name, value);
  return static_cast<LONG>(ERROR_SUCCESS);
}
