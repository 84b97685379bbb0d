// A COM device table over an empty sysfs of its own, the active table for
// the object's life: the ports a test pins are the only ones there are.
#pragma once

#include <memory>

#include "platform/core/com_device_table.h"
#include "tests/support/fake_sysfs.h"

class TestComDevices {
 public:
  TestComDevices();
  ~TestComDevices();
  TestComDevices(const TestComDevices&) = delete;
  TestComDevices& operator=(const TestComDevices&) = delete;

  ComDeviceTable& Table() { return *m_table; }

 private:
  FakeSysfs m_sysfs;
  std::unique_ptr<ComDeviceTable> m_table;
};
