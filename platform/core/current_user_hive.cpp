#include "platform/core/current_user_hive.h"

#include <utility>

#include "platform/core/last_error.h"
#include "platform/core/registry_store.h"
#include "platform/core/registry_tree.h"

CurrentUserHive::CurrentUserHive(std::string file) : m_file(std::move(file)) {}

std::string CurrentUserHive::File() const { return m_file.empty() ? RegistryStore::UserFile() : m_file; }

// Maps to a parse of the user's registry file.
std::optional<RegistryKeySnapshot> CurrentUserHive::ReadKey(const std::wstring& path) {
  if (!RegistryTree::IsValidPath(path)) return std::nullopt;
  return RegistryStore(File()).Load().Snapshot(path);
}

// Maps to a locked read-modify-write of the user's registry file.
LONG CurrentUserHive::CreateKey(const std::wstring& path) {
  if (!RegistryTree::IsValidPath(path)) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  const int error = RegistryStore(File()).Update([&path](RegistryTree& tree) { return tree.CreateKey(path); });
  return static_cast<LONG>(ErrorFromErrno(error));
}

// Maps to a locked read-modify-write of the user's registry file.
LONG CurrentUserHive::SetValue(const std::wstring& path, const std::wstring& name, const RegistryValue& value) {
  if (!RegistryTree::IsValidPath(path) || !RegistryTree::IsValidValueName(name)) {
    return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  }
  const int error = RegistryStore(File()).Update([&](RegistryTree& tree) { return tree.SetValue(path, name, value); });
  return static_cast<LONG>(ErrorFromErrno(error));
}
