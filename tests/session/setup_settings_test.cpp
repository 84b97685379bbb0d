// The Setup page's settings through the profile functions over the user's
// registry file (the default HKEY_CURRENT_USER), in a configuration
// directory of the test's own.
#include "session/setup_settings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/core/clock.h"
#include "platform/core/registry_tree.h"
#include "platform/core/simulated_clock.h"
#include "profile_app.h"
#include "tests/support/config_home.h"
#include "tests/support/without_file_privileges.h"

namespace fs = std::filesystem;

namespace {

class SetupSettingsTest : public testing::Test {
 protected:
  void TearDown() override {
    if (fs::exists(dir_)) fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
  }

  void WriteFile(const std::string& text) {
    fs::create_directories(dir_);
    std::ofstream(file_, std::ios::binary) << text;
  }

  TempConfigHome home_;
  fs::path dir_ = home_.SettingsDir();
  fs::path file_ = home_.RegistryFile();
};

TEST_F(SetupSettingsTest, FirstRunGivesTheDefaultsAndOkWritesThem) {
  ProfileApp app;
  const SetupSettings settings = ReadSetupSettings(app);
  EXPECT_EQ(settings.strPort, L"COM1:");
  EXPECT_EQ(settings.nBaudRate, 4800);
  EXPECT_EQ(settings.nDemoMode, 0);
  // Reading created the key path, as the profile functions do.
  EXPECT_NE(ReadFileText(file_).find("[HKEY_CURRENT_USER\\Software\\Tavrin\\Zelmora]\n"), std::string::npos);

  EXPECT_EQ(WriteSetupSettings(app, L"COM1:", L"4800", settings.nDemoMode), 4800);
  EXPECT_EQ(ReadFileText(file_),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Tavrin]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Tavrin\\Zelmora]\n"
            "\"PortName\"=\"COM1:\"\n"
            "\"BaudRate\"=dword:000012c0\n"
            "\"DemoMode\"=dword:00000000\n\n");
}

struct WriteCase {
  const wchar_t* strPort;
  const wchar_t* strBaudRate;
  const wchar_t* portName;
  int baudRate;
};

TEST_F(SetupSettingsTest, OkStoresTheDeviceNameAndTheSpeedAsANumber) {
  const WriteCase cases[] = {
      {L"COM3: u-blox 7 - GPS/GNSS Receiver", L"9600", L"COM3:", 9600},
      {L"", L"4800", L"", 4800},  // no port selected
      {L"COM2", L"", L"", 0},     // no colon, no speed
      {L"COM4: Serial", L" \t+115200 bps", L"COM4:", 115200},
      {L"COM5:", L"baud", L"COM5:", 0},
      {L"COM6:", L"-5", L"COM6:", -5},
      {L"COM7:", L"99999999999", L"COM7:", 2147483647},
      {L"COM8:", L"-99999999999", L"COM8:", -2147483647 - 1},
  };
  for (const WriteCase& c : cases) {
    ProfileApp app;
    EXPECT_EQ(WriteSetupSettings(app, c.strPort, c.strBaudRate, 0), c.baudRate) << c.strBaudRate;
    ProfileApp nextRun;
    const SetupSettings settings = ReadSetupSettings(nextRun);
    EXPECT_EQ(settings.strPort, c.portName) << c.strPort;
    EXPECT_EQ(settings.nBaudRate, c.baudRate) << c.strBaudRate;
  }
}

TEST_F(SetupSettingsTest, AHandSetDemoModeAndGpsOnlySurviveOk) {
  WriteFile(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Tavrin\\Zelmora]\n"
      "\"PortName\"=\"COM2:\"\n"
      "\"DemoMode\"=dword:00000001\n"
      "\"GpsOnly\"=dword:00000001\n"
      "\"Note\"=\"set by hand\"\n");
  ProfileApp app;
  const SetupSettings settings = ReadSetupSettings(app);
  EXPECT_EQ(settings.strPort, L"COM2:");
  EXPECT_EQ(settings.nBaudRate, 4800);
  ASSERT_EQ(settings.nDemoMode, 1);
  EXPECT_EQ(settings.nGpsOnly, 1);
  WriteSetupSettings(app, L"COM3:", L"9600", settings.nDemoMode);

  const SetupSettings next = ReadSetupSettings(app);
  EXPECT_EQ(next.strPort, L"COM3:");
  EXPECT_EQ(next.nBaudRate, 9600);
  EXPECT_EQ(next.nDemoMode, 1);
  EXPECT_EQ(next.nGpsOnly, 1);
  EXPECT_NE(ReadFileText(file_).find("\"Note\"=\"set by hand\""), std::string::npos);
}

TEST_F(SetupSettingsTest, ACorruptFileIsMovedAsideAndTheDefaultsApply) {
  const std::string broken = "Windows Registry Editor Version 5.00\n\n\"PortName\"=\"COM4:\"\n";
  WriteFile(broken);
  ProfileApp app;
  const SetupSettings settings = ReadSetupSettings(app);
  EXPECT_EQ(settings.strPort, L"COM1:");
  EXPECT_EQ(settings.nBaudRate, 4800);
  int aside = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    if (!entry.path().filename().string().starts_with("registry.reg.corrupt-")) continue;
    ++aside;
    EXPECT_EQ(ReadFileText(entry.path()), broken);
  }
  EXPECT_EQ(aside, 1);
  WriteSetupSettings(app, L"COM2:", L"9600", 0);
  EXPECT_EQ(ReadSetupSettings(app).strPort, L"COM2:");
}

TEST_F(SetupSettingsTest, OneBadLineKeepsEveryGoodValue) {
  const std::string damaged =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Tavrin\\Zelmora]\n"
      "\"PortName\"=\"COM4:\"\n"
      "\"DemoMode\"=1\n"
      "\"BaudRate\"=dword:00002580\n";
  WriteFile(damaged);
  ProfileApp app;
  testing::internal::CaptureStderr();
  const SetupSettings settings = ReadSetupSettings(app);
  const std::string report = testing::internal::GetCapturedStderr();
  EXPECT_EQ(settings.strPort, L"COM4:");
  EXPECT_EQ(settings.nBaudRate, 9600);
  EXPECT_EQ(settings.nDemoMode, 0) << "only the missing value takes its default";
  EXPECT_NE(report.find("line 5"), std::string::npos) << report;

  // The damaged text is kept aside as it was; the file holds the good values
  // and parses again.
  int aside = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    if (!entry.path().filename().string().starts_with("registry.reg.corrupt-")) continue;
    ++aside;
    EXPECT_EQ(ReadFileText(entry.path()), damaged);
  }
  EXPECT_EQ(aside, 1);
  ASSERT_TRUE(RegistryTree::Parse(ReadFileText(file_)));
  ProfileApp nextRun;
  EXPECT_EQ(ReadSetupSettings(nextRun).strPort, L"COM4:");
  EXPECT_EQ(ReadSetupSettings(nextRun).nBaudRate, 9600);
}

TEST_F(SetupSettingsTest, ALockHeldByAnotherProgramDelaysStartAndOkOnlyBriefly) {
  fs::create_directories(dir_);
  // flock locks belong to an open file: a descriptor of the test's own
  // stands for the other program.
  const int holder = ::open((dir_ / "registry.reg.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  SimulatedClock clock(1000);

  ProfileApp app;
  testing::internal::CaptureStderr();
  const DWORD start = GetTickCount();
  const SetupSettings settings = ReadSetupSettings(app);
  const DWORD started = GetTickCount();
  WriteSetupSettings(app, L"COM2:", L"9600", settings.nDemoMode);
  const DWORD saved = GetTickCount();
  const std::string report = testing::internal::GetCapturedStderr();
  ::close(holder);

  EXPECT_LE(started - start, 2000u);
  EXPECT_LE(saved - started, 2000u);
  EXPECT_NE(report.find("registry.reg.lock is held by another program"), std::string::npos) << report;
  ProfileApp nextRun;
  EXPECT_EQ(ReadSetupSettings(nextRun).strPort, L"COM2:") << "OK's values were not dropped";
  EXPECT_EQ(ReadSetupSettings(nextRun).nBaudRate, 9600);
}

TEST_F(SetupSettingsTest, AReadOnlyDirectoryKeepsTheOldSettingsAndReportsFailure) {
  ProfileApp app;
  WriteSetupSettings(app, L"COM2:", L"9600", 0);
  const std::string before = ReadFileText(file_);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  WithoutFilePrivileges user;
  if (::faccessat(AT_FDCWD, dir_.c_str(), W_OK, AT_EACCESS) == 0) {
    GTEST_SKIP() << "this process can write to a read-only directory";
  }
  EXPECT_FALSE(app.WriteProfileString(L"", L"PortName", L"COM3:"));
  EXPECT_FALSE(app.WriteProfileInt(L"", L"BaudRate", 4800));
  WriteSetupSettings(app, L"COM3:", L"4800", 1);
  EXPECT_EQ(ReadFileText(file_), before);
  const SetupSettings settings = ReadSetupSettings(app);
  EXPECT_EQ(settings.strPort, L"COM2:");
  EXPECT_EQ(settings.nBaudRate, 9600);
}

TEST_F(SetupSettingsTest, TwoInstancesClosingOneAfterTheOtherLeaveAValidFile) {
  ProfileApp first;
  ProfileApp second;
  ProfileApp other(L"ZelmoraTest");
  const SetupSettings a = ReadSetupSettings(first);
  const SetupSettings b = ReadSetupSettings(second);
  const SetupSettings c = ReadSetupSettings(other);
  WriteSetupSettings(first, L"COM2: Serial", L"9600", a.nDemoMode);
  WriteSetupSettings(other, L"COM5:", L"38400", c.nDemoMode);
  WriteSetupSettings(second, L"COM3: GPS", L"57600", b.nDemoMode);

  ASSERT_TRUE(RegistryTree::Parse(ReadFileText(file_)));
  ProfileApp nextRun;
  EXPECT_EQ(ReadSetupSettings(nextRun).strPort, L"COM3:");
  EXPECT_EQ(ReadSetupSettings(nextRun).nBaudRate, 57600);
  ProfileApp nextOther(L"ZelmoraTest");
  EXPECT_EQ(ReadSetupSettings(nextOther).strPort, L"COM5:");
  EXPECT_EQ(ReadSetupSettings(nextOther).nBaudRate, 38400);
}

}  // namespace
