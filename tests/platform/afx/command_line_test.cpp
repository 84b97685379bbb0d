#include "platform/afx/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  std::vector<const char*> arguments;
  bool leaveQtOptions;
  bool read;
  std::string errorPart;  // part of the message when not read
};

QStringList Arguments(const std::vector<const char*>& arguments) {
  QStringList list{QStringLiteral("Zelmora")};
  for (const char* argument : arguments) list.push_back(QString::fromUtf8(argument));
  return list;
}

TEST(CommandLine, ReadsTheOptionsAndLeavesQtsOwnOnlyBeforeTheApplication) {
  const Case cases[] = {
      {{}, false, true, ""},
      {{"--screen", "240x320"}, false, true, ""},
      {{"--screen=640x480"}, false, true, ""},
      {{"--screen", "400x240"}, false, false, "240x320, 320x240, 240x240, 480x640, 640x480, 480x480"},
      {{"--screen", "480"}, false, false, "WIDTHxHEIGHT"},
      {{"--port"}, true, false, "Missing value"},
      {{"--port", "COM4:"}, true, false, "COMn:=PATH"},
      {{"--simulate=COM:"}, false, false, "--simulate"},
      {{"-style", "fusion"}, true, true, ""},
      {{"-style", "fusion"}, false, false, "Unknown option"},
      {{"--platform", "offscreen", "-style=fusion", "-reverse", "--simulate"}, true, true, ""},
      {{"stray"}, false, false, "unknown argument stray"},
      {{"-style", "fusion", "stray"}, true, false, "unknown argument stray"},
      {{"--bogus", "--help"}, true, false, "Unknown option 'bogus'"},
      {{"--simulate=COM10:"}, true, false, "--simulate=COM10: is not --simulate=COMn: with n from 1 to 9"},
      {{"--simulate", "--simulate-gnss=COM4:"},
       true,
       false,
       "--simulate and --simulate-gnss=COM4: ask for two simulated receivers"},
      {{"--simulate-gnss=COM5:", "--port", "COM5:=/dev/ttyUSB0"},
       true,
       false,
       "--port COM5:=/dev/ttyUSB0 and --simulate-gnss=COM5: both claim COM5:"},
      {{"--port", "com3=/dev/ttyUSB0", "--port=COM3:=/dev/ttyUSB1"},
       true,
       false,
       "--port COM3:=/dev/ttyUSB0 and --port COM3:=/dev/ttyUSB1 both claim COM3:"},
  };
  for (const Case& c : cases) {
    CommandLine line;
    std::string error;
    std::string shown = Arguments(c.arguments).join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(ReadCommandLine(Arguments(c.arguments), c.leaveQtOptions, line, &error), c.read)
        << shown << ": " << error;
    if (!c.read) {
      EXPECT_NE(error.find(c.errorPart), std::string::npos) << shown << ": " << error;
    }
  }
}

TEST(CommandLine, FillsTheScreenThePortsTheSimulatorAndTheQuestions) {
  CommandLine line;
  ASSERT_TRUE(ReadCommandLine(Arguments({"--port", "COM4:=/dev/ttyUSB0", "--simulate", "--screen", "240x240",
                                         "--port=com5=/dev/rfcomm0", "--version"}),
                              false, line, nullptr));
  ASSERT_TRUE(line.screen.has_value());
  EXPECT_EQ(line.screen->width, 240);
  EXPECT_EQ(line.screen->height, 240);
  EXPECT_EQ(line.ports.pins, (std::vector<std::pair<unsigned, std::string>>{{4, "/dev/ttyUSB0"}, {5, "/dev/rfcomm0"}}));
  EXPECT_EQ(line.ports.simulator, 1u) << "a bare --simulate does not take the next argument";
  EXPECT_TRUE(line.version);
  EXPECT_FALSE(line.help);

  EXPECT_FALSE(line.ports.simulatorGnss);

  CommandLine other;
  ASSERT_TRUE(ReadCommandLine(Arguments({"--simulate-gnss=COM3:", "--help"}), false, other, nullptr));
  EXPECT_EQ(other.ports.simulator, 3u);
  EXPECT_TRUE(other.ports.simulatorGnss);
  EXPECT_TRUE(other.help);
  EXPECT_FALSE(other.screen.has_value());
}

TEST(CommandLine, TakesTheSimulatedReceiversFamilyOnlyWithTheReceiver) {
  SetSimulatorFamilies({"sirf", "ublox"});
  CommandLine line;
  ASSERT_TRUE(ReadCommandLine(Arguments({"--simulate-gnss", "--simulate-family", "ublox"}), false, line, nullptr));
  EXPECT_EQ(line.ports.simulatorFamily, "ublox");
  EXPECT_TRUE(line.ports.simulatorGnss);

  std::string error;
  CommandLine alone;
  EXPECT_FALSE(ReadCommandLine(Arguments({"--simulate-family=ublox"}), false, alone, &error));
  EXPECT_NE(error.find("no simulated receiver"), std::string::npos) << error;
  SetSimulatorFamilies({});
}

TEST(CommandLine, ReplaysALogAsOneSimulatedReceiverAndRecords) {
  const std::string log = std::string(ZELMORA_SOURCE_DIR) + "/tests/data/ublox-8.log";
  const std::string onCom3 = log + "=COM3:";
  CommandLine line;
  std::string error;
  ASSERT_TRUE(ReadCommandLine(
      Arguments({"--replay", onCom3.c_str(), "--replay-speed", "2.5", "--replay-once", "--record", "/tmp/s.nmea"}),
      false, line, &error))
      << error;
  EXPECT_EQ(line.ports.simulator, 3u);
  EXPECT_EQ(line.ports.replayPath, log);
  EXPECT_EQ(line.ports.replaySpeed, 2.5);
  EXPECT_TRUE(line.ports.replayOnce);
  EXPECT_EQ(line.recordPath, "/tmp/s.nmea");

  CommandLine plain;
  ASSERT_TRUE(ReadCommandLine(Arguments({"--replay", log.c_str()}), false, plain, &error)) << error;
  EXPECT_EQ(plain.ports.simulator, 1u);
  EXPECT_FALSE(plain.ports.replayOnce);

  struct Refused {
    std::vector<const char*> arguments;
    const char* says;
  };
  const std::string missing = "/nonexistent/x.nmea";
  const Refused refused[] = {
      {{"--replay", missing.c_str()}, "cannot read /nonexistent/x.nmea"},
      {{"--simulate", "--replay", log.c_str()}, "two simulated receivers"},
      {{"--port", "COM1:=/dev/ttyUSB7", "--replay", log.c_str()}, "both claim COM1:"},
      {{"--replay-speed", "2"}, "no log to play"},
      {{"--replay-once"}, "no log to play"},
      {{"--replay", log.c_str(), "--replay-speed", "0"}, "not a factor"},
      {{"--replay", log.c_str(), "--replay-speed", "fast"}, "not a factor"},
  };
  for (const Refused& r : refused) {
    CommandLine bad;
    error.clear();
    EXPECT_FALSE(ReadCommandLine(Arguments(r.arguments), false, bad, &error)) << r.says;
    EXPECT_NE(error.find(r.says), std::string::npos) << error;
  }
}

// --simulate-stationary goes with the receiver; --reference is kept as given
// for the program to read.
TEST(CommandLine, TakesTheStationaryReceiverAndTheReference) {
  CommandLine line;
  ASSERT_TRUE(ReadCommandLine(Arguments({"--simulate", "--simulate-stationary", "--reference=45.5,-122.6,51"}), false,
                              line, nullptr));
  EXPECT_TRUE(line.ports.simulatorStationary);
  EXPECT_EQ(line.reference, "45.5,-122.6,51");
  std::string error;
  CommandLine alone;
  EXPECT_FALSE(ReadCommandLine(Arguments({"--simulate-stationary"}), false, alone, &error));
  EXPECT_NE(error.find("no simulated receiver"), std::string::npos) << error;
}

// The option texts line up in one column that the longest option leaves
// room for, within 80 columns.
TEST(CommandLine, UsageNamesTheProgramAndListsEveryOptionInOneColumn) {
  EXPECT_EQ(CommandLineUsage("Zelmora"),
            "usage: Zelmora [options]\n"
            "  --screen WxH             size of the simulated handheld screen (default\n"
            "                           480x640; Ctrl+R rotates it)\n"
            "  --port COMn:=PATH        the serial device (any tty) or network source\n"
            "                           (tcp://, udp://, gpsd://; see README) that\n"
            "                           COMn: opens (n from 1 to 9; once for each number)\n"
            "  --simulate[=COMn:]       a simulated receiver at 4800 bps as COM1: (or COMn:)\n"
            "  --simulate-gnss[=COMn:]  the same with a receiver of GPS, GLONASS, Galileo\n"
            "                           and BeiDou speaking NMEA 4.10\n"
            "  --simulate-family NAME   the simulated receiver behaves as a receiver of\n"
            "                           that family: its banner, its answer to the probe,\n"
            "                           its hot, warm, cold and factory starts (sirf,\n"
            "                           mediatek, ublox, quectel-pqtm, quectel-pair,\n"
            "                           teseo, casic)\n"
            "  --replay FILE[=COMn:]    a simulated receiver as COM1: (or COMn:) that plays\n"
            "                           a recorded log at its own pace: a Zelmora\n"
            "                           recording read by read at its receive times,\n"
            "                           any other NMEA log at its sentences' UTC times\n"
            "  --replay-speed FACTOR    plays the log that many times faster (0.1 to 100)\n"
            "  --replay-once            plays the log once, then the receiver is silent\n"
            "                           (else it starts over)\n"
            "  --record FILE            records the session from Start GPS into FILE: every\n"
            "                           byte received, with its time (else the Setup\n"
            "                           page's Record button names the file)\n"
            "  --simulate-stationary    the simulated receiver stands at one point instead\n"
            "                           of driving; its fixes wander a few metres around it\n"
            "  --reference POINT        the Accuracy page measures from POINT, LAT,LON or\n"
            "                           LAT,LON,ALT (decimal degrees, metres), instead of\n"
            "                           the mean of the fixes\n"
            "  --gps-only               decodes $GP sentences only, as the handheld did\n"
            "  --debug                  explains on standard error why ports are listed,\n"
            "                           left out, fail to open or are lost\n"
            "                           (as ZELMORA_DEBUG=1 does)\n"
            "  --version                prints the program's version\n"
            "  --help                   prints this text\n");
}

}  // namespace
