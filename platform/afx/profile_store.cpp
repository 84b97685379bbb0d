#include "platform/afx/profile_store.h"

#include <cwctype>

ProfileStore::~ProfileStore() = default;

std::wstring MemoryProfileStore::Fold(const std::wstring& text) {
  std::wstring folded = text;
  for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return folded;
}

std::optional<std::wstring> MemoryProfileStore::ReadString(const std::wstring& key, const std::wstring& name) {
  auto k = m_keys.find(Fold(key));
  if (k == m_keys.end()) return std::nullopt;
  auto v = k->second.find(Fold(name));
  if (v == k->second.end() || !std::holds_alternative<std::wstring>(v->second)) return std::nullopt;
  return std::get<std::wstring>(v->second);
}

std::optional<DWORD> MemoryProfileStore::ReadNumber(const std::wstring& key, const std::wstring& name) {
  auto k = m_keys.find(Fold(key));
  if (k == m_keys.end()) return std::nullopt;
  auto v = k->second.find(Fold(name));
  if (v == k->second.end() || !std::holds_alternative<DWORD>(v->second)) return std::nullopt;
  return std::get<DWORD>(v->second);
}

bool MemoryProfileStore::WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  m_keys[Fold(key)][Fold(name)] = value;
  return true;
}

bool MemoryProfileStore::WriteNumber(const std::wstring& key, const std::wstring& name, DWORD value) {
  m_keys[Fold(key)][Fold(name)] = value;
  return true;
}

namespace {

ProfileStore*& InstalledStore() {
  static ProfileStore* store = nullptr;
  return store;
}

}  // namespace

ProfileStore& CurrentProfileStore() {
  static MemoryProfileStore memory;
  ProfileStore* installed = InstalledStore();
  return installed != nullptr ? *installed : memory;
}

void InstallProfileStore(ProfileStore* store) { InstalledStore() = store; }
