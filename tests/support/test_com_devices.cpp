#include "tests/support/test_com_devices.h"

TestComDevices::TestComDevices() {
  ComDeviceTable::Sources sources;
  sources.sysfsRoot = m_sysfs.Sysfs();
  sources.numberFile = m_sysfs.NumberFile();
  m_table = std::make_unique<ComDeviceTable>(sources);
  ComDeviceTable::SetActive(m_table.get());
}

TestComDevices::~TestComDevices() { ComDeviceTable::SetActive(nullptr); }
