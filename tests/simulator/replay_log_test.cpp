#include "simulator/replay_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::vector<std::vector<std::string>> Epochs(sim::ReplayLog& log) {
  std::vector<std::vector<std::string>> epochs;
  for (std::size_t i = 0; i < log.EpochCount(); ++i) epochs.push_back(log.NextEpoch());
  return epochs;
}

std::string Repeated(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

TEST(ReplayLog, CutsEpochsWhereTheTimeChanges) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::size_t> sizes;
  };
  const Case cases[] = {
      {"GGA opens each second",
       "$GPGGA,120000.000,,,,,0,00,,,M,,M,,*00\r\n$GPGSA,A,1,,,,,,,,,,,,,,,*1E\r\n$GPRMC,120000.000,V,,*00\r\n"
       "$GPGGA,120001.000,,,,,0,00,,,M,,M,,*00\r\n$GPGSA,A,1,,,,,,,,,,,,,,,*1E\r\n",
       {3, 2}},
      {"GLL carries its time in field 5",
       "$GPGLL,4916.45,N,12311.12,W,225444,A*00\n$GPGSV,1,1,00*79\n$GPGLL,4916.45,N,12311.12,W,225445,A*00\n",
       {2, 1}},
      {"comments and blank lines are not sent",
       "# Name: test\n#\n\n$GPRMC,000001,A*00\r\n\r\n# note\n$GPRMC,000002,A*00\r\n",
       {1, 1}},
      {"talkers other than GP", "$GNRMC,000001,A*00\n$GLGSV,1,1,00*00\n$GNRMC,000002,A*00\n", {2, 1}},
      {"no time at all: portions of 20 lines", Repeated("$GPGSV,1,1,00*79\n", 45), {20, 20, 5}},
  };
  for (const Case& c : cases) {
    sim::ReplayLog log(c.text);
    std::vector<std::size_t> sizes;
    for (const auto& epoch : Epochs(log)) sizes.push_back(epoch.size());
    EXPECT_EQ(sizes, c.sizes) << c.name;
  }
}

TEST(ReplayLog, SendsEveryLineWithCrLfAndLoops) {
  // Telit's receiver really ends its lines with CR CR LF: kept as it is.
  sim::ReplayLog log("$GPRMC,000001,A*00\n$GPGSA,A,1*00\r\r\n$GPRMC,000002,A*00\r\n$GPGSV,1,1,00*79");
  ASSERT_EQ(log.EpochCount(), 2u);
  const std::vector<std::string> first = log.NextEpoch();
  EXPECT_EQ(first, (std::vector<std::string>{"$GPRMC,000001,A*00\r\n", "$GPGSA,A,1*00\r\r\n"}));
  EXPECT_EQ(log.NextEpoch().back(), "$GPGSV,1,1,00*79\r\n");
  EXPECT_EQ(log.NextEpoch(), first);
}

TEST(ReplayLog, LoadReportsWhatIsWrong) {
  std::string error;
  EXPECT_FALSE(sim::ReplayLog::Load("/nonexistent/zelmora.log", &error));
  EXPECT_NE(error.find("/nonexistent/zelmora.log"), std::string::npos);

  const std::filesystem::path path = std::filesystem::path(ZELMORA_BINARY_DIR) / "replay_log_test_comments.log";
  std::ofstream(path) << "# only a comment\n\n";
  error.clear();
  EXPECT_FALSE(sim::ReplayLog::Load(path.string(), &error));
  EXPECT_NE(error.find("no sentence"), std::string::npos);
  std::filesystem::remove(path);

  const std::string corpus = std::string(ZELMORA_SOURCE_DIR) + "/tests/data/sirfstarv-nmea.log";
  std::optional<sim::ReplayLog> log = sim::ReplayLog::Load(corpus, &error);
  ASSERT_TRUE(log) << error;
  EXPECT_GT(log->EpochCount(), 10u);
  EXPECT_EQ(log->NextEpoch().front(),
            "$GPGGA,020935.000,4404.1351,N,12118.8556,W,1,08,0.9,1123.9,M,-19.6,M,,0000*5E\r\n");
}

}  // namespace
