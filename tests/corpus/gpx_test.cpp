// zelmora-decode --gpx: the points of a known log, and every real log's
// track checked against the GPX 1.1 schema with xmllint where it is installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "nmea/checksum.h"
#include "tests/corpus/tool_runner.h"

namespace fs = std::filesystem;

namespace {

std::string Line(const std::string& body) {
  const std::uint8_t sum = NmeaChecksum(body);
  return "$" + body + "*" + NmeaHexDigit(sum >> 4) + NmeaHexDigit(sum) + "\r\n";
}

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\" creator=\"zelmora-decode\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
    "<trk>\n";

TEST(GpxTrackTest, FixesBecomePointsAndALostFixEndsTheSegment) {
  std::string log;
  // A 3D fix with GGA, GSA and RMC.
  log += Line("GPGGA,013348.50,2411.1630,N,12036.6100,E,1,08,1.1,35.2,M,15.1,M,,");
  log += Line("GPGSA,A,3,01,03,05,07,09,11,13,15,,,,,2.1,1.1,1.8");
  log += Line("GPRMC,013348.50,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,");
  // No fix: the segment ends.
  log += Line("GPGGA,013349.50,,,,,0,00,,,M,,M,,");
  log += Line("GPRMC,013349.50,V,,,,,,,090307,,");
  // DGPS in the southern and western hemispheres, without GSA or RMC.
  log += Line("GNGGA,013350,3351.0000,S,07037.5000,W,2,12,0.8,-4.0,M,,M,,");
  // RMC alone, past midnight into the next day.
  log += Line("GPRMC,000001,A,0000.0000,N,17959.9999,E,0.0,0.0,100307,,");
  log += Line("GPRMC,garbage,A");  // a broken checksum is passed over
  const ToolResult result = RunDecodeTool({"--gpx"}, log);
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(result.out, kHead +
                            "<trkseg>\n"
                            "<trkpt lat=\"24.1860500\" lon=\"120.6101667\"><ele>35.2</ele>"
                            "<time>2007-03-09T01:33:48.50Z</time><fix>3d</fix><sat>8</sat><hdop>1.10</hdop>"
                            "<vdop>1.80</vdop><pdop>2.10</pdop></trkpt>\n"
                            "</trkseg>\n"
                            "<trkseg>\n"
                            "<trkpt lat=\"-33.8500000\" lon=\"-70.6250000\"><ele>-4.0</ele>"
                            "<time>2007-03-09T01:33:50Z</time><fix>dgps</fix><sat>12</sat><hdop>0.80</hdop></trkpt>\n"
                            "<trkpt lat=\"0.0000000\" lon=\"179.9999983\"><time>2007-03-10T00:00:01Z</time></trkpt>\n"
                            "</trkseg>\n"
                            "</trk>\n</gpx>\n");
}

TEST(GpxTrackTest, RefusesOptionsOfTheJsonOutput) {
  EXPECT_EQ(RunDecodeTool({"--gpx", "--stats"}, "").exitStatus, 2);
  const ToolResult empty = RunDecodeTool({"--gpx"}, "");
  EXPECT_EQ(empty.out, kHead + "</trk>\n</gpx>\n");
}

bool XmllintPresent() { return std::system("xmllint --version >/dev/null 2>&1") == 0; }

TEST(GpxTrackTest, EveryRealLogGivesAValidTrack) {
  if (!XmllintPresent()) GTEST_SKIP() << "xmllint (Debian's libxml2-utils) is not installed";
  const fs::path data = fs::path(ZELMORA_SOURCE_DIR) / "tests" / "data";
  const fs::path schema = data / "gpx-1.1-track.xsd";
  const fs::path out = fs::temp_directory_path() / ("zelmora-gpx-" + std::to_string(getpid()) + ".gpx");
  int logs = 0;
  int withPoints = 0;
  for (const auto& entry : fs::directory_iterator(data)) {
    if (entry.path().extension() != ".log") continue;
    ++logs;
    const ToolResult result = RunDecodeTool({"--gpx", entry.path().string()}, "");
    ASSERT_EQ(result.exitStatus, 0) << entry.path() << result.err;
    if (result.out.find("<trkpt") != std::string::npos) ++withPoints;
    std::ofstream(out, std::ios::binary) << result.out;
    const std::string command = "xmllint --noout --schema '" + schema.string() + "' '" + out.string() + "' 2>&1";
    FILE* lint = popen(command.c_str(), "r");
    ASSERT_NE(lint, nullptr);
    std::string said;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, lint) != nullptr) said += buffer;
    EXPECT_EQ(pclose(lint), 0) << entry.path() << "\n" << said;
  }
  fs::remove(out);
  EXPECT_GE(logs, 10);
  EXPECT_GE(withPoints, logs / 2);
}

TEST(GpxTrackTest, SchemaRefusesWhatGpxRefuses) {
  // The schema file itself must be able to fail: a fix kind GPX does not
  // know and a longitude of 180 are refused.
  if (!XmllintPresent()) GTEST_SKIP() << "xmllint (Debian's libxml2-utils) is not installed";
  const fs::path schema = fs::path(ZELMORA_SOURCE_DIR) / "tests" / "data" / "gpx-1.1-track.xsd";
  const fs::path out = fs::temp_directory_path() / ("zelmora-gpx-bad-" + std::to_string(getpid()) + ".gpx");
  for (const std::string point : {"<trkpt lat=\"1\" lon=\"2\"><fix>4d</fix></trkpt>", "<trkpt lat=\"1\" lon=\"180\"/>",
                                  "<trkpt lat=\"1\" lon=\"2\"><sat>3</sat><ele>4</ele></trkpt>"}) {
    std::ofstream(out, std::ios::binary) << kHead << "<trkseg>" << point << "</trkseg></trk></gpx>\n";
    const std::string command = "xmllint --noout --schema '" + schema.string() + "' '" + out.string() + "' 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0) << point;
  }
  fs::remove(out);
}

}  // namespace
