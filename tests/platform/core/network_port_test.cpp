// Network sources as ports: what the addresses read as and how the Setup
// page will name them, that the bytes of a TCP peer, of UDP datagrams and of
// gpsd's raw stream arrive unchanged, and what an open meets when the other
// end refuses, does not exist, does not answer, hangs up or floods.
#include "platform/core/network_port.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/core/com_device_table.h"
#include "platform/core/port_options.h"
#include "tests/support/loopback_peers.h"

namespace {

using namespace std::chrono_literals;

// Reads the port until the peer has closed it (or 20 s have passed): what
// came, and the last error of the read that ended it.
std::string ReadToEnd(CommPort& port, DWORD* endError) {
  std::string bytes;
  char buffer[1024];
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (std::chrono::steady_clock::now() < deadline) {
    DWORD got = 0;
    if (!port.Read(buffer, sizeof buffer, &got)) {
      *endError = GetLastError();
      return bytes;
    }
    bytes.append(buffer, got);
    if (got == 0) std::this_thread::sleep_for(5ms);
  }
  *endError = ERROR_SUCCESS;
  return bytes;
}

std::unique_ptr<CommPort> OpenUrl(const std::string& url) {
  const std::optional<NetworkSource> source = ParseNetworkSource(url);
  EXPECT_TRUE(source) << url;
  if (!source) return nullptr;
  std::unique_ptr<CommPort> port = NetworkPort::Open(*source, GENERIC_READ | GENERIC_WRITE);
  if (port) {
    COMMTIMEOUTS immediate{MAXDWORD, 0, 0, 10, 1000};
    port->SetTimeouts(immediate);
  }
  return port;
}

std::string Url(const char* scheme, unsigned port, const std::string& rest = "") {
  return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + rest;
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return 0;
}

TEST(NetworkSource, ReadsTheThreeSchemesAndNamesThemAsTheSetupPageShowsThem) {
  struct Case {
    const char* text;
    const wchar_t* description;
  };
  const Case good[] = {
      {"tcp://192.168.1.20:10110", L"tcp 192.168.1.20:10110"},
      {"TCP://phone.local:10110", L"tcp phone.local:10110"},
      {"udp://:10110", L"udp 127.0.0.1:10110"},
      {"udp://0.0.0.0:10110", L"udp 0.0.0.0:10110"},
      {"tcp://[::1]:2000", L"tcp [::1]:2000"},
      {"gpsd://localhost", L"gpsd localhost"},
      {"gpsd://localhost/dev/ttyACM0", L"gpsd localhost /dev/ttyACM0"},
      {"gpsd://boat:2948/dev/ttyUSB1", L"gpsd boat:2948 /dev/ttyUSB1"},
  };
  for (const Case& c : good) {
    const std::optional<NetworkSource> source = ParseNetworkSource(c.text);
    ASSERT_TRUE(source) << c.text;
    EXPECT_EQ(NetworkSourceDescription(*source), c.description) << c.text;
    EXPECT_TRUE(IsNetworkDriverKey(NetworkDriverKey(*source)));
  }
  EXPECT_EQ(ParseNetworkSource("gpsd://localhost/dev/ttyACM0")->device, "/dev/ttyACM0");
  EXPECT_EQ(ParseNetworkSource("gpsd://localhost")->port, kGpsdDefaultPort);

  for (const char* bad : {"tcp://host", "tcp://:10110", "tcp://host:0", "tcp://host:65536", "tcp://host:10x",
                          "udp://::1:5000", "tcp://[::1:5000", "gpsd://host/", "gpsd://:2947", "/dev/ttyUSB0"}) {
    std::string why;
    EXPECT_FALSE(ParseNetworkSource(bad, &why)) << bad;
    EXPECT_FALSE(why.empty()) << bad;
  }
  EXPECT_FALSE(IsNetworkDriverKey(L"Drivers\\USB\\Serial\\cdc_acm"));
}

TEST(NetworkSource, ComesFromTheCommandLineAndTheComPortsFileAndOpensThroughCreateFile) {
  PortOptions options;
  std::string error;
  EXPECT_FALSE(ReadPortPin("COM3:=tcp://host", options, &error));
  EXPECT_NE(error.find("no :PORT"), std::string::npos) << error;

  const std::string log = TestLog("mtk-3301.log");
  TcpPeer peer([&](int fd, const std::atomic<bool>&) { SendAll(fd, log); });
  ASSERT_TRUE(ReadPortPin("COM3:=" + Url("tcp", peer.Port()), options, &error)) << error;

  const auto dir = std::filesystem::temp_directory_path() / ("zelmora-net-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "sys" / "class" / "tty");
  std::ofstream(dir / "com-ports") << "COM5:=gpsd://localhost/dev/ttyACM0\nCOM6:=tcp://nowhere\n";
  ComDeviceTable::Sources sources;
  sources.sysfsRoot = (dir / "sys").string();
  sources.numberFile = (dir / "com-ports").string();
  ComDeviceTable table(sources);
  ComDeviceTable::SetActive(&table);
  ASSERT_TRUE(ApplyPortOptions(options, {}, &error)) << error;

  const std::vector<ComDevice> devices = table.Devices();
  ASSERT_EQ(devices.size(), 2u);  // the malformed line is left out
  EXPECT_EQ(devices[0].name, L"COM3:");
  EXPECT_EQ(devices[0].key, L"Drivers\\Network\\Serial\\tcp");
  EXPECT_EQ(devices[0].pnpId, L"tcp 127.0.0.1:" + std::to_wstring(peer.Port()));
  EXPECT_EQ(devices[1].name, L"COM5:");
  EXPECT_EQ(devices[1].pnpId, L"gpsd localhost /dev/ttyACM0");

  HANDLE port = CreateFileW(L"COM3:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError();
  COMMTIMEOUTS immediate{MAXDWORD, 0, 0, 0, 0};
  SetCommTimeouts(port, &immediate);
  // The speed does not apply: any is accepted, and the port says it has none.
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  dcb.BaudRate = 115200;
  EXPECT_TRUE(SetCommState(port, &dcb));
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.BaudRate, 0u);
  std::string got;
  char buffer[512];
  for (auto deadline = std::chrono::steady_clock::now() + 20s;
       got.size() < log.size() && std::chrono::steady_clock::now() < deadline;) {
    DWORD n = 0;
    if (!ReadFile(port, buffer, sizeof buffer, &n, nullptr)) break;
    got.append(buffer, n);
  }
  EXPECT_EQ(got, log);
  CloseHandle(port);
  ComDeviceTable::SetActive(nullptr);
  std::filesystem::remove_all(dir);
}

TEST(NetworkPort, ATcpPeersBytesArriveUnchangedAndItsWritesReachIt) {
  const std::string log = TestLog("ublox-8.log");
  std::string written;
  {
    TcpPeer peer([&](int fd, const std::atomic<bool>& stop) {
      written = ReceiveLine(fd, stop);
      SendAll(fd, log);
    });
    std::unique_ptr<CommPort> port = OpenUrl(Url("tcp", peer.Port()));
    ASSERT_TRUE(port);
    DWORD n = 0;
    ASSERT_TRUE(port->Write("$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n", 42, &n));
    EXPECT_EQ(n, 42u);
    DWORD end = 0;
    EXPECT_EQ(ReadToEnd(*port, &end), log);
    // The peer hung up: the port says the device has gone, as a pulled adapter's does.
    EXPECT_EQ(end, ERROR_DEVICE_NOT_CONNECTED);
  }
  EXPECT_EQ(written, "$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r");
}

TEST(NetworkPort, APeerClosingMidSentenceGivesWhatCameThenTheEnd) {
  TcpPeer peer([](int fd, const std::atomic<bool>&) { SendAll(fd, "$GPGGA,123519,4807.038,N,011"); });
  std::unique_ptr<CommPort> port = OpenUrl(Url("tcp", peer.Port()));
  ASSERT_TRUE(port);
  DWORD end = 0;
  EXPECT_EQ(ReadToEnd(*port, &end), "$GPGGA,123519,4807.038,N,011");
  EXPECT_EQ(end, ERROR_DEVICE_NOT_CONNECTED);
  DWORD n = 0;
  char c;
  EXPECT_FALSE(port->Read(&c, 1, &n));
}

TEST(NetworkPort, UdpDatagramsArriveWholeAndInOrderAndTheSourceIsReadOnly) {
  const std::string log = TestLog("mtk-3301.log");
  const unsigned udpPort = FreeUdpPort();
  std::unique_ptr<CommPort> port = OpenUrl("udp://:" + std::to_string(udpPort));
  ASSERT_TRUE(port);
  // Datagrams larger than one read: what a read leaves is kept for the next.
  SendDatagrams(udpPort, log, 1400);
  std::string got;
  char buffer[100];
  for (auto deadline = std::chrono::steady_clock::now() + 20s;
       got.size() < log.size() && std::chrono::steady_clock::now() < deadline;) {
    DWORD n = 0;
    ASSERT_TRUE(port->Read(buffer, sizeof buffer, &n));
    got.append(buffer, n);
  }
  EXPECT_EQ(got, log);
  DWORD n = 0;
  EXPECT_FALSE(port->Write("x", 1, &n));
  EXPECT_EQ(GetLastError(), ERROR_WRITE_PROTECT);

  // A second listener on the same port is refused as a busy device.
  EXPECT_FALSE(OpenUrl("udp://:" + std::to_string(udpPort)));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
}

TEST(NetworkPort, GpsdsRawStreamArrivesWithoutItsReportsAndTakesNoWrites) {
  const std::string log = TestLog("sirfstarv-nmea.log");
  std::string watch;
  {
    TcpPeer peer(GpsdStandIn({"/dev/ttyACM0"}, log, &watch));
    std::unique_ptr<CommPort> port = OpenUrl(Url("gpsd", peer.Port()));
    ASSERT_TRUE(port) << GetLastError();
    DWORD n = 0;
    EXPECT_FALSE(port->Write("$PSRF104\r\n", 10, &n));
    EXPECT_EQ(GetLastError(), ERROR_WRITE_PROTECT);
    DWORD end = 0;
    EXPECT_EQ(ReadToEnd(*port, &end), log);
  }
  // The only device is named, so gpsd sends its bytes alone.
  EXPECT_EQ(watch, "?WATCH={\"enable\":true,\"raw\":2,\"device\":\"/dev/ttyACM0\"}");
}

TEST(NetworkPort, GpsdWithoutTheDeviceOrWithSeveralSaysWhichItHas) {
  {
    TcpPeer peer(GpsdStandIn({"/dev/ttyACM0", "/dev/ttyUSB0"}, "", nullptr));
    EXPECT_FALSE(OpenUrl(Url("gpsd", peer.Port(), "/dev/ttyS9")));
    EXPECT_EQ(GetLastError(), ERROR_DEV_NOT_EXIST);
    EXPECT_EQ(NetworkOpenDetail(), "/dev/ttyACM0, /dev/ttyUSB0");
  }
  {
    TcpPeer peer(GpsdStandIn({"/dev/ttyACM0", "/dev/ttyUSB0"}, "", nullptr));
    EXPECT_FALSE(OpenUrl(Url("gpsd", peer.Port())));
    EXPECT_EQ(GetLastError(), ERROR_AMBIGUOUS_SYSTEM_DEVICE);
    EXPECT_EQ(NetworkOpenDetail(), "/dev/ttyACM0, /dev/ttyUSB0");
  }
  {
    std::string watch;
    TcpPeer peer(GpsdStandIn({"/dev/ttyACM0", "/dev/ttyUSB0"}, "$GPGGA,1*00\r\n", &watch));
    EXPECT_TRUE(OpenUrl(Url("gpsd", peer.Port(), "/dev/ttyUSB0")));
  }
  // A server that greets with NMEA is no gpsd.
  TcpPeer nmea([](int fd, const std::atomic<bool>&) { SendAll(fd, "$GPGGA,123519,4807.038,N*00\r\n"); });
  EXPECT_FALSE(OpenUrl(Url("gpsd", nmea.Port())));
  EXPECT_EQ(GetLastError(), ERROR_BAD_NET_RESP);
}

TEST(NetworkPort, AnOpenThatMeetsNoOneFailsWithTheReason) {
  RefusingPort refusing;
  EXPECT_FALSE(OpenUrl(Url("tcp", refusing.Port())));
  EXPECT_EQ(GetLastError(), ERROR_CONNECTION_REFUSED);

  // No such host: .invalid names never resolve.
  EXPECT_FALSE(OpenUrl("tcp://no-receiver.invalid:10110"));
  EXPECT_EQ(GetLastError(), WSAHOST_NOT_FOUND);
}

TEST(NetworkPort, APeerThatNeverAnswersIsGivenUpAtTheTimeOut) {
  SetNetworkOpenTimeout(300);
  // A listener whose queue is full: further connections are never completed.
  TcpPeer full([](int, const std::atomic<bool>&) {}, 0, false);
  std::vector<int> queued;
  for (int i = 0; i < 8; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(full.Port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    queued.push_back(fd);
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(OpenUrl(Url("tcp", full.Port())));
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  // The window's wait hook runs meanwhile; the user's cancel ends the open.
  int waits = 0;
  SetNetworkOpenWait([&](DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return ++waits < 3 ? TRUE : FALSE;
  });
  EXPECT_FALSE(OpenUrl(Url("tcp", full.Port())));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  EXPECT_EQ(waits, 3);
  SetNetworkOpenWait({});
  for (int fd : queued) close(fd);

  // A gpsd that accepts and never greets.
  TcpPeer silent([](int, const std::atomic<bool>& stop) {
    while (!stop) std::this_thread::sleep_for(10ms);
  });
  EXPECT_FALSE(OpenUrl(Url("gpsd", silent.Port())));
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  SetNetworkOpenTimeout(0);
}

TEST(NetworkPort, APeerSendingFiftyMegabytesAtOnceIsHeldBackAndMemoryStaysBounded) {
  constexpr std::size_t kFlood = 50u << 20;
  std::atomic<std::size_t> sent{0};
  TcpPeer peer([&](int fd, const std::atomic<bool>& stop) {
    const std::string chunk(64 * 1024, 'x');
    while (!stop && sent < kFlood) {
      const ssize_t n = send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
      } else if (n < 0 && errno != EAGAIN) {
        return;
      } else {
        std::this_thread::sleep_for(5ms);
      }
    }
  });
  const long before = ResidentKilobytes();
  std::unique_ptr<CommPort> port = OpenUrl(Url("tcp", peer.Port()));
  ASSERT_TRUE(port);
  // Ten of the reader's polls: 64 reads of 1024 bytes each.
  constexpr std::size_t kTenPolls = 10u * 64 * 1024;
  std::vector<char> buffer(1024);
  std::size_t read = 0;
  for (auto deadline = std::chrono::steady_clock::now() + 20s;
       read < kTenPolls && std::chrono::steady_clock::now() < deadline;) {
    DWORD n = 0;
    ASSERT_TRUE(port->Read(buffer.data(), 1024, &n));
    read += n;
    if (n == 0) std::this_thread::sleep_for(1ms);
  }
  EXPECT_GE(read, kTenPolls);
  // The peer could not push the 50 MB: TCP held it back at the buffers.
  EXPECT_LT(sent.load(), kFlood / 4);
  EXPECT_LT(ResidentKilobytes() - before, 16 * 1024);
}

}  // namespace
