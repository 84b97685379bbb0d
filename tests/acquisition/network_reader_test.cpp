// The reader thread on a network source decodes what it decodes on a
// serial line: one real receiver's log, sent by a TCP server, as UDP
// datagrams, by a stand-in for gpsd and by the real gpsd reading a
// pseudo-terminal, gives the same record as the same log through a
// pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "nmea/checksum.h"
#include "platform/core/com_device_table.h"
#include "platform/core/network_source.h"
#include "tests/support/loopback_peers.h"
#include "tests/support/reader_session.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// The log and, after it, a sentence that tells the test the reader has
// everything.
std::string LogWithEnd() {
  const std::string body = "GPTXT,01,01,02,END OF LOG";
  char checksum[3];
  std::snprintf(checksum, sizeof checksum, "%02X", NmeaChecksum(body));
  return TestLog("mtk-3301.log") + "$" + body + "*" + checksum + "\r\n";
}

// What the record holds, in one text to compare.
std::string Describe(const GPSRecordData& r) {
  std::ostringstream out;
  out.precision(10);
  out << "date " << r.m_nDate << " time " << r.m_nTime << " lat " << r.m_dLatitude << (r.m_strNS == L"S" ? "S" : "N")
      << " lon " << r.m_dLongitude << (r.m_strEW == L"W" ? "W" : "E") << " alt " << r.m_dAltitude << " speed "
      << r.m_dSpeed << " course " << r.m_dCourse << " fix " << r.m_nFixMode << " pdop " << r.m_dPDOP << " used";
  for (int i = 0; i < r.m_nUsedCount; ++i) out << " " << r.m_nUsedPRNs[i];
  out << " sky";
  for (int i = 0; i < r.m_nSkyCount; ++i) {
    out << " " << r.m_Sky[i].nPRN << "/" << r.m_Sky[i].dElevation << "/" << r.m_Sky[i].dAzimuth << "/"
        << r.m_Sky[i].dSNR;
  }
  return out.str();
}

class NetworkReader : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("zelmora-netreader-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_ / "sys" / "class" / "tty");
    ComDeviceTable::Sources sources;
    sources.sysfsRoot = (dir_ / "sys").string();
    sources.numberFile = (dir_ / "com-ports").string();
    table_ = std::make_unique<ComDeviceTable>(sources);
    ComDeviceTable::SetActive(table_.get());
  }
  void TearDown() override {
    ComDeviceTable::SetActive(nullptr);
    std::filesystem::remove_all(dir_);
  }

  // Runs a reader on COM1: pinned to `source` (opened again until it opens,
  // for 20 s), calls `feed` once it reads, and returns its record once the
  // log's end has come (or after 30 s).
  GPSRecordData ReadThrough(const std::string& source, const std::function<void()>& feed) {
    table_->PinPort(1, source);
    ReaderSession reader;
    bool opened = false;
    for (auto deadline = std::chrono::steady_clock::now() + 20s;
         !(opened = reader.Open(L"COM1:", 4800)) && std::chrono::steady_clock::now() < deadline;) {
      std::this_thread::sleep_for(100ms);
    }
    EXPECT_TRUE(opened) << source;
    if (!opened) return {};
    EXPECT_TRUE(reader.Start());
    if (feed) feed();
    GPSRecordData record;
    for (auto deadline = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < deadline;) {
      std::this_thread::sleep_for(50ms);
      reader.Deliver();
      record = reader.Reader()->Snapshot();
      if (record.m_strRawText.find(L"END OF LOG") != std::wstring::npos) break;
    }
    EXPECT_NE(record.m_strRawText.find(L"END OF LOG"), std::wstring::npos) << source;
    reader.StopAndJoin();
    return record;
  }

  // The record of the log through a pseudo-terminal, the reference.
  GPSRecordData ThroughPty(const std::string& log) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    grantpt(master);
    unlockpt(master);
    std::thread writer;
    const GPSRecordData record = ReadThrough(
        ptsname(master), [&] { writer = std::thread([&] { (void)!write(master, log.data(), log.size()); }); });
    writer.join();
    close(master);
    return record;
  }

  std::filesystem::path dir_;
  std::unique_ptr<ComDeviceTable> table_;
};

TEST_F(NetworkReader, ATcpServerUdpDatagramsAndAGpsdStandInGiveThePseudoTerminalsRecord) {
  const std::string log = LogWithEnd();
  const GPSRecordData reference = ThroughPty(log);
  ASSERT_NE(reference.m_nSkyCount, 0);
  ASSERT_NE(reference.m_nDate, 0);

  {
    TcpPeer server([&](int fd, const std::atomic<bool>&) { SendAll(fd, log); });
    const GPSRecordData tcp = ReadThrough("tcp://127.0.0.1:" + std::to_string(server.Port()), {});
    EXPECT_EQ(Describe(tcp), Describe(reference));
    EXPECT_EQ(tcp.m_strRawText, reference.m_strRawText);
  }
  {
    const unsigned port = FreeUdpPort();
    const GPSRecordData udp =
        ReadThrough("udp://127.0.0.1:" + std::to_string(port), [&] { SendDatagrams(port, log, 512); });
    EXPECT_EQ(Describe(udp), Describe(reference));
    EXPECT_EQ(udp.m_strRawText, reference.m_strRawText);
  }
  {
    TcpPeer gpsd(GpsdStandIn({"/dev/ttyACM0"}, log, nullptr));
    const GPSRecordData viaGpsd = ReadThrough("gpsd://127.0.0.1:" + std::to_string(gpsd.Port()), {});
    EXPECT_EQ(Describe(viaGpsd), Describe(reference));
    EXPECT_EQ(viaGpsd.m_strRawText, reference.m_strRawText);
  }
}

// Debian's gpsd, reading a pseudo-terminal fed the log, passes the
// receiver's sentences on in raw mode. gpsd drops what is no sentence (the
// log's comment lines), so the decoded record is compared, not the raw text.
TEST_F(NetworkReader, TheRealGpsdReadingAPseudoTerminalGivesThePseudoTerminalsRecord) {
  const char* const gpsdPath = "/usr/sbin/gpsd";
  if (access(gpsdPath, X_OK) != 0) GTEST_SKIP() << "gpsd is not installed (Debian's package gpsd)";
  const std::string log = LogWithEnd();
  const GPSRecordData reference = ThroughPty(log);

  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  grantpt(master);
  unlockpt(master);
  const std::string slave = ptsname(master);
  // A port of its own on the loopback interface; -b: gpsd never writes to
  // the device; -n: it opens it at once; -N: it stays in the foreground.
  const std::string port = std::to_string(FreeTcpPort());
  const char* argv[] = {gpsdPath, "-N", "-n", "-b", "-S", port.c_str(), slave.c_str(), nullptr};
  // Its complaint that there is no system bus to announce fixes on goes nowhere.
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, gpsdPath, &quiet, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&quiet);
  ASSERT_EQ(spawned, 0);

  std::thread writer;
  const GPSRecordData viaGpsd = ReadThrough("gpsd://127.0.0.1:" + port + slave, [&] {
    writer = std::thread([&] {
      // Line by line, as a receiver talks, so that gpsd's packet sniffer
      // settles on NMEA from the first lines on.
      std::istringstream lines(log);
      for (std::string line; std::getline(lines, line);) {
        line += "\n";
        (void)!write(master, line.data(), line.size());
        std::this_thread::sleep_for(1ms);
      }
    });
  });
  writer.join();
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  close(master);
  EXPECT_EQ(Describe(viaGpsd), Describe(reference));
}

}  // namespace
