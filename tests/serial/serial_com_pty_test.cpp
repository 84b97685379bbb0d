// CSerialCom on a real tty: a pseudo-terminal pinned as COM4:, its master
// side standing in for the receiver.
#include "platform/core/com_device_table.h"
#include "platform/core/last_error.h"
#include "serial/serial_com.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <sys/ioctl.h>
#include <unistd.h>

#include "tests/support/test_com_devices.h"

namespace {

class SerialComPty : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master_, 0) << "no pseudo-terminals on this machine";
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    path_ = ptsname(master_);
    ports_.Table().PinPort(4, path_);
  }
  void TearDown() override {
    if (master_ >= 0) close(master_);
  }

  // What the receiver's side reads within `ms` of real time.
  std::string ReceiverReads(std::size_t want, int ms = 2000) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
      pollfd pfd{master_, POLLIN, 0};
      if (poll(&pfd, 1, 50) <= 0) continue;
      char buffer[256];
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

  // What the port hands over once the bytes have crossed the pseudo-terminal.
  std::string PortReads(CSerialCom& serial, std::size_t want) {
    std::string got;
    for (int i = 0; i < 2000 && got.size() < want; ++i) {
      char buffer[64];
      DWORD n = 0;
      EXPECT_TRUE(serial.Read(buffer, sizeof buffer, &n));
      got.append(buffer, n);
      if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return got;
  }

  int master_ = -1;
  std::string path_;
  TestComDevices ports_;
};

TEST_F(SerialComPty, OpenMakesTheLineRaw8N1AtTheChosenSpeed) {
  CSerialCom serial;
  ASSERT_TRUE(serial.Open(L"COM4:", 4800, 8, NOPARITY, ONESTOPBIT)) << GetLastError();
  termios tio{};
  ASSERT_EQ(tcgetattr(master_, &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B4800));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS));
  EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP));
  EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
  EXPECT_FALSE(tio.c_oflag & OPOST);

  DCB dcb{};
  ASSERT_TRUE(serial.GetState(&dcb));
  EXPECT_EQ(dcb.BaudRate, 4800u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
}

TEST_F(SerialComPty, ReadWithNothingReceivedReturnsAtOnceWithNoBytes) {
  CSerialCom serial;
  ASSERT_TRUE(serial.Open(L"COM4:", 9600, 8, 0, 0));
  char buffer[1024];
  DWORD n = 77;
  EXPECT_TRUE(serial.Read(buffer, sizeof buffer, &n));
  EXPECT_EQ(n, 0u);
}

TEST_F(SerialComPty, BytesTravelBothWaysUnchanged) {
  CSerialCom serial;
  ASSERT_TRUE(serial.Open(L"com4:", 4800, 8, 0, 0));
  const std::string command = "$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n";
  DWORD written = 0;
  EXPECT_TRUE(serial.Write(command.data(), static_cast<DWORD>(command.size()), &written));
  EXPECT_EQ(written, command.size());
  EXPECT_EQ(ReceiverReads(command.size()), command);

  const std::string sentence = "$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*62\r\n\x00\xff";
  ASSERT_EQ(write(master_, sentence.data(), sentence.size()), static_cast<ssize_t>(sentence.size()));
  EXPECT_EQ(PortReads(serial, sentence.size()), sentence);
}

TEST_F(SerialComPty, OpenDiscardsWhatArrivedBefore) {
  // Another reader of the line holds it open until the stale bytes are there.
  int early = open(path_.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(early, 0);
  termios raw{};
  tcgetattr(early, &raw);
  cfmakeraw(&raw);
  tcsetattr(early, TCSANOW, &raw);
  const std::string stale = "$GPGGA,stale\r\n";
  ASSERT_EQ(write(master_, stale.data(), stale.size()), static_cast<ssize_t>(stale.size()));
  pollfd pfd{early, POLLIN, 0};
  ASSERT_EQ(poll(&pfd, 1, 2000), 1) << "the bytes did not cross the pseudo-terminal";

  CSerialCom serial;
  ASSERT_TRUE(serial.Open(L"COM4:", 4800, 8, 0, 0));
  char buffer[64];
  DWORD n = 0;
  EXPECT_TRUE(serial.Read(buffer, sizeof buffer, &n));
  EXPECT_EQ(n, 0u);
  close(early);
}

TEST_F(SerialComPty, PortIsExclusiveInThisProcessAndAnother) {
  CSerialCom first;
  ASSERT_TRUE(first.Open(L"COM4:", 4800, 8, 0, 0));
  CSerialCom second;
  EXPECT_FALSE(second.Open(L"COM4:", 4800, 8, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(second.m_hCom, INVALID_HANDLE_VALUE);

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Another program: its open is refused (TIOCEXCL), or its lock is (flock).
    int fd = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    _exit(fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process took the port";

  first.Close();
  EXPECT_TRUE(second.Open(L"COM4:", 4800, 8, 0, 0)) << "closing releases the port";
}

// A second descriptor of the tty (the simulated receiver keeps one) outlives
// the program's close; the tty must not stay exclusive then, or an
// unprivileged program could not open it again.
TEST_F(SerialComPty, CloseAndFailedOpenLeaveTheTtyNotExclusive) {
  int other = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(other, 0);
  auto exclusive = [&] {
    int flag = -1;
    EXPECT_EQ(ioctl(other, TIOCGEXCL, &flag), 0);
    return flag;
  };
  CSerialCom serial;
  ASSERT_TRUE(serial.Open(L"COM4:", 4800, 8, 0, 0));
  EXPECT_EQ(exclusive(), 1);
  CSerialCom second;
  EXPECT_FALSE(second.Open(L"COM4:", 4800, 8, 0, 0));
  EXPECT_EQ(exclusive(), 1) << "a refused open must not lift the holder's exclusivity";
  serial.Close();
  EXPECT_EQ(exclusive(), 0);
  EXPECT_FALSE(serial.Open(L"COM4:", 0, 8, 0, 0));
  EXPECT_EQ(exclusive(), 0);
  close(other);
}

TEST_F(SerialComPty, RefusedSpeedFailsTheOpenAndReleasesThePort) {
  CSerialCom serial;
  EXPECT_FALSE(serial.Open(L"COM4:", 0, 8, 0, 0));
  EXPECT_EQ(serial.m_hCom, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(serial.Open(L"COM4:", 4800, 8, 0, 0)) << "the failed open left nothing locked";
}

TEST_F(SerialComPty, NonStandardSpeedIsAppliedOrRefusedCleanly) {
  CSerialCom serial;
  if (serial.Open(L"COM4:", 250000, 8, 0, 0)) {
    DCB dcb{};
    ASSERT_TRUE(serial.GetState(&dcb));
    EXPECT_EQ(dcb.BaudRate, 250000u);
  } else {
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(serial.m_hCom, INVALID_HANDLE_VALUE);
  }
}

TEST_F(SerialComPty, UnknownPortDoesNotOpen) {
  CSerialCom serial;
  EXPECT_FALSE(serial.Open(L"COM7:", 4800, 8, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(serial.m_hCom, INVALID_HANDLE_VALUE);
}

TEST_F(SerialComPty, ReaderAndWriterOnTwoThreads) {
  CSerialCom serial;
  ASSERT_TRUE(serial.Open(L"COM4:", 115200, 8, 0, 0));
  const std::string sentence = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n";
  std::atomic<bool> done{false};
  std::string received;
  std::thread reader([&] {
    received = PortReads(serial, sentence.size() * 20);
    done = true;
  });
  for (int i = 0; i < 20; ++i) {
    DWORD written = 0;
    EXPECT_TRUE(serial.Write("$PSRF104\r\n", 10, &written));
    ASSERT_EQ(write(master_, sentence.data(), sentence.size()), static_cast<ssize_t>(sentence.size()));
  }
  reader.join();
  EXPECT_EQ(received.size(), sentence.size() * 20);
  EXPECT_EQ(ReceiverReads(200).size(), 200u);
}

TEST_F(SerialComPty, ReadFailsWhenTheOtherEndHasGone) {
  CSerialCom serial;
  ASSERT_TRUE(serial.Open(L"COM4:", 4800, 8, 0, 0));
  close(master_);
  master_ = -1;
  char buffer[16];
  DWORD n = 5;
  EXPECT_FALSE(serial.Read(buffer, sizeof buffer, &n));
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(serial.Close());
}

}  // namespace
