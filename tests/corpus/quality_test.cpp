// zelmora-decode --quality: one object of figures for a whole stream.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "nmea/checksum.h"
#include "tests/corpus/tool_runner.h"

namespace {

std::string Sentence(const std::string& body) {
  const unsigned sum = NmeaChecksum(body);
  return "$" + body + "*" + NmeaHexDigit(sum >> 4) + NmeaHexDigit(sum) + "\r\n";
}

// The number after "key": in the object; NaN when absent or null.
double Number(const std::string& json, const std::string& key) {
  const std::size_t at = json.find("\"" + key + "\":");
  if (at == std::string::npos) return std::nan("");
  const char* start = json.c_str() + at + key.size() + 3;
  char* end = nullptr;
  const double value = std::strtod(start, &end);
  return end == start ? std::nan("") : value;
}

// 40 epochs at one point; epochs 10 to 19 report no fix (GSA mode 1 and a
// void RMC without a position): availability 75 %.
std::string LogWithGaps() {
  std::string log;
  for (int i = 0; i < 40; ++i) {
    const bool gap = i >= 10 && i < 20;
    const std::string time = "1200" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".00";
    log += Sentence("GPGGA," + time +
                    (gap ? ",,,,,0,00,,,M,,M,," : ",4808.2292,N,01134.5674,E,1,06,1.0,520.0,M,47.0,M,,"));
    log += Sentence(gap ? "GPGSA,A,1,,,,,,,,,,,,,,," : "GPGSA,A,3,02,05,12,15,25,29,,,,,,,1.8,1.0,1.5");
    log += Sentence("GPRMC," + time + (gap ? ",V,,,,,,,081226,,,N" : ",A,4808.2292,N,01134.5674,E,0.0,0.0,081226,,,A"));
  }
  return log;
}

TEST(DecodeQualityTest, AvailabilityAndReferenceOfAStreamWithGaps) {
  const ToolResult mean = RunDecodeTool({"--quality"}, LogWithGaps());
  ASSERT_EQ(mean.exitStatus, 0) << mean.err;
  EXPECT_EQ(mean.out.find('\n'), mean.out.size() - 1) << "one line: " << mean.out;
  EXPECT_EQ(Number(mean.out, "epochs"), 40);
  EXPECT_EQ(Number(mean.out, "fixes"), 30);
  EXPECT_EQ(Number(mean.out, "availability"), 75);
  EXPECT_NE(mean.out.find("\"source\":\"mean\""), std::string::npos);
  EXPECT_NEAR(Number(mean.out, "latitude"), 48.137153, 1e-6);
  EXPECT_NEAR(Number(mean.out, "cep50"), 0.0, 1e-6);
  // The strongest four's C/N0 is unknown: the stream has no GSV.
  EXPECT_NE(mean.out.find("\"strongest4Cn0\":{\"last\":null,\"mean\":null}"), std::string::npos) << mean.out;

  // A mark 0.0001 degrees north: every fix is one meridian arc of 0.0001 degrees
  // (11.12 m at this latitude) south of it.
  const ToolResult given = RunDecodeTool({"--quality", "--reference", "48.13725333,11.57612333,520"}, LogWithGaps());
  ASSERT_EQ(given.exitStatus, 0) << given.err;
  EXPECT_NE(given.out.find("\"source\":\"given\""), std::string::npos);
  EXPECT_NEAR(Number(given.out, "cep95"), 11.1202, 0.002);

  for (const char* bad : {"48.1", "48.1,x", "91,0", "1,2,3,4"}) {
    const ToolResult refused = RunDecodeTool({"--quality", "--reference", bad}, LogWithGaps());
    EXPECT_EQ(refused.exitStatus, 2) << bad;
    EXPECT_NE(refused.err.find("--reference"), std::string::npos) << bad;
  }
}

// A cold boot's placeholder positions (RMC status V, latitude 89.6 N, before
// the first GSA) are no fixes: the figures are those of the real fixes
// near Enschede (52.21 N, 6.88 E), not of points 4000 km apart.
TEST(DecodeQualityTest, PlaceholderPositionsOfAColdBootAreNoFixes) {
  const std::string log = (std::filesystem::path(ZELMORA_SOURCE_DIR) / "tests/data/mtk-3301.log").string();
  const ToolResult result = RunDecodeTool({"--quality", log}, "");
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_GT(Number(result.out, "fixes"), 0) << result.out;
  EXPECT_LT(Number(result.out, "availability"), 100) << result.out;
  EXPECT_NEAR(Number(result.out, "latitude"), 52.21, 0.01) << result.out;
  EXPECT_LT(Number(result.out, "cep95"), 100) << result.out;
}

TEST(DecodeQualityTest, RealLogGivesFiguresPerSystem) {
  const std::string log = (std::filesystem::path(ZELMORA_SOURCE_DIR) / "tests/data/ublox-zed-f9p-nmea.log").string();
  const ToolResult result = RunDecodeTool({"--quality", log}, "");
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_GT(Number(result.out, "fixes"), 0) << result.out;
  EXPECT_GT(Number(result.out, "cep95"), Number(result.out, "cep50") - 1e-9) << result.out;
  EXPECT_GT(Number(result.out, "mean"), 20) << result.out;
  EXPECT_NE(result.out.find("\"GPS\":{"), std::string::npos) << result.out;
}

}  // namespace
