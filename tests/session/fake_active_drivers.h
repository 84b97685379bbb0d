// A table of active drivers of the test's own, installed as
// HKEY_LOCAL_MACHINE while the object lives (the device table's view comes
// back afterwards).
#pragma once

#include <cwctype>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/active_drivers_hive.h"
#include "platform/core/registry.h"

struct FakeDriver {
  std::wstring subKey;
  std::vector<std::pair<std::wstring, RegistryValue>> values;
  bool opens = true;  // false: listed, but opening its key fails
};

// A serial driver entry with the three string values.
inline FakeDriver Driver(std::wstring subKey, std::wstring name, std::wstring key, std::wstring pnpId = L"") {
  return FakeDriver{std::move(subKey),
                    {{L"Name", StringValue(name)}, {L"Key", StringValue(key)}, {L"PnpId", StringValue(pnpId)}}};
}

class FakeActiveDriversHive final : public RegistryHive {
 public:
  explicit FakeActiveDriversHive(std::vector<FakeDriver> drivers) : drivers_(std::move(drivers)) {}

  std::optional<RegistryKeySnapshot> ReadKey(const std::wstring& path) override {
    const std::wstring key = Lower(path);
    if (key.empty()) return RegistryKeySnapshot{{L"Drivers"}, {}};
    if (key == L"drivers") return RegistryKeySnapshot{{L"Active"}, {}};
    const std::wstring active = L"drivers\\active";
    if (key == active) {
      RegistryKeySnapshot snapshot;
      for (const FakeDriver& driver : drivers_) snapshot.subKeys.push_back(driver.subKey);
      return snapshot;
    }
    for (const FakeDriver& driver : drivers_) {
      if (key == active + L"\\" + Lower(driver.subKey) && driver.opens) return RegistryKeySnapshot{{}, driver.values};
    }
    return std::nullopt;
  }

 private:
  static std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
  }

  std::vector<FakeDriver> drivers_;
};

class FakeActiveDrivers {
 public:
  explicit FakeActiveDrivers(std::vector<FakeDriver> drivers) {
    CoreSetRegistryHive(HKEY_LOCAL_MACHINE, std::make_shared<FakeActiveDriversHive>(std::move(drivers)));
  }
  ~FakeActiveDrivers() { CoreSetRegistryHive(HKEY_LOCAL_MACHINE, std::make_shared<ActiveDriversHive>()); }
  FakeActiveDrivers(const FakeActiveDrivers&) = delete;
  FakeActiveDrivers& operator=(const FakeActiveDrivers&) = delete;
};
