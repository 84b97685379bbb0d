// HKEY_CURRENT_USER as the registry functions see it: the user's registry
// file (registry_store.h). Every call reads the file afresh and every change
// is written through at once, so what one running instance writes, the next
// one (or the same one) reads back, and nothing is lost when the process
// ends without warning.
#pragma once

#include <string>

#include "platform/core/registry_hive.h"

class CurrentUserHive final : public RegistryHive {
 public:
  // The current user's file, looked up again on every call (so it follows
  // XDG_CONFIG_HOME).
  CurrentUserHive() = default;
  // A given file.
  explicit CurrentUserHive(std::string file);

  std::optional<RegistryKeySnapshot> ReadKey(const std::wstring& path) override;
  // ERROR_INVALID_PARAMETER for an empty or over-long key name or a value
  // name with a control character; otherwise the write's error, mapped from
  // errno (ERROR_ACCESS_DENIED for a read-only directory ...).
  LONG CreateKey(const std::wstring& path) override;
  LONG SetValue(const std::wstring& path, const std::wstring& name, const RegistryValue& value) override;

 private:
  std::string File() const;

  std::string m_file;
};
