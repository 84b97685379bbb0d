// What TermiosPort::Open agrees to open: character devices that are
// terminals, checked before the open, so that a file, a FIFO, the
// pseudo-terminal multiplexer or /dev/null is never opened at all; and that
// the tty's exclusive mode does not outlive the program holding it.
#include "platform/core/termios_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/core/last_error.h"
#include "tests/platform/core/open_watch.h"
#include "tests/support/fake_sysfs.h"

namespace fs = std::filesystem;

namespace {

class TermiosOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zelmora-open-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
};

TEST_F(TermiosOpenTest, RefusesWhatIsNoSerialDeviceWithoutOpeningIt) {
  std::ofstream(dir_ / "file") << "root:x:0:0\n";
  fs::create_directory(dir_ / "directory");
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  fs::create_symlink("file", dir_ / "link");
  // A /dev/null of our own where mknod is allowed, so the watch sees an open.
  ::mknod((dir_ / "null").c_str(), S_IFCHR | 0600, makedev(1, 3));
  OpenWatch watch(dir_.string());

  struct Case {
    std::string path;
    std::string reason;
  };
  const Case cases[] = {
      {(dir_ / "file").string(), "not a character device"},
      {(dir_ / "link").string(), "not a character device"},
      {(dir_ / "directory").string(), "not a character device"},
      {(dir_ / "fifo").string(), "not a character device"},
      {"/dev/ptmx", "pseudo-terminal multiplexer"},
      {"/dev/tty", "controlling terminal"},
      {(dir_ / "null").string(), "not a terminal device (a mem device)"},
      {"/dev/null", "not a terminal device"},
      {"/dev/zero", "not a terminal device"},
  };
  for (const Case& c : cases) {
    if (!fs::exists(c.path)) continue;
    std::string why;
    EXPECT_EQ(CheckSerialDevicePath(c.path, &why), ENOTTY) << c.path;
    EXPECT_NE(why.find(c.reason), std::string::npos) << c.path << ": " << why;
    testing::internal::CaptureStderr();
    SetLastError(0);
    EXPECT_EQ(TermiosPort::Open(c.path, GENERIC_READ | GENERIC_WRITE), nullptr) << c.path;
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << c.path;
    EXPECT_NE(said.find(c.path + ": " + why), std::string::npos) << said;
  }
  if (watch.Works()) {
    EXPECT_EQ(watch.Opened(), "") << "a refused path was opened";
  }
}

TEST_F(TermiosOpenTest, OpensATerminalButNotAnotherCharacterDevice) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string slave = ::ptsname(master);
  EXPECT_EQ(CheckSerialDevicePath(slave, nullptr), 0);
  EXPECT_EQ(CheckSerialDevicePath(slave, nullptr, FakeSysfs().Sysfs()), 0) << "sysfs does not list a pty";
  EXPECT_NE(TermiosPort::Open(slave, GENERIC_READ | GENERIC_WRITE), nullptr);
  ::close(master);

  // /dev/null is refused as no terminal.
  testing::internal::CaptureStderr();
  EXPECT_EQ(TermiosPort::Open("/dev/null", GENERIC_READ | GENERIC_WRITE), nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("not a terminal"), std::string::npos);
  EXPECT_EQ(CheckSerialDevicePath((dir_ / "missing").string(), nullptr), ENOENT);
}

// What sysfs says of a device's class decides, not its name.
TEST_F(TermiosOpenTest, AcceptsADeviceOfTheTtyClassOnly) {
  FakeSysfs sysfs;
  EXPECT_EQ(CheckSerialDevicePath("/dev/null", nullptr, sysfs.Sysfs()), ENOTTY) << "a device sysfs does not list";
  sysfs.CharDevice("1:3", "tty");
  EXPECT_EQ(CheckSerialDevicePath("/dev/null", nullptr, sysfs.Sysfs()), 0);
  sysfs.CharDevice("1:3", "misc");
  std::string why;
  EXPECT_EQ(CheckSerialDevicePath("/dev/null", &why, sysfs.Sysfs()), ENOTTY);
  EXPECT_EQ(why, "not a terminal device (a misc device)");
}

#if defined(__SANITIZE_ADDRESS__)
constexpr int kFaultStatus = 1 << 8;  // AddressSanitizer's handler reports a fault and exits with 1
#elif defined(__SANITIZE_THREAD__)
constexpr int kFaultStatus = 66 << 8;  // ThreadSanitizer's handler reports a fault and exits with 66
#else
constexpr int kFaultStatus = SIGSEGV;
#endif

// The tty's exclusive mode outlives its holder while another descriptor of
// the pseudo-terminal stays open, so a holder that ends in any way that runs
// code lifts it, and still ends as it would have (the wait status, a core
// dump's flag aside). TIOCGEXCL reads the flag, which does not stop root.
TEST(TermiosExclusiveTest, AHolderThatEndsLeavesThePseudoTerminalOpenToOthers) {
  const std::pair<void (*)(), int> cases[] = {
      {[] { raise(SIGTERM); }, SIGTERM},
      {[] { abort(); }, SIGABRT},
      {[] { *static_cast<volatile char*>(mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)) = 1; },
       kFaultStatus},
      {[] { exit(0); }, 0},
  };
  for (const auto& [end, ending] : cases) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const std::string slave = ::ptsname(master);
    const int other = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    const pid_t child = ::fork();
    if (child == 0) {
      // Held to the end, as the program's handle table holds its port.
      static CommPort* held = TermiosPort::Open(slave, GENERIC_READ | GENERIC_WRITE).release();
      if (held != nullptr) end();
      ::_exit(3);
    }
    int status = 0;
    int exclusive = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status & ~WCOREFLAG, ending);
    EXPECT_EQ(::ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "the holder that ended with status " << ending << " left the tty exclusive";
    ::close(other);
    ::close(master);
  }
}

}  // namespace
