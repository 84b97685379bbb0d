#include "platform/core/com_device_table.h"
#include "platform/core/current_user_hive.h"
#include "platform/core/registry.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cwchar>
#include <map>

#include "tests/support/fake_sysfs.h"

namespace {

class ActiveDrivers : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.UsbDevice("usb1/1-2", "1546", "01a7", "u-blox 7 - GPS/GNSS Receiver", "");
    fs.Device("usb1/1-2/1-2:1.0", "usb", "cdc_acm");
    fs.Tty("ttyACM0", "usb1/1-2/1-2:1.0");
    ComDeviceTable::Sources sources;
    sources.sysfsRoot = fs.Sysfs();
    sources.numberFile = fs.NumberFile();
    sources.probe = [](const std::string&) { return -ENOENT; };
    table = std::make_unique<ComDeviceTable>(sources);
    table->PinSimulator("/dev/pts/5", 1);
    ComDeviceTable::SetActive(table.get());
  }
  void TearDown() override { ComDeviceTable::SetActive(nullptr); }

  // Every entry's three values, read the way the Setup page reads them: a
  // 260-character name buffer, 130-character value buffers.
  std::map<std::wstring, std::wstring> ReadTable() {
    std::map<std::wstring, std::wstring> found;
    HKEY active = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Drivers\\Active", 0, KEY_READ, &active), ERROR_SUCCESS);
    for (DWORD index = 0;; ++index) {
      WCHAR name[260];
      DWORD chars = 260;
      if (RegEnumKeyExW(active, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      EXPECT_EQ(chars, std::wcslen(name));
      HKEY entry = nullptr;
      std::wstring path = std::wstring(L"Drivers\\Active\\") + name;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &entry) != ERROR_SUCCESS) continue;
      WCHAR values[3][130];
      const wchar_t* valueNames[3] = {L"Name", L"Key", L"PnpId"};
      for (int v = 0; v < 3; ++v) {
        DWORD type = 0;
        DWORD bytes = sizeof values[v];
        EXPECT_EQ(RegQueryValueExW(entry, valueNames[v], nullptr, &type, reinterpret_cast<BYTE*>(values[v]), &bytes),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(bytes, (std::wcslen(values[v]) + 1) * sizeof(WCHAR));
      }
      found[values[0]] = std::wstring(values[1]) + L"|" + values[2];
      EXPECT_EQ(RegCloseKey(entry), ERROR_SUCCESS);
    }
    EXPECT_EQ(RegCloseKey(active), ERROR_SUCCESS);
    return found;
  }

  FakeSysfs fs;
  std::unique_ptr<ComDeviceTable> table;
};

TEST_F(ActiveDrivers, ShowsOneEntryPerComDeviceAndFollowsPlugging) {
  EXPECT_EQ(ReadTable(), (std::map<std::wstring, std::wstring>{
                             {L"COM1:", L"Drivers\\Virtual\\GPS|"},
                             {L"COM2:", L"Drivers\\USB\\Serial\\cdc_acm|u-blox 7 - GPS/GNSS Receiver"},
                         }));
  fs.RemoveTty("ttyACM0");
  EXPECT_EQ(ReadTable().size(), 1u) << "an unplugged receiver is gone at the next read";
}

TEST_F(ActiveDrivers, BuffersTooSmallAndMissingKeysAreReported) {
  HKEY active = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"drivers\\active", 0, KEY_READ, &active), ERROR_SUCCESS);
  WCHAR name[2];
  DWORD chars = 2;
  EXPECT_EQ(RegEnumKeyExW(active, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  chars = 2;
  EXPECT_EQ(RegEnumKeyExW(active, 2, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  HKEY entry = nullptr;
  ASSERT_EQ(RegOpenKeyExW(active, L"02", 0, KEY_READ, &entry), ERROR_SUCCESS) << "opens relative to an open key";
  WCHAR small[8];
  DWORD bytes = sizeof small;
  EXPECT_EQ(RegQueryValueExW(entry, L"PnpId", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &bytes),
            ERROR_MORE_DATA);
  EXPECT_EQ(bytes, (std::wcslen(L"u-blox 7 - GPS/GNSS Receiver") + 1) * sizeof(WCHAR));
  EXPECT_EQ(RegQueryValueExW(entry, L"Missing", nullptr, nullptr, nullptr, &bytes), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueExW(entry, L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"COM9:"), 12),
            ERROR_ACCESS_DENIED);
  RegCloseKey(entry);
  RegCloseKey(active);

  HKEY none = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Drivers\\Active\\07", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(active), ERROR_INVALID_HANDLE) << "a closed key stays closed";
}

// A writable hive in memory: what a store for HKEY_CURRENT_USER provides.
class MemoryHive : public RegistryHive {
 public:
  std::optional<RegistryKeySnapshot> ReadKey(const std::wstring& path) override {
    auto it = keys_.find(path);
    if (it == keys_.end()) return std::nullopt;
    return it->second;
  }
  LONG CreateKey(const std::wstring& path) override {
    keys_[path];
    return ERROR_SUCCESS;
  }
  LONG SetValue(const std::wstring& path, const std::wstring& name, const RegistryValue& value) override {
    keys_[path].values.emplace_back(name, value);
    return ERROR_SUCCESS;
  }

 private:
  std::map<std::wstring, RegistryKeySnapshot> keys_{{L"", {}}};
};

TEST(Registry, CurrentUserWorksThroughAnInstalledHive) {
  HKEY key = nullptr;
  CoreSetRegistryHive(HKEY_CURRENT_USER, nullptr);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key), ERROR_INVALID_HANDLE)
      << "no store installed";
  CoreSetRegistryHive(HKEY_CURRENT_USER, std::make_shared<MemoryHive>());
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tavrin\\Zelmora", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  DWORD baud = 4800;
  ASSERT_EQ(RegSetValueExW(key, L"BaudRate", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&baud), sizeof baud),
            ERROR_SUCCESS);
  DWORD read = 0, bytes = sizeof read, type = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"baudrate", nullptr, &type, reinterpret_cast<BYTE*>(&read), &bytes), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(read, 4800u);
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tavrin\\Zelmora", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(key);
  CoreSetRegistryHive(HKEY_CURRENT_USER, std::make_shared<CurrentUserHive>());
}

}  // namespace
