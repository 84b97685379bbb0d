// Runs the zelmora-receiver program as a user does. These tests run on the
// real clock: they wait for output with a generous deadline but check no
// timing.

#include "receivers/receiver_family.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kTool = ZELMORA_BINARY_DIR "/tools/zelmora-receiver/zelmora-receiver";
constexpr int kDeadlineMs = 10'000;

class Tool {
 public:
  explicit Tool(std::vector<std::string> args) {
    int out[2];
    EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    args.insert(args.begin(), kTool);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, kTool, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
  }
  ~Tool() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
  }

  // Standard output up to its first newline, or everything until it ends.
  std::string ReadLine() {
    std::string text;
    char c;
    while (Wait(out_) && read(out_, &c, 1) == 1 && c != '\n') text += c;
    return text;
  }

  // The exit status after signal (0 for none).
  int Finish(int signal) {
    if (signal != 0) kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  static bool Wait(int fd) {
    pollfd ready{fd, POLLIN, 0};
    return poll(&ready, 1, kDeadlineMs) == 1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

TEST(ZelmoraReceiverTool, HelpAndBadArguments) {
  Tool help({"--help"});
  EXPECT_EQ(help.ReadLine(), "Usage: zelmora-receiver [options]");
  EXPECT_EQ(help.Finish(0), 0);

  for (std::vector<std::string> args : {std::vector<std::string>{"--baud", "0"},
                                        {"--silence", "5"},
                                        {"--frobnicate"},
                                        {"--baud"},
                                        {"--replay-speed", "0"},
                                        {"--replay-speed", "fast"}}) {
    Tool bad(args);
    EXPECT_EQ(bad.Finish(0), 2) << args[0];
  }
  Tool missing({"--replay", "/nonexistent/capture.log"});
  EXPECT_EQ(missing.Finish(0), 1);
}

TEST(ZelmoraReceiverTool, PrintsAPortThatCarriesSentencesAndStopsOnASignal) {
  for (int signal : {SIGINT, SIGTERM}) {
    Tool tool({"--baud=115200", "--many-satellites"});
    const std::string path = tool.ReadLine();
    ASSERT_TRUE(path.starts_with("/dev/pts/")) << path;

    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B115200);
    tcsetattr(fd, TCSANOW, &tio);
    std::string bytes;
    char buffer[512];
    while (bytes.find("$GPGSV,4,4,") == std::string::npos && Tool::Wait(fd)) {
      const ssize_t count = read(fd, buffer, sizeof buffer);
      if (count > 0) bytes.append(buffer, static_cast<std::size_t>(count));
    }
    EXPECT_NE(bytes.find("$GPGSV,4,4,"), std::string::npos) << bytes;
    close(fd);
    EXPECT_EQ(tool.Finish(signal), 0) << strsignal(signal);
  }
}

TEST(ZelmoraReceiverTool, BehavesAsTheFamilyAskedFor) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--family", "nosuch"}, {"--time-scale", "0"}, {"--seed", "-1"}}) {
    Tool bad(args);
    EXPECT_EQ(bad.Finish(0), 2) << args[0] << " " << args[1];
  }
  // Started cold, a CASIC receiver announces itself again.
  Tool tool({"--baud=115200", "--family", "casic", "--seed", "5", "--time-scale", "20"});
  const std::string path = tool.ReadLine();
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0) << path;
  termios tio{};
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  cfsetspeed(&tio, B115200);
  tcsetattr(fd, TCSANOW, &tio);
  std::string bytes;
  char buffer[512];
  const auto read_until = [&](std::string_view text, std::size_t from) {
    std::size_t at;
    while ((at = bytes.find(text, from)) == std::string::npos && Tool::Wait(fd)) {
      const ssize_t count = read(fd, buffer, sizeof buffer);
      if (count > 0) bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return at;
  };
  const std::size_t epoch = read_until("$GPRMC", 0);
  ASSERT_NE(epoch, std::string::npos);
  const std::string cold = StartCommandBytes(*FindReceiverFamily("casic"), StartKind::Cold);
  ASSERT_EQ(write(fd, cold.data(), cold.size()), static_cast<ssize_t>(cold.size()));
  EXPECT_NE(read_until("$GPTXT,01,01,02,MA=CASIC*27\r\n", epoch), std::string::npos) << bytes;
  close(fd);
  EXPECT_EQ(tool.Finish(SIGTERM), 0);
}

}  // namespace
