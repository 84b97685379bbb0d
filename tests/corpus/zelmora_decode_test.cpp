// zelmora-decode end to end: canned and adversarial input, options, errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nmea/checksum.h"
#include "tests/support/canned_epoch.h"
#include "tests/corpus/tool_runner.h"

namespace {

using namespace std::string_literals;

// "$" + body + "*" + checksum, without a line end.
std::string Sentence(const std::string& body) {
  const std::uint8_t sum = NmeaChecksum(body);
  return "$" + body + "*" + NmeaHexDigit(sum >> 4) + NmeaHexDigit(sum);
}

std::string Satellite(int prn, int elevation, int azimuth, int snr, bool used) {
  return "{\"prn\":" + std::to_string(prn) + ",\"elevation\":" + std::to_string(elevation) +
         ",\"azimuth\":" + std::to_string(azimuth) + ",\"snr\":" + std::to_string(snr) +
         ",\"used\":" + (used ? "true}" : "false}");
}

std::string Satellites(const std::vector<std::string>& filled) {
  std::string out = "\"satellites\":[";
  for (int i = 0; i < 12; ++i) {
    out += (i > 0 ? "," : "") + (i < static_cast<int>(filled.size()) ? filled[i] : Satellite(0, 0, 0, 0, false));
  }
  return out + "]";
}

const std::string kCanned(kCannedEpoch);

const std::string kCannedRmcOutput =
    "\"group\":4,\"date\":90307,\"time\":13348,\"speed\":6.1,\"course\":101.5,\"ns\":\"N\",\"ew\":\"E\","
    "\"latitude\":24.18605,\"longitude\":120.61016666666667,\"show\":{\"date\":\"2007/03/09\","
    "\"time\":\"01:33:48\",\"speed\":\"11.3 km/h\",\"course\":\"E 101\u00B0\",\"latitude\":\"N 24\u00B011'9\\\"\","
    "\"longitude\":\"E 120\u00B036'36\\\"\"}}\n";

TEST(ZelmoraDecodeTest, CannedSentences) {
  const std::vector<std::string> sky = {
      Satellite(1, 6, 157, 10, true),   Satellite(3, 62, 104, 21, true),  Satellite(5, 20, 208, 26, true),
      Satellite(7, 56, 57, 25, true),   Satellite(9, 86, 250, 46, true),  Satellite(11, 17, 120, 8, true),
      Satellite(13, 89, 164, 49, true), Satellite(15, 8, 225, 4, true),   Satellite(17, 39, 335, 2, true),
      Satellite(19, 80, 104, 11, true), Satellite(21, 69, 147, 10, true), Satellite(23, 56, 217, 22, true)};
  const ToolResult result = RunDecodeTool({"--gps-only", "--stats"}, kCanned);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out,
            "{\"line\":1,\"group\":1,\"altitude\":0,\"show\":{\"altitude\":\"0.0\"}}\n"
            "{\"line\":2,\"group\":2,\"fix\":3,\"pdop\":7.5,\"used\":[1,3,5,7,9,11,13,15,17,19,21,23],"
            "\"show\":{\"fix\":\"3D\",\"pdop\":\"7.5\"}}\n"
            "{\"line\":3,\"group\":3," +
                Satellites({sky.begin(), sky.begin() + 4}) +
                "}\n"
                "{\"line\":4,\"group\":3," +
                Satellites({sky.begin(), sky.begin() + 8}) +
                "}\n"
                "{\"line\":5,\"group\":3," +
                Satellites(sky) +
                "}\n"
                "{\"line\":6," +
                kCannedRmcOutput + "{\"stats\":{\"lines\":6,\"decoded\":6,\"dropped\":0}}\n");
}

TEST(ZelmoraDecodeTest, ShowsLocalTimeOfTz) {
  const ToolResult result = RunDecodeTool({}, kCanned, "CST-8");
  EXPECT_NE(result.out.find("\"time\":\"09:33:48\""), std::string::npos) << result.out;
}

TEST(ZelmoraDecodeTest, DemoReplacesReceivedSentencesOfKnownTypes) {
  const ToolResult result =
      RunDecodeTool({"--demo", "--stats"}, "$GPRMC,junk\r\n$GPGLL,4916.45,N,12311.12,W,225444,A*31\r\n");
  EXPECT_EQ(result.out, "{\"line\":1," + kCannedRmcOutput + "{\"stats\":{\"lines\":2,\"decoded\":1,\"dropped\":0}}\n");
}

TEST(ZelmoraDecodeTest, AdversarialLines) {
  std::string input;
  auto line = [&](const std::string& text) { input += text + "\r\n"; };
  line("$GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,*1c");  // 1 lower-case checksum
  line("$GPGGA,");                                                           // 2 short
  line(Sentence("GPGSV,3,0,12,02,10,100,30"));                               // 3 message 0
  line(Sentence("GPGSV,3,4,12,02,10,100,30"));                               // 4 message 4
  line(Sentence("GPGSV,1,1,01,12,45,180,"));                                 // 5 empty SNR
  line(Sentence("GPRMC,,V,,,,,,,,,N"));                                      // 6 void, empty
  line(Sentence("GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50"));     // 7 nine fields
  line(Sentence("GPGGA"));                                                   // 8 head without comma
  line("$GPGGA,1,2,N,3,E,1,07,2.0,45.5,M\0,,,*00"s);                         // 9 cut at the 0 byte
  line(Sentence("GPGGA,1,2,N,3,E,1,07,2.0,46.5,M,,,") + "\0garbage"s);       // 10 garbage after 0 lost
  // 11: a sentence whose CR ends the first read of 1024 bytes and whose LF starts the next.
  const std::string split = Sentence("GPGGA,1,2,N,3,E,1,07,2.0,47.5,M,,,");
  line(std::string(1024 - input.size() - split.size() - 3, '#'));  // filler line, number 11
  input += split + "\r";
  ASSERT_EQ(input.size(), 1024u);
  input += "\n";
  input += std::string(10240, 'x') + "\r\n";             // 13: 10 KB, no known head
  line(Sentence("GPGGA,1,2,N,3,E,1,07,2.0,48.5,M,,,"));  // 14
  input += std::string(10240, 'y');                      // no line end: never a line

  const ToolResult result = RunDecodeTool({"--gps-only", "--stats"}, input);
  const std::string none = Satellites({});
  EXPECT_EQ(result.out,
            "{\"line\":1,\"dropped\":\"check\"}\n"
            "{\"line\":2,\"dropped\":\"check\"}\n"
            "{\"line\":3,\"group\":3," +
                none +
                "}\n"
                "{\"line\":4,\"group\":3," +
                none +
                "}\n"
                "{\"line\":5,\"group\":3," +
                Satellites({Satellite(12, 45, 180, 0, false)}) +
                "}\n"
                "{\"line\":6,\"group\":4,\"date\":0,\"time\":0,\"speed\":0,\"course\":0,\"ns\":\"\",\"ew\":\"\","
                "\"latitude\":0,\"longitude\":0,\"show\":{\"date\":\"\",\"time\":\"\",\"speed\":\"0.0 km/h\","
                "\"course\":\"N 0\u00B0\",\"latitude\":\"N 0\u00B00'0\\\"\",\"longitude\":\"E 0\u00B00'0\\\"\"}}\n"
                "{\"line\":7,\"dropped\":\"fields\"}\n"
                "{\"line\":9,\"dropped\":\"check\"}\n"
                "{\"line\":10,\"group\":1,\"altitude\":46.5,\"show\":{\"altitude\":\"46.5\"}}\n"
                "{\"line\":12,\"group\":1,\"altitude\":47.5,\"show\":{\"altitude\":\"47.5\"}}\n"
                "{\"line\":14,\"group\":1,\"altitude\":48.5,\"show\":{\"altitude\":\"48.5\"}}\n"
                "{\"stats\":{\"lines\":14,\"decoded\":7,\"dropped\":4}}\n");
}

TEST(ZelmoraDecodeTest, OverflowingNumbersAreEmptyFields) {
  const ToolResult result = RunDecodeTool({}, Sentence("GPGGA,1,2,N,3,E,1,07,2.0,-1e999,M,,,") + "\r\n");
  EXPECT_EQ(result.out, "{\"line\":1,\"group\":1,\"altitude\":0,\"show\":{\"altitude\":\"0.0\"}}\n");
}

TEST(ZelmoraDecodeTest, ReportsFilesItCannotOpen) {
  const ToolResult result = RunDecodeTool({"/nonexistent/receiver.log"}, "");
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("cannot open /nonexistent/receiver.log"), std::string::npos) << result.err;
}

TEST(ZelmoraDecodeTest, HelpAndBadArguments) {
  const ToolResult help = RunDecodeTool({"--help"}, "");
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("Usage: zelmora-decode [--demo] [--stats] [--gps-only] [FILE]", 0), 0u) << help.out;
  EXPECT_EQ(RunDecodeTool({"--bogus"}, "").exitStatus, 2);
  EXPECT_EQ(RunDecodeTool({"a.log", "b.log"}, "").exitStatus, 2);
}

}  // namespace
