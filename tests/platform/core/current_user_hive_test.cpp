// The registry functions on HKEY_CURRENT_USER, served by the user's registry
// file in a configuration directory of the test's own.
#include "platform/core/current_user_hive.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/core/registry.h"
#include "tests/support/config_home.h"

namespace fs = std::filesystem;

namespace {

class CurrentUserRegistryTest : public testing::Test {
 protected:
  std::string FileText() const { return ReadFileText(home_.RegistryFile()); }

  TempConfigHome home_;
};

TEST_F(CurrentUserRegistryTest, KeysAndValuesGoThroughTheFile) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tavrin\\Zelmora", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  const std::wstring port = L"COM3:";
  ASSERT_EQ(RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                           static_cast<DWORD>((port.size() + 1) * sizeof(WCHAR))),
            ERROR_SUCCESS);
  const DWORD baud = 9600;
  ASSERT_EQ(RegSetValueExW(key, L"BaudRate", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&baud), sizeof baud),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, L"Bad\nName", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&baud), sizeof baud),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_NE(FileText().find("\"PortName\"=\"COM3:\"\n\"BaudRate\"=dword:00002580\n"), std::string::npos) << FileText();

  // Another open, with other letter case, sees what was written.
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\tavrin\\zelmora", 0, KEY_READ, &key), ERROR_SUCCESS);
  WCHAR text[6];
  DWORD bytes = sizeof text;
  DWORD type = REG_NONE;
  EXPECT_EQ(RegQueryValueExW(key, L"portname", nullptr, &type, reinterpret_cast<LPBYTE>(text), &bytes), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_STREQ(text, L"COM3:");
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tavrin\\Zelmora", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\A\\\\B", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
}

}  // namespace
