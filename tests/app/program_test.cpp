// The Zelmora executable answers --help and --version on a machine without a
// display, and refuses a screen its pages have no layout for.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <sys/wait.h>

namespace {

struct Outcome {
  std::string output;
  int status;
};

// Runs the program with no display at all (and Qt's X11 platform, which
// would fail to connect) and collects standard output and error.
Outcome RunWithoutDisplay(const std::string& arguments) {
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " + std::string(ZELMORA_BINARY_DIR) +
                        "/app/Zelmora " + arguments + " 2>&1";
  Outcome outcome{{}, -1};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) outcome.output += buffer;
  int status = pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

TEST(Program, AnswersHelpAndVersionWithoutADisplay) {
  struct Case {
    const char* arguments;
    int status;
    const char* expected;
  };
  for (const Case& c : {Case{"--help", 0, "  --screen WxH         size of the simulated handheld screen"},
                        Case{"--version", 0, "Zelmora 3.0.7.621\n"},
                        Case{"--screen 400x240", 2, "240x320, 320x240, 240x240, 480x640, 640x480, 480x480"},
                        Case{"--port", 2, "usage: "}}) {
    Outcome outcome = RunWithoutDisplay(c.arguments);
    EXPECT_EQ(outcome.status, c.status) << c.arguments << ":\n" << outcome.output;
    EXPECT_NE(outcome.output.find(c.expected), std::string::npos) << c.arguments << ":\n" << outcome.output;
    EXPECT_EQ(outcome.output.find("display"), std::string::npos) << c.arguments << ":\n" << outcome.output;
  }
}

}  // namespace
