// The decoder over real receiver logs, compared with its reviewed output, in
// both decoding modes: <log>.expected.jsonl with --gps-only (the handheld's
// decoding), <log>.all-talkers.expected.jsonl with every talker. The logs
// stay in tests/data with their licenses; the expected .jsonl files next to
// this test are our own output (make golden).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/corpus/tool_runner.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = fs::path(ZELMORA_SOURCE_DIR) / "tests" / "data";
const fs::path kExpected = fs::path(ZELMORA_SOURCE_DIR) / "tests" / "corpus";
constexpr const char* kSuffix = ".expected.jsonl";
constexpr const char* kAllTalkersSuffix = ".all-talkers.expected.jsonl";

struct GoldenCase {
  std::string log;
  bool gpsOnly;
};

std::vector<GoldenCase> GoldenCases() {
  std::vector<GoldenCase> cases;
  for (const auto& entry : fs::directory_iterator(kExpected)) {
    const std::string name = entry.path().filename().string();
    if (name.ends_with(kAllTalkersSuffix)) {
      cases.push_back({name.substr(0, name.size() - std::string(kAllTalkersSuffix).size()), false});
    } else if (name.size() > std::string(kSuffix).size() && name.ends_with(kSuffix)) {
      cases.push_back({name.substr(0, name.size() - std::string(kSuffix).size()), true});
    }
  }
  std::sort(cases.begin(), cases.end(), [](const GoldenCase& a, const GoldenCase& b) {
    return std::tie(a.log, a.gpsOnly) < std::tie(b.log, b.gpsOnly);
  });
  return cases;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

class CorpusTest : public testing::TestWithParam<GoldenCase> {};

TEST_P(CorpusTest, DecoderOutputMatchesTheReviewedOutput) {
  const GoldenCase& golden = GetParam();
  const fs::path log = kCorpus / golden.log;
  ASSERT_TRUE(fs::exists(log)) << "receiver log " << log << " is missing";
  std::vector<std::string> arguments{"--stats", log.string()};
  if (golden.gpsOnly) {
    arguments.insert(arguments.begin(), "--gps-only");
  }
  const ToolResult result = RunDecodeTool(arguments, "", "UTC");
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  std::ifstream file(kExpected / (golden.log + (golden.gpsOnly ? kSuffix : kAllTalkersSuffix)), std::ios::binary);
  const std::string expected((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::vector<std::string> actualLines = Lines(result.out);
  const std::vector<std::string> expectedLines = Lines(expected);
  const std::size_t common = std::min(actualLines.size(), expectedLines.size());
  for (std::size_t i = 0; i < common; ++i) {
    ASSERT_EQ(actualLines[i], expectedLines[i])
        << "first difference in output line " << i + 1 << " (run make golden only for a reviewed change)";
  }
  EXPECT_EQ(actualLines.size(), expectedLines.size());
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusTest);
INSTANTIATE_TEST_SUITE_P(Logs, CorpusTest, testing::ValuesIn(GoldenCases()),
                         [](const testing::TestParamInfo<GoldenCase>& info) {
                           std::string name = info.param.log + (info.param.gpsOnly ? "_gps_only" : "_all_talkers");
                           std::replace_if(
                               name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                           return name;
                         });

// The last output line of a group, or an empty string.
std::string LastOfGroup(const std::vector<std::string>& lines, int nGroup) {
  const std::string key = "\"group\":" + std::to_string(nGroup) + ",";
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    if (line->find(key) != std::string::npos) return *line;
  }
  return {};
}

// The number after `"key":` in a JSON line, or NaN when the key is missing.
double NumberOf(const std::string& line, const std::string& key) {
  const std::size_t at = line.find("\"" + key + "\":");
  return at == std::string::npos ? std::nan("") : std::strtod(line.c_str() + at + key.size() + 3, nullptr);
}

// Receivers of the last ten years: position from GN/GP RMC, the fix of
// their GSA set with the sentence's own PDOP, used satellites on the sky.
TEST(CorpusModernReceiverTest, EveryTalkerGivesPositionFixAndUsedSatellites) {
  const struct {
    const char* log;
    double pdop;  // PDOP of the log's last GSA set
  } logs[] = {
      {"ublox-8.log", 1.71},       {"ublox-zed-f9p-nmea.log", 1.18}, {"quectel-eg25-g.log", 3.2},
      {"st-teseo-liv4f.log", 1.5}, {"telit-pls83-w.log", 1.6},       {"sirfstarv-nmea.log", 1.1},
      {"beidou-gb.log", 2.5},
  };
  for (const auto& c : logs) {
    SCOPED_TRACE(c.log);
    const ToolResult result = RunDecodeTool({(kCorpus / c.log).string()}, "", "UTC");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<std::string> lines = Lines(result.out);
    const std::string position = LastOfGroup(lines, 4);
    EXPECT_GT(NumberOf(position, "latitude"), 0.0);
    EXPECT_GT(NumberOf(position, "date"), 0.0);
    const std::string fix = LastOfGroup(lines, 2);
    EXPECT_GE(NumberOf(fix, "fix"), 2.0);
    EXPECT_EQ(NumberOf(fix, "pdop"), c.pdop);
    const std::string sky = LastOfGroup(lines, 3);
    EXPECT_NE(sky.find("\"used\":true"), std::string::npos);
    EXPECT_EQ(sky.find("\"system\":\"unknown\""), std::string::npos);
  }
  // A receiver that sends only GGA and RMC still gives its position.
  const ToolResult rtk = RunDecodeTool({(kCorpus / "nmea-rtk.log").string()}, "", "UTC");
  EXPECT_GT(NumberOf(LastOfGroup(Lines(rtk.out), 4), "latitude"), 0.0);
}

// A GP-only receiver decodes the same altitude, fix and position in both modes.
TEST(CorpusModernReceiverTest, GpOnlyLogsGiveTheSameGroupsInBothModes) {
  for (const char* log : {"aerorust-nmea1.log", "garmin-geko201.log", "gp-320fw-2019-04-07-coldboot.log",
                          "haicom-305N.log", "hp58534a.log", "magellan-ec10.log", "mtk-3301.log"}) {
    SCOPED_TRACE(log);
    const std::string path = (kCorpus / log).string();
    std::vector<std::string> modes[2];
    const std::vector<std::string> outputs[] = {Lines(RunDecodeTool({path}, "", "UTC").out),
                                                Lines(RunDecodeTool({"--gps-only", path}, "", "UTC").out)};
    for (int m = 0; m < 2; ++m) {
      for (const std::string& line : outputs[m]) {
        if (line.find("\"group\":3,") == std::string::npos) modes[m].push_back(line);
      }
    }
    EXPECT_GT(modes[0].size(), 0u);
    EXPECT_EQ(modes[0], modes[1]);
  }
}

TEST(CorpusCoverageTest, EveryLogHasReviewedOutput) {
  ASSERT_TRUE(fs::is_directory(kCorpus)) << "receiver logs " << kCorpus << " are missing";
  for (const auto& entry : fs::directory_iterator(kCorpus)) {
    if (entry.path().extension() == ".log") {
      for (const char* suffix : {kSuffix, kAllTalkersSuffix}) {
        EXPECT_TRUE(fs::exists(kExpected / (entry.path().filename().string() + suffix)))
            << entry.path().filename() << " has no expected output " << suffix << ": run make golden and review it";
      }
    }
  }
}

}  // namespace
