#include "platform/core/com_device_table.h"
#include "platform/core/active_drivers_hive.h"
#include "platform/core/comm.h"
#include "platform/core/diagnostics.h"
#include "platform/core/handle_table.h"
#include "platform/core/simulated_clock.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/support/fake_sysfs.h"
#include "tests/support/in_child.h"

namespace {

// A machine with a built-in UART, a phantom 8250 port, a USB-serial adapter
// and a USB receiver speaking CDC ACM.
class ComDeviceTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.FourPorts();
    fs.Tty("tty0", "");
    fs.Tty("ptmx", "");
  }

  ComDeviceTable::Sources Sources() {
    ComDeviceTable::Sources sources;
    sources.sysfsRoot = fs.Sysfs();
    sources.devRoot = "/dev";
    sources.numberFile = fs.NumberFile();
    sources.probe = [this](const std::string& path) {
      probed.push_back(path);
      auto it = probeAnswers.find(path);
      return it == probeAnswers.end() ? -ENOENT : it->second;
    };
    return sources;
  }

  // "COMn: path key pnp" per entry.
  std::vector<std::string> Listing(ComDeviceTable& table) {
    std::vector<std::string> lines;
    for (const ComDevice& d : table.Devices()) {
      std::wstring line =
          d.name + L" " + std::wstring(d.path.begin(), d.path.end()) + L" " + d.key + L" [" + d.pnpId + L"]";
      lines.emplace_back(line.begin(), line.end());
    }
    return lines;
  }

  FakeSysfs fs;
  std::map<std::string, int> probeAnswers{{"/dev/ttyS0", 4}, {"/dev/ttyS1", 0}};
  std::vector<std::string> probed;
};

TEST_F(ComDeviceTableTest, ListsRealPortsWithDriversAndProductsAndSkipsPhantoms) {
  ComDeviceTable table(Sources());
  EXPECT_EQ(Listing(table), (std::vector<std::string>{
                                "COM1: /dev/ttyS0 Drivers\\BuiltIn\\Serial\\serial []",
                                "COM2: /dev/ttyACM0 Drivers\\USB\\Serial\\cdc_acm [u-blox 7 - GPS/GNSS Receiver]",
                                "COM3: /dev/ttyUSB0 Drivers\\USB\\Serial\\ftdi_sio [FT232R USB UART]",
                            }));
  EXPECT_EQ(probed, (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1"})) << "only ttyS ports are probed";
  EXPECT_EQ(table.PathOf(L"COM3:"), "/dev/ttyUSB0");
  EXPECT_EQ(table.PathOf(L"com2"), "/dev/ttyACM0");
  EXPECT_EQ(table.PathOf(L"COM9:"), "");
  EXPECT_EQ(table.PathOf(L"LPT1:"), "");
}

// ZELMORA_DEBUG's account of the port list: each device's fate once, not on
// every refresh, and an open that fails with the system's reason.
TEST_F(ComDeviceTableTest, TheDebugChannelExplainsEachPortOnceAndAFailedOpen) {
  ComDeviceTable table(Sources());
  ComDeviceTable::SetActive(&table);
  table.PinPort(5, fs.Sysfs() + "/no-such-tty");

  testing::internal::CaptureStderr();
  table.Devices();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "off by default";

  SetDebugEnabled(true);
  testing::internal::CaptureStderr();
  table.Devices();
  table.Devices();
  HANDLE port = CreateFileW(L"COM5:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const std::string said = testing::internal::GetCapturedStderr();
  SetDebugEnabled(false);
  ComDeviceTable::SetActive(nullptr);
  EXPECT_EQ(port, INVALID_HANDLE_VALUE);

  auto count = [&said](const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = said.find(text); at != std::string::npos; at = said.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("/dev/ttyS1 left out: no hardware behind it (its UART type is unknown)"), 1u) << said;
  EXPECT_EQ(count("/dev/ttyACM0 found: Drivers\\USB\\Serial\\cdc_acm \"u-blox 7 - GPS/GNSS Receiver\""), 1u) << said;
  EXPECT_EQ(count("COM2: is /dev/ttyACM0"), 1u) << said;
  EXPECT_EQ(count("no-such-tty) failed: No such file or directory"), 1u) << said;
}

TEST_F(ComDeviceTableTest, PhantomCheckPrefersTheSysfsTypeAndKeepsBusyPorts) {
  struct Case {
    const char* typeAttribute;  // nullptr: none, the probe decides
    int probe;
    bool listed;
  };
  const Case cases[] = {
      {"0", 4, false},        {"4", 0, true},          {nullptr, 0, false},      {nullptr, 4, true},
      {nullptr, -EIO, false}, {nullptr, -EBUSY, true}, {nullptr, -EACCES, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.typeAttribute ? c.typeAttribute : "-") << " " << c.probe);
    fs.RemoveTty("ttyS1");
    fs.Tty("ttyS1", "platform/serial8250/serial8250:0/serial8250:0.1");
    if (c.typeAttribute) fs.Write("class/tty/ttyS1/type", c.typeAttribute);
    probeAnswers["/dev/ttyS1"] = c.probe;
    ComDeviceTable table(Sources());
    bool listed = false;
    for (const ComDevice& d : table.Devices()) listed = listed || d.path == "/dev/ttyS1";
    EXPECT_EQ(listed, c.listed);
    if (listed) {
      EXPECT_EQ(table.Devices().size(), 4u);
    }
  }
}

TEST_F(ComDeviceTableTest, NumbersStayWithTheirDevicesAcrossRunsAndAbsences) {
  ComDeviceTable(Sources()).Devices();

  fs.RemoveTty("ttyACM0");
  fs.UsbDevice("pci0000:00/usb1/1-3", "0403", "6001", "FT232R USB UART", "B7777777");
  fs.Device("pci0000:00/usb1/1-3/1-3:1.0/ttyUSB1", "usb-serial", "ftdi_sio");
  fs.Tty("ttyUSB1", "pci0000:00/usb1/1-3/1-3:1.0/ttyUSB1");
  ComDeviceTable secondRun(Sources());
  std::map<std::string, std::wstring> names;
  for (const ComDevice& d : secondRun.Devices()) names[d.path] = d.name;
  EXPECT_EQ(names, (std::map<std::string, std::wstring>{
                       {"/dev/ttyS0", L"COM1:"}, {"/dev/ttyUSB0", L"COM3:"}, {"/dev/ttyUSB1", L"COM4:"}}))
      << "COM2: stays reserved for the receiver that is away";

  fs.Tty("ttyACM0", "pci0000:00/usb1/1-2/1-2:1.0");
  names.clear();
  for (const ComDevice& d : ComDeviceTable(Sources()).Devices()) names[d.path] = d.name;
  EXPECT_EQ(names["/dev/ttyACM0"], L"COM2:");
  EXPECT_EQ(names["/dev/ttyUSB1"], L"COM4:");
}

// A pass over the registry view (the list, then each entry) reads sysfs once;
// the next pass, or an entry read later on its own, sees what was plugged in.
TEST_F(ComDeviceTableTest, TheRegistryViewReadsTheTableOncePerPass) {
  SimulatedClock clock;
  ComDeviceTable table(Sources());
  ComDeviceTable::SetActive(&table);
  ActiveDriversHive hive;
  std::optional<RegistryKeySnapshot> list = hive.ReadKey(L"Drivers\\Active");
  ASSERT_TRUE(list.has_value());
  EXPECT_EQ(list->subKeys, (std::vector<std::wstring>{L"01", L"02", L"03"}));
  const std::size_t probesPerReading = probed.size();
  EXPECT_GT(probesPerReading, 0u);

  fs.UsbDevice("pci0000:00/usb1/1-3", "0403", "6001", "FT232R USB UART", "B7777777");
  fs.Device("pci0000:00/usb1/1-3/1-3:1.0/ttyUSB1", "usb-serial", "ftdi_sio");
  fs.Tty("ttyUSB1", "pci0000:00/usb1/1-3/1-3:1.0/ttyUSB1");
  for (const std::wstring& entry : list->subKeys) EXPECT_TRUE(hive.ReadKey(L"Drivers\\Active\\" + entry)) << entry;
  EXPECT_FALSE(hive.ReadKey(L"Drivers\\Active\\04")) << "one pass, one table";
  EXPECT_EQ(probed.size(), probesPerReading);

  list = hive.ReadKey(L"Drivers\\Active");
  ASSERT_TRUE(list.has_value());
  EXPECT_EQ(list->subKeys.size(), 4u);
  EXPECT_EQ(probed.size(), 2 * probesPerReading);

  fs.RemoveTty("ttyUSB1");
  Sleep(3000);
  EXPECT_FALSE(hive.ReadKey(L"Drivers\\Active\\04")) << "an entry read on its own is read afresh";
  ComDeviceTable::SetActive(nullptr);
}

TEST_F(ComDeviceTableTest, PinsComeFirstAndShadowSysfsNumbersForTheTimeBeing) {
  ComDeviceTable(Sources()).Devices();
  ComDeviceTable table(Sources());
  table.PinPort(2, "/dev/pts/7");
  table.PinSimulator("/dev/pts/9", 2);
  table.PinSimulator("/dev/pts/8", 5);
  table.PinPort(6, "/dev/ttyUSB0");
  EXPECT_EQ(Listing(table), (std::vector<std::string>{
                                "COM1: /dev/ttyS0 Drivers\\BuiltIn\\Serial\\serial []",
                                "COM2: /dev/pts/7 Drivers\\Pinned\\Serial\\/dev/pts/7 []",
                                "COM4: /dev/ttyACM0 Drivers\\USB\\Serial\\cdc_acm [u-blox 7 - GPS/GNSS Receiver]",
                                "COM5: /dev/pts/8 Drivers\\Virtual\\GPS []",
                                "COM6: /dev/ttyUSB0 Drivers\\USB\\Serial\\ftdi_sio [FT232R USB UART]",
                            }));
  EXPECT_EQ(table.PathOf(L"COM5:"), "/dev/pts/8") << "the simulator moved; only its latest pin holds";

  std::map<std::string, std::wstring> names;
  for (const ComDevice& d : ComDeviceTable(Sources()).Devices()) names[d.path] = d.name;
  EXPECT_EQ(names["/dev/ttyACM0"], L"COM2:") << "unpinned, the receiver has its own number back";
}

TEST_F(ComDeviceTableTest, NumberFileIsReadableAndRewrittenOnlyForNewDevices) {
  ComDeviceTable table(Sources());
  table.Devices();
  std::ifstream in(fs.NumberFile());
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(),
            "COM1:=tty:ttyS0\n"
            "COM2:=usb:1546:01a7@1-2:1.0\n"
            "COM3:=usb:0403:6001:A50285BI:1.0\n");
  auto before = std::filesystem::last_write_time(fs.NumberFile());
  std::filesystem::last_write_time(fs.NumberFile(), before - std::chrono::hours(1));
  table.Devices();
  EXPECT_EQ(std::filesystem::last_write_time(fs.NumberFile()), before - std::chrono::hours(1));
}

TEST_F(ComDeviceTableTest, NumberFileEditedInPlaceIsReadAgainAndKeepsItsModeWhenRewritten) {
  ComDeviceTable table(Sources());
  table.Devices();
  std::filesystem::permissions(fs.NumberFile(),
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  // The same size, the same inode, at once: only the content tells.
  {
    std::fstream out(fs.NumberFile(), std::ios::in | std::ios::out);
    out << "COM5:=tty:ttyS0\n";
  }
  std::map<std::string, std::wstring> names;
  for (const ComDevice& d : table.Devices()) names[d.path] = d.name;
  EXPECT_EQ(names["/dev/ttyS0"], L"COM5:");

  // A new device rewrites the file, which keeps the mode the user gave it.
  fs.UsbDevice("pci0000:00/usb1/1-3", "0403", "6001", "FT232R USB UART", "B7777777");
  fs.Device("pci0000:00/usb1/1-3/1-3:1.0/ttyUSB1", "usb-serial", "ftdi_sio");
  fs.Tty("ttyUSB1", "pci0000:00/usb1/1-3/1-3:1.0/ttyUSB1");
  table.Devices();
  std::ifstream in(fs.NumberFile());
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("B7777777"), std::string::npos) << text.str();
  EXPECT_EQ(std::filesystem::status(fs.NumberFile()).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(ComDeviceTableTest, ANumberFileThatIsNoRegularFileIsNeitherReadNorReplaced) {
  std::filesystem::create_directories(std::filesystem::path(fs.NumberFile()).parent_path());
  for (const bool fifo : {true, false}) {
    std::filesystem::remove(fs.NumberFile());
    if (fifo) {
      ASSERT_EQ(::mkfifo(fs.NumberFile().c_str(), 0600), 0);
    } else {
      std::filesystem::create_symlink("/dev/zero", fs.NumberFile());
    }
    ComDeviceTable table(Sources());
    EXPECT_EQ(ExitCodeInChild([&] { return Listing(table).size() == 3 ? 0 : 1; }), 0) << fifo;
    EXPECT_EQ(std::filesystem::symlink_status(fs.NumberFile()).type(),
              fifo ? std::filesystem::file_type::fifo : std::filesystem::file_type::symlink);
  }
}

// The table has COM1: to COM9: only: a remembered COM12: is a line that does
// not parse, skipped as any such line; a tenth device is left out rather
// than numbered and remembered as COM10:.
TEST_F(ComDeviceTableTest, NumbersStayFromOneToNine) {
  std::filesystem::create_directories(std::filesystem::path(fs.NumberFile()).parent_path());
  std::ofstream(fs.NumberFile()) << "COM12:=tty:ttyS0\nCOM2:=usb:0403:6001:A50285BI:1.0\n";
  for (int i = 1; i <= 7; ++i) {
    const std::string usb = "pci0000:00/usb2/2-" + std::to_string(i);
    fs.UsbDevice(usb, "0403", "6001", "FT232R USB UART", "S" + std::to_string(i));
    fs.Device(usb + "/2-" + std::to_string(i) + ":1.0/ttyUSB" + std::to_string(i), "usb-serial", "ftdi_sio");
    fs.Tty("ttyUSB" + std::to_string(i), usb + "/2-" + std::to_string(i) + ":1.0/ttyUSB" + std::to_string(i));
  }
  ComDeviceTable table(Sources());
  std::vector<unsigned> numbers;
  std::map<std::string, unsigned> byPath;
  for (const ComDevice& d : table.Devices()) {
    numbers.push_back(d.number);
    byPath[d.path] = d.number;
  }
  EXPECT_EQ(numbers, (std::vector<unsigned>{1, 2, 3, 4, 5, 6, 7, 8, 9})) << "ten devices, nine numbers";
  EXPECT_EQ(byPath["/dev/ttyUSB0"], 2u) << "a good line still counts";
  EXPECT_EQ(byPath.count("/dev/ttyS0"), 1u);
  EXPECT_FALSE(table.PinPort(10, "/dev/pts/7"));
  std::ifstream in(fs.NumberFile());
  std::size_t lines = 0;
  for (std::string line; std::getline(in, line); ++lines) {
    EXPECT_TRUE(line.starts_with("COM") && line.size() > 5 && line[3] >= '1' && line[3] <= '9' && line[4] == ':')
        << line;
  }
  EXPECT_EQ(lines, 9u);
}

// COM1: to COM9:, the numbers the Setup page lists, and no others.
TEST(ComName, ParsesDeviceNames) {
  EXPECT_EQ(ParseComName(L"COM1:"), 1u);
  EXPECT_EQ(ParseComName(L"com7"), 7u);
  EXPECT_EQ(ParseComName(L"COM9:"), 9u);
  for (const wchar_t* bad : {L"COM0:", L"COM10:", L"com12", L"COM255:", L"COM256:", L"COM:", L"COM1x:", L"LPT1:",
                             L"COM", L"", L"COM99999999999:"}) {
    EXPECT_EQ(ParseComName(bad), 0u) << std::wstring(bad).size();
  }
}

}  // namespace
