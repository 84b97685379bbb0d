#include "session/receiver_scan.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fake_active_drivers.h"
#include "platform/core/com_device_table.h"
#include "platform/core/simulated_clock.h"
#include "session/port_list.h"
#include "tests/support/test_com_devices.h"

namespace {

struct Attempt {
  std::wstring port;
  DWORD baud;
  bool operator==(const Attempt&) const = default;
};

// Ports that open when a script says what they deliver at a speed; every
// other open fails. Records the opens, the time each one was listened to
// and how much each read asked for.
class ScriptedPort final : public ScanPort {
 public:
  std::map<std::wstring, std::map<DWORD, std::string>> script;  // port -> speed -> bytes
  std::vector<std::wstring> openable;                           // ports that open without a script
  std::vector<Attempt> tries;
  std::vector<Attempt> opened;
  std::vector<DWORD> listenedMs;
  std::vector<DWORD> wanted;
  bool open = false;

  BOOL Open(LPCWSTR portName, DWORD baudRate, BYTE byteSize, BYTE parity, BYTE stopBits) override {
    EXPECT_FALSE(open) << "the previous port was not closed";
    EXPECT_EQ(byteSize, 8);
    EXPECT_EQ(parity, 0);
    EXPECT_EQ(stopBits, 0);
    tries.push_back({portName, baudRate});
    const bool scripted = script.count(portName) != 0;
    if (!scripted && std::find(openable.begin(), openable.end(), portName) == openable.end()) return FALSE;
    opened.push_back({portName, baudRate});
    openedAt_ = GetTickCount();
    open = true;
    return TRUE;
  }
  BOOL Read(LPVOID buffer, DWORD bytesWanted, LPDWORD bytesRead) override {
    listenedMs.push_back(GetTickCount() - openedAt_);
    wanted.push_back(bytesWanted);
    std::string data;
    const auto port = script.find(opened.back().port);
    if (port != script.end() && port->second.count(opened.back().baud) != 0) data = port->second[opened.back().baud];
    const DWORD n = std::min<DWORD>(bytesWanted, static_cast<DWORD>(data.size()));
    std::memcpy(buffer, data.data(), n);
    *bytesRead = n;
    return TRUE;
  }
  BOOL Close() override {
    open = false;
    return TRUE;
  }

 private:
  DWORD openedAt_ = 0;
};

// The nine labels as the page's list holds them.
ScanPortList NineEntries() {
  auto labels = std::make_shared<std::vector<std::wstring>>();
  for (int n = 0; n < kPortCount; ++n) labels->push_back(PortLabel(PortDeviceName(n)));
  return ScanPortList{[labels] { return static_cast<int>(labels->size()); }, [labels](int n) { return (*labels)[n]; }};
}

const char kGga[] = "$GPGGA,120000.000,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

TEST(ReceiverScanTest, FindsAReceiverAt9600OnTheThirdPortAfterTryingEveryPortAt4800And57600) {
  FakeActiveDrivers table({
      Driver(L"01", L"COM1:", L"Drivers\\BuiltIn\\Serial"),
      Driver(L"02", L"COM2:", L"Drivers\\PCMCIA\\Card"),
      Driver(L"03", L"COM3:", L"Drivers\\USB\\GPS"),
      Driver(L"04", L"COM4:", L"Drivers\\BuiltIn\\IrDA"),
  });
  SimulatedClock clock(1000);
  ScriptedPort port;
  port.openable = {L"COM1:", L"COM2:"};
  port.script[L"COM3:"] = {{4800, std::string(300, '\xF3')}, {9600, kGga}};

  const std::optional<ReceiverFound> found = ScanForReceiver(NineEntries(), port);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->entry, 2);
  EXPECT_EQ(found->baudRate, 9600u);

  // COM4:'s driver is no serial, card or GPS driver: never opened. COM5: to
  // COM9: have no driver entry: tried at every speed (and fail to open).
  std::vector<Attempt> expected;
  for (DWORD speed : {4800u, 57600u}) {
    for (const wchar_t* name : {L"COM1:", L"COM2:", L"COM3:", L"COM5:", L"COM6:", L"COM7:", L"COM8:", L"COM9:"}) {
      expected.push_back({name, speed});
    }
  }
  for (const wchar_t* name : {L"COM1:", L"COM2:", L"COM3:"}) expected.push_back({name, 9600});
  EXPECT_EQ(port.tries, expected);
  EXPECT_EQ(port.opened.size(), 9u);
  EXPECT_FALSE(port.open);
  // Each opened port was listened to for two seconds of (simulated) time and
  // asked for a full buffer.
  EXPECT_EQ(port.listenedMs, std::vector<DWORD>(9, kScanListenMs));
  EXPECT_EQ(port.wanted, std::vector<DWORD>(9, kScanBufferSize));
  EXPECT_EQ(GetTickCount(), 1000u + 9 * kScanListenMs);
}

TEST(ReceiverScanTest, TriesANetworkSourceOnceWithoutASpeed) {
  FakeActiveDrivers table({
      Driver(L"01", L"COM1:", L"Drivers\\BuiltIn\\Serial"),
      Driver(L"02", L"COM2:", L"Drivers\\Network\\Serial\\gpsd"),
      Driver(L"03", L"COM3:", L"Drivers\\Network\\Serial\\tcp"),
  });
  SimulatedClock clock(0);
  ScriptedPort port;
  port.openable = {L"COM1:", L"COM2:"};
  // The TCP peer sends its sentences whatever the speed; the scan does not
  // ask it twice.
  port.script[L"COM3:"] = {{4800, std::string(40, '\xF3')}};
  std::vector<Attempt> heard;
  ScanHooks hooks;
  hooks.trying = [&](const std::wstring& device, DWORD baudRate) { heard.push_back({device, baudRate}); };
  hooks.listen = [](DWORD) { return true; };
  EXPECT_FALSE(ScanForReceiver(NineEntries(), port, ScanTalkers::Any, hooks));
  EXPECT_EQ(std::count_if(heard.begin(), heard.end(), [](const Attempt& a) { return a.port == L"COM2:"; }), 1);
  EXPECT_EQ(std::count_if(heard.begin(), heard.end(), [](const Attempt& a) { return a.port == L"COM1:"; }),
            static_cast<long>(std::size(kScanSpeeds)));
  EXPECT_EQ(heard[1], (Attempt{L"COM2:", 0})) << "told without a speed";
  EXPECT_EQ(heard[2], (Attempt{L"COM3:", 0}));

  port.script[L"COM3:"] = {{4800, kGga}};
  const std::optional<ReceiverFound> found = ScanForReceiver(NineEntries(), port, ScanTalkers::Any, hooks);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->entry, 2);
  EXPECT_EQ(found->baudRate, 0u) << "a network source has no speed to choose";
}

struct SearchCase {
  const char* what;
  std::string data;
  bool found;
};

TEST(ReceiverScanTest, RecognisesNmeaAndSirfSentencesBeforeTheFirstZeroByte) {
  std::string full(kScanBufferSize - 3, 'x');
  full += "$GP";
  std::string fullWithZero = full;
  fullWithZero[100] = '\0';
  const SearchCase cases[] = {
      {"a GGA sentence", kGga, true},
      {"SiRF sentences only", "$PSRF103,00,01,00,01*25\r\n", true},
      {"a talker other than GP", "$GNGGA,1*00\r\n$BDGSV,1*00\r\n", false},
      {"noise", std::string(500, '\x55'), false},
      {"a zero byte before $GP", std::string("junk\0$GPGGA,1*00\r\n", 19), false},
      {"a zero byte before $PS", std::string("\0$PSRF103", 9), false},
      {"$GP cut by the end of the buffer", std::string(kScanBufferSize - 2, 'x') + "$GP", false},
      {"$GP in the last bytes of a full buffer", full, true},
      {"a full buffer with a zero byte", fullWithZero, false},
      {"nothing", "", false},
  };
  SimulatedClock clock;
  for (const SearchCase& c : cases) {
    FakeActiveDrivers table({});
    ScriptedPort port;
    port.script[L"COM1:"] = {{4800, c.data}};
    const ScanPortList one{[] { return 1; }, [](int) { return std::wstring(L"COM1:"); }};
    const std::optional<ReceiverFound> found = ScanForReceiver(one, port);
    EXPECT_EQ(found.has_value(), c.found) << c.what;
    EXPECT_EQ(port.opened.size(), c.found ? 1u : std::size(kScanSpeeds)) << c.what;
  }
}

// With every talker decoded, a receiver that sends only $GN, $GL, $BD ...
// sentences is found too; other sentences of those talkers are not enough.
TEST(ReceiverScanTest, AnyTalkerFindsModernReceiversByTheirPositionAndSatelliteSentences) {
  const SearchCase cases[] = {
      {"GN position", "$GNRMC,013348,A,2411.1630,N*02\r\n", true},
      {"BeiDou satellites", "junk$BDGSV,1,1,00*68\r\n", true},
      {"a GP sentence still counts", "$GPGLL,1*00\r\n", true},
      {"SiRF still counts", "$PSRF103,00*25\r\n", true},
      {"text of a GN talker", "$GNTXT,01,01,02,ANTSTATUS=OK*3B\r\n", false},
      {"lower-case talker", "$gnrmc,1*00\r\n", false},
      {"a head cut by the end of the data", "xx$GNRMC", false},
      {"a head without its comma", "$GNRMC*02\r\n", false},
  };
  for (const SearchCase& c : cases) {
    std::string data = c.data;
    data.push_back('\0');  // room for the terminator
    EXPECT_EQ(HoldsReceiverSentence(data.data(), static_cast<DWORD>(c.data.size()), ScanTalkers::Any), c.found)
        << c.what;
  }
  std::string gn = "$GNGGA,1*00\r\n";
  gn.push_back('\0');
  EXPECT_FALSE(HoldsReceiverSentence(gn.data(), static_cast<DWORD>(gn.size() - 1), ScanTalkers::GpsOnly));
}

TEST(ReceiverScanTest, CountsTheEntriesAgainAfterEveryEntry) {
  FakeActiveDrivers table({});
  SimulatedClock clock;
  ScriptedPort port;
  int asked = 0;
  const ScanPortList shrinking{[&asked] { return ++asked > 3 ? 2 : 9; },
                               [](int n) { return PortDeviceName(n) + L" label"; }};
  EXPECT_FALSE(ScanForReceiver(shrinking, port));
  ASSERT_GE(port.tries.size(), 3u);
  EXPECT_EQ(port.tries[2], (Attempt{L"COM3:", 4800}));
  for (std::size_t i = 3; i < port.tries.size(); ++i) {
    EXPECT_TRUE(port.tries[i].port == L"COM1:" || port.tries[i].port == L"COM2:");
  }

  ScriptedPort none;
  const ScanPortList empty{[] { return 0; }, [](int) { return std::wstring(); }};
  EXPECT_FALSE(ScanForReceiver(empty, none));
  EXPECT_TRUE(none.tries.empty());
}

TEST(ReceiverScanTest, DriverFilterWordsMatchWithLetterCase) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"", true},
      {L"Drivers\\BuiltIn\\Serial", true},
      {L"Drivers\\PCMCIA\\Card", true},
      {L"Drivers\\Virtual\\GPS", true},
      {L"Drivers\\USB\\Serial\\cdc_acm", true},
      {L"Drivers\\BuiltIn\\serial", false},
      {L"Drivers\\pcmcia", false},
      {L"Drivers\\Gps", false},
      {L"Drivers\\BuiltIn\\IrDA", false},
  };
  for (const auto& [key, tried] : cases) EXPECT_EQ(MayHoldReceiver(key), tried) << std::string(key.begin(), key.end());
}

// The scan with its own CSerialCom over a real pseudo-terminal pinned as
// COM2: whose other side stays silent: the port is opened at every speed in
// turn and nothing is found.
TEST(ReceiverScanTest, TriesARealPortAtEverySpeed) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) GTEST_SKIP() << "no pseudo-terminals on this machine";
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string slave = ::ptsname(master);
  TestComDevices devices;
  devices.Table().PinPort(2, slave);

  SimulatedClock clock(0);
  const ScanPortList list = NineEntries();
  EXPECT_EQ(list.text(1).substr(0, 6), L"COM2: ");
  EXPECT_FALSE(ScanForReceiver(list));
  EXPECT_EQ(GetTickCount(), std::size(kScanSpeeds) * kScanListenMs) << "only COM2: opened, at every speed";
  termios line{};
  ASSERT_EQ(::tcgetattr(master, &line), 0);
  EXPECT_EQ(::cfgetispeed(&line), static_cast<speed_t>(B115200)) << "the last speed tried";

  ::close(master);
}

}  // namespace
