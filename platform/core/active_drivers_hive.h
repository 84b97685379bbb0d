// HKEY_LOCAL_MACHINE as the program sees it: the read-only table of active
// drivers, "Drivers\Active", with one sub-key per entry of the COM device
// table (named after its COM number, "03" for COM3:) holding the string
// values "Name" ("COM3:"), "Key" (the driver's path) and "PnpId" (the USB
// product string, or empty). A read of "Drivers\Active" asks the device table
// afresh (sysfs included); the entries' keys read right after it (within a
// second) come from that same reading, so a pass over the table reads sysfs
// once and sees one consistent table.
#pragma once

#include "platform/core/com_device_table.h"
#include "platform/core/registry_hive.h"

#include <mutex>

class ActiveDriversHive final : public RegistryHive {
 public:
  std::optional<RegistryKeySnapshot> ReadKey(const std::wstring& path) override;

 private:
  std::vector<ComDevice> Devices(bool afresh);

  std::mutex m_lock;
  std::vector<ComDevice> m_devices;
  bool m_read = false;
  DWORD m_readAt = 0;  // tick count of the last reading
};
