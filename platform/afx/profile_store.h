// The store behind the application's profile functions: values by key path
// (below HKEY_CURRENT_USER, e.g. "Software\Tavrin\Zelmora") and value name,
// as strings (REG_SZ) or 32-bit numbers (REG_DWORD). Writing creates the key
// path.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>

#include "platform/core/win_types.h"

class ProfileStore {
 public:
  virtual ~ProfileStore();
  // The value when it exists with that type.
  virtual std::optional<std::wstring> ReadString(const std::wstring& key, const std::wstring& name) = 0;
  virtual std::optional<DWORD> ReadNumber(const std::wstring& key, const std::wstring& name) = 0;
  virtual bool WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value) = 0;
  virtual bool WriteNumber(const std::wstring& key, const std::wstring& name, DWORD value) = 0;
};

// A store that lives as long as the process; key paths compare without
// regard to case, as the registry's do.
class MemoryProfileStore : public ProfileStore {
 public:
  std::optional<std::wstring> ReadString(const std::wstring& key, const std::wstring& name) override;
  std::optional<DWORD> ReadNumber(const std::wstring& key, const std::wstring& name) override;
  bool WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value) override;
  bool WriteNumber(const std::wstring& key, const std::wstring& name, DWORD value) override;

 private:
  using Value = std::variant<std::wstring, DWORD>;
  static std::wstring Fold(const std::wstring& text);
  std::map<std::wstring, std::map<std::wstring, Value>> m_keys;
};

// The store the profile functions use (a process-wide MemoryProfileStore
// unless another is installed).
ProfileStore& CurrentProfileStore();
// Installs a store; nullptr restores the process-wide memory store.
void InstallProfileStore(ProfileStore* store);
