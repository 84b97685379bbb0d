#include "simulator/simulated_receiver.h"

#include "simulator/line_settings.h"
#include "platform/core/simulated_clock.h"
#include "tests/simulator/nmea_checks.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using sim_test::HasValidChecksum;
using sim_test::Lines;

constexpr const char* kColdStart = "$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n";

// The port as the program opens it: exclusive, raw 8N1 at a speed, purged.
class ProgramPort {
 public:
  ProgramPort(const std::string& path, speed_t speed) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_GE(fd_, 0) << path << ": " << std::strerror(errno);
    EXPECT_EQ(ioctl(fd_, TIOCEXCL), 0);
    EXPECT_EQ(flock(fd_, LOCK_EX | LOCK_NB), 0);
    SetSpeed(speed);
    tcflush(fd_, TCIOFLUSH);
  }
  ~ProgramPort() {
    // Without this the exclusive flag would outlive the close while the
    // receiver holds the terminal open, and a reopen by a user other
    // than root would fail.
    ioctl(fd_, TIOCNXCL);
    close(fd_);
  }
  ProgramPort(const ProgramPort&) = delete;
  ProgramPort& operator=(const ProgramPort&) = delete;

  int Fd() const { return fd_; }

  void SetSpeed(speed_t speed) {
    termios tio{};
    ASSERT_EQ(tcgetattr(fd_, &tio), 0);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&tio, speed);
    ASSERT_EQ(tcsetattr(fd_, TCSANOW, &tio), 0);
  }

  std::string ReadAll() {
    std::string bytes;
    char buffer[1024];
    ssize_t count;
    while ((count = read(fd_, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(count));
    return bytes;
  }

  void Write(std::string_view bytes) {
    ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

 private:
  int fd_ = -1;
};

class SimulatedReceiverTest : public testing::Test {
 protected:
  void StartReceiver(const sim::ReceiverOptions& options = {}) {
    std::string error;
    ASSERT_TRUE(receiver_.Start(options, &error)) << error;
  }

  // Lets ms of simulated time pass; the receiver's thread runs meanwhile.
  void RunFor(std::uint32_t ms) { Sleep(ms); }

  // The program's writes reach the receiver as they happen, not on the
  // simulated clock: waits (holding simulated time still) until it has
  // heard `count` bytes in all.
  void UntilHeard(std::uint64_t count) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (receiver_.Stats().bytes_received < count && std::chrono::steady_clock::now() < limit)
      std::this_thread::yield();
  }

  SimulatedClock clock_;
  sim::SimulatedReceiver receiver_;
};

TEST_F(SimulatedReceiverTest, AProgramReadsPacedSentencesFromThePort) {
  StartReceiver();
  ProgramPort port(receiver_.SlavePath(), B4800);
  RunFor(3000);
  const std::string bytes = port.ReadAll();

  std::string rest;
  const std::vector<std::string> lines = Lines(bytes, &rest);
  EXPECT_GE(lines.size(), 20u);
  for (const std::string& line : lines) EXPECT_TRUE(HasValidChecksum(line)) << line;
  EXPECT_LE(bytes.size(), 3u * 480u);
  EXPECT_GE(bytes.size(), 3u * 400u);
  const sim::ReceiverStats stats = receiver_.Stats();
  EXPECT_EQ(stats.bytes_sent, bytes.size());
  EXPECT_EQ(stats.line_speed, 4800u);
  EXPECT_EQ(stats.sentences_sent, lines.size());
}

TEST_F(SimulatedReceiverTest, APortAtAnotherSpeedReadsGarbageUntilItIsSetRight) {
  StartReceiver();
  ProgramPort port(receiver_.SlavePath(), B9600);
  RunFor(3000);
  const std::string garbage = port.ReadAll();
  EXPECT_FALSE(garbage.empty());
  EXPECT_EQ(garbage.find('$'), std::string::npos);
  EXPECT_EQ(receiver_.Stats().line_speed, 9600u);

  port.SetSpeed(B4800);
  RunFor(2000);
  EXPECT_NE(port.ReadAll().find("$GPRMC,"), std::string::npos);

  // Speeds without a B constant are seen as they are (by the next epoch at
  // the latest: the receiver looks at the line when it has bytes to send).
  ASSERT_TRUE(sim::SetRawLine(port.Fd(), 250000));
  RunFor(1000);
  EXPECT_EQ(receiver_.Stats().line_speed, 250000u);
}

TEST_F(SimulatedReceiverTest, TheReceiverHearsTheColdStartAndTheProgramDoesNotHearItsEcho) {
  StartReceiver();
  ProgramPort port(receiver_.SlavePath(), B4800);
  RunFor(2000);
  std::string bytes = port.ReadAll();
  port.Write(kColdStart);
  UntilHeard(42);
  EXPECT_EQ(receiver_.Stats().cold_starts, 1u);
  EXPECT_EQ(receiver_.Stats().bytes_received, 42u);
  bytes += port.ReadAll();

  RunFor(1900);
  EXPECT_EQ(port.ReadAll(), "") << "silent after the reset";
  RunFor(3000);
  const std::string after = port.ReadAll();
  EXPECT_NE(after.find("$GPGSV,1,1,00*79\r\n"), std::string::npos);
  EXPECT_NE(after.find("$GPGSA,A,1,"), std::string::npos);
  EXPECT_EQ((bytes + after).find("PSRF"), std::string::npos);
}

TEST_F(SimulatedReceiverTest, ThePortCanBeClosedAndOpenedAgain) {
  StartReceiver();
  {
    ProgramPort port(receiver_.SlavePath(), B4800);
    RunFor(1500);
    EXPECT_NE(port.ReadAll().find("$GPGGA,"), std::string::npos);
  }
  const std::uint64_t sent = receiver_.Stats().bytes_sent;
  RunFor(1500);
  // Nobody listens, but the line goes on.
  EXPECT_GT(receiver_.Stats().bytes_sent, sent);

  ProgramPort port(receiver_.SlavePath(), B4800);
  RunFor(2500);
  const std::string bytes = port.ReadAll();
  // The purge at the open may cut into a sentence; all lines after it are whole.
  const std::size_t first = bytes.find("\r\n");
  ASSERT_NE(first, std::string::npos);
  const std::vector<std::string> lines = Lines(bytes.substr(first + 2));
  EXPECT_GE(lines.size(), 10u);
  for (const std::string& line : lines) EXPECT_TRUE(HasValidChecksum(line)) << line;
}

TEST_F(SimulatedReceiverTest, FaultsCanBeAskedForWhileItRuns) {
  StartReceiver();
  ProgramPort port(receiver_.SlavePath(), B4800);
  RunFor(1000);
  receiver_.GoSilent(3000);
  RunFor(10);
  port.ReadAll();
  RunFor(2950);
  EXPECT_EQ(port.ReadAll(), "");

  sim::Faults faults;
  faults.many_satellites = true;
  receiver_.SetFaults(faults);
  RunFor(3000);
  EXPECT_NE(port.ReadAll().find("$GPGSV,4,1,"), std::string::npos);
}

TEST_F(SimulatedReceiverTest, StopHangsUpTheProgramAndKeepsTheStats) {
  StartReceiver();
  const std::string path = receiver_.SlavePath();
  ProgramPort port(path, B4800);
  RunFor(1500);
  receiver_.Stop();
  EXPECT_FALSE(receiver_.IsRunning());
  EXPECT_EQ(receiver_.SlavePath(), "");
  EXPECT_GT(receiver_.Stats().sentences_sent, 0u);

  port.ReadAll();
  pollfd hangup{port.Fd(), POLLIN, 0};
  ASSERT_EQ(poll(&hangup, 1, 0), 1);
  EXPECT_TRUE(hangup.revents & POLLHUP);
  char byte;
  EXPECT_LE(read(port.Fd(), &byte, 1), 0);

  // A second start gets a fresh terminal.
  StartReceiver();
  EXPECT_TRUE(receiver_.IsRunning());
  EXPECT_FALSE(receiver_.SlavePath().empty());
}

TEST_F(SimulatedReceiverTest, StartRefusesWhatItCannotRun) {
  std::string error;
  sim::ReceiverOptions options;
  options.replay_path = "/nonexistent/capture.log";
  EXPECT_FALSE(receiver_.Start(options, &error));
  EXPECT_FALSE(receiver_.IsRunning());

  StartReceiver();
  EXPECT_FALSE(receiver_.Start({}, &error));
  EXPECT_TRUE(receiver_.IsRunning());
}

}  // namespace
