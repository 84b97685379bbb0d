// The decoder over real receiver logs, compared with its reviewed output.
// The logs stay in ../shared/corpus with their licenses; the expected
// .jsonl files next to this test are our own output (make golden).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/corpus/tool_runner.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = fs::path(ZELMORA_SOURCE_DIR) / "tests" / "data";
const fs::path kExpected = fs::path(ZELMORA_SOURCE_DIR) / "tests" / "corpus";
constexpr const char* kSuffix = ".expected.jsonl";

std::vector<std::string> GoldenLogs() {
  std::vector<std::string> logs;
  for (const auto& entry : fs::directory_iterator(kExpected)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > std::string(kSuffix).size() && name.ends_with(kSuffix)) {
      logs.push_back(name.substr(0, name.size() - std::string(kSuffix).size()));
    }
  }
  std::sort(logs.begin(), logs.end());
  return logs;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

class CorpusTest : public testing::TestWithParam<std::string> {};

TEST_P(CorpusTest, DecoderOutputMatchesTheReviewedOutput) {
  const fs::path log = kCorpus / GetParam();
  ASSERT_TRUE(fs::exists(log)) << "receiver log " << log << " is missing";
  const ToolResult result = RunDecodeTool({"--stats", log.string()}, "", "UTC");
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  std::ifstream file(kExpected / (GetParam() + kSuffix), std::ios::binary);
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
INSTANTIATE_TEST_SUITE_P(Logs, CorpusTest, testing::ValuesIn(GoldenLogs()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace_if(
                               name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                           return name;
                         });

TEST(CorpusCoverageTest, EveryLogHasReviewedOutput) {
  ASSERT_TRUE(fs::is_directory(kCorpus)) << "receiver logs " << kCorpus << " are missing";
  for (const auto& entry : fs::directory_iterator(kCorpus)) {
    if (entry.path().extension() == ".log") {
      EXPECT_TRUE(fs::exists(kExpected / (entry.path().filename().string() + kSuffix)))
          << entry.path().filename() << " has no expected output: run make golden and review it";
    }
  }
}

}  // namespace
