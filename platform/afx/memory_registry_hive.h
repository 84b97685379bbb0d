// A registry hive held in memory for the life of the process: what the
// application's profile functions use under HKEY_CURRENT_USER until a
// persistent store is installed there. Paths and names compare without
// regard to case.
#pragma once

#include <map>
#include <mutex>

#include "platform/core/registry.h"

class MemoryRegistryHive : public RegistryHive {
 public:
  std::optional<RegistryKeySnapshot> ReadKey(const std::wstring& path) override;
  LONG CreateKey(const std::wstring& path) override;
  LONG SetValue(const std::wstring& path, const std::wstring& name, const RegistryValue& value) override;

 private:
  struct Key {
    std::wstring name;
    std::vector<std::pair<std::wstring, RegistryValue>> values;
  };
  static std::wstring Fold(const std::wstring& text);

  std::mutex m_lock;
  std::map<std::wstring, Key> m_keys{{L"", Key{}}};  // by folded path; "" is the root
};
