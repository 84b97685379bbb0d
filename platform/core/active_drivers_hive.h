// HKEY_LOCAL_MACHINE as the program sees it: the read-only table of active
// drivers, "Drivers\Active", with one sub-key per entry of the COM device
// table (named after its COM number, "03" for COM3:) holding the string
// values "Name" ("COM3:"), "Key" (the driver's path) and "PnpId" (the USB
// product string, or empty). Every read asks the device table afresh.
#pragma once

#include "platform/core/registry_hive.h"

class ActiveDriversHive final : public RegistryHive {
 public:
  std::optional<RegistryKeySnapshot> ReadKey(const std::wstring& path) override;
};
