// The Zelmora executable answers --help and --version on a machine without a
// display, refuses a malformed or contradictory command line there before it
// needs one, and then says in one line that it has no display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include <sys/wait.h>

namespace {

struct Outcome {
  std::string output;
  int status;
};

// Runs the program with no display at all (Qt then tries its X11 platform,
// which fails to connect) and collects standard output and error.
Outcome RunWithoutDisplay(const std::string& arguments) {
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + std::string(ZELMORA_BINARY_DIR) +
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
  for (const Case& c : {Case{"--help", 0, "usage: Zelmora [options]\n  --screen WxH             size of the"},
                        Case{"--version", 0, "Zelmora 3.0.7.621\n"},
                        Case{"--screen 400x240", 2, "240x320, 320x240, 240x240, 480x640, 640x480, 480x480"},
                        Case{"--port", 2, "usage: Zelmora [options]\n"}}) {
    Outcome outcome = RunWithoutDisplay(c.arguments);
    EXPECT_EQ(outcome.status, c.status) << c.arguments << ":\n" << outcome.output;
    EXPECT_NE(outcome.output.find(c.expected), std::string::npos) << c.arguments << ":\n" << outcome.output;
    EXPECT_EQ(outcome.output.find("display"), std::string::npos) << c.arguments << ":\n" << outcome.output;
  }
}

// Each case's first line whole; an option error's usage after it, and
// nothing after the display's.
TEST(Program, RefusesBadOptionsBeforeItNeedsADisplayAndThenSaysItHasNone) {
  struct Case {
    const char* arguments;
    int status;
    const char* line;
  };
  const Case cases[] = {
      {"--simulate=COM12:", 2, "Zelmora: --simulate=COM12: is not --simulate=COMn: with n from 1 to 9"},
      {"--port COM10:=/dev/ttyUSB0", 2, "Zelmora: --port COM10:=/dev/ttyUSB0 is not COMn:=PATH with n from 1 to 9"},
      {"--simulate --simulate-gnss", 2,
       "Zelmora: --simulate and --simulate-gnss ask for two simulated receivers; there is one"},
      {"--simulate=COM2: --port COM2:=/dev/ttyUSB0", 2,
       "Zelmora: --port COM2:=/dev/ttyUSB0 and --simulate=COM2: both claim COM2:"},
      {"--port COM3:=a --port COM3:=b", 2, "Zelmora: --port COM3:=a and --port COM3:=b both claim COM3:"},
      {"--simualte", 2, "Zelmora: Unknown option 'simualte'."},
      {"-style fusion stray", 2, "Zelmora: unknown argument stray"},
      {"--simulate-gnss=COM3: -style fusion", 1,
       "Zelmora: no display (could not connect to display): set DISPLAY to an X server (or WAYLAND_DISPLAY), or run "
       "scripts/run-zelmora"},
  };
  for (const Case& c : cases) {
    Outcome outcome = RunWithoutDisplay(c.arguments);
    EXPECT_EQ(outcome.status, c.status) << c.arguments << ":\n" << outcome.output;
    const std::string expected = std::string(c.line) + "\n";
    EXPECT_EQ(outcome.output.substr(0, expected.size()), expected) << c.arguments;
    const std::string rest = outcome.output.substr(std::min(expected.size(), outcome.output.size()));
    if (c.status == 2) {
      EXPECT_TRUE(rest.starts_with("usage: Zelmora [options]\n")) << c.arguments << ":\n" << rest;
    } else {
      EXPECT_EQ(rest, "") << c.arguments;
    }
  }
}

}  // namespace
