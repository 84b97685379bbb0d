// The CSV of a finished test: its rows, its name, its folder, and a write
// that fails with the path and the reason.
#include "ttff/ttff_csv.h"

#include <gtest/gtest.h>

#include <clocale>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::vector<TtffRunRecord> TwoRuns() {
  TtffRunRecord fix;
  fix.number = 1;
  fix.utcStartMs = 1796710500250;  // 2026-12-08 06:15:00.250 UTC
  fix.family = "mediatek";
  fix.kind = StartKind::Cold;
  fix.commandHex = "24504D544B3130332A33300D0A";
  fix.ttffSeconds = 32.25;
  fix.latitude = 48.1173;
  fix.longitude = -11.5166666;
  fix.satellitesUsed = 8;
  fix.meanCn0 = 42.5;
  TtffRunRecord timeout = fix;
  timeout.number = 2;
  timeout.utcStartMs += 140000;
  timeout.timedOut = true;
  timeout.latitude.reset();
  timeout.longitude.reset();
  timeout.satellitesUsed.reset();
  timeout.meanCn0.reset();
  return {fix, timeout};
}

TEST(TtffCsv, OneRowPerRunUnderAHeader) {
  // Decimal points whatever the locale: a comma would split a field.
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.utf8");
  const std::string text = TtffCsvText(TwoRuns());
  if (german) std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(text,
            "run,utc_start,family,kind,command_hex,ttff_s,timeout,latitude,longitude,satellites_used,mean_cn0_top4\n"
            "1,2026-12-08T06:15:00.250Z,mediatek,cold,24504D544B3130332A33300D0A,32.250,0,48.1173000,-11.5166666,8,"
            "42.5\n"
            "2,2026-12-08T06:17:20.250Z,mediatek,cold,24504D544B3130332A33300D0A,,1,,,,\n");
}

TEST(TtffCsv, NamedByTheStartAndThePort) {
  EXPECT_EQ(TtffCsvFileName(1796710500250, "/dev/ttyUSB0"), "ttff-2026-12-08T061500-ttyUSB0.csv");
  EXPECT_EQ(TtffCsvFileName(1796710500250, "/dev/pts/3"), "ttff-2026-12-08T061500-pts-3.csv");
}

struct Environment {
  Environment(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~Environment() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }
  const char* m_name;
  std::optional<std::string> m_old;
};

TEST(TtffCsv, FolderFollowsXdgDataHome) {
  Environment home("HOME", "/home/tester");
  {
    Environment data("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(TtffDataFolder(), "/srv/data/zelmora");
  }
  {
    Environment data("XDG_DATA_HOME", "relative/data");  // not absolute: ignored
    EXPECT_EQ(TtffDataFolder(), "/home/tester/.local/share/zelmora");
  }
  Environment data("XDG_DATA_HOME", nullptr);
  EXPECT_EQ(TtffDataFolder(), "/home/tester/.local/share/zelmora");
}

TEST(TtffCsv, WritesThroughAMissingFolderAndReportsAFailureWithItsPath) {
  char base[] = "/tmp/ttff-csv-XXXXXX";
  ASSERT_NE(mkdtemp(base), nullptr);
  const std::string folder = std::string(base) + "/share/zelmora";
  std::string error;
  const std::string path = WriteTtffCsv(folder, "ttff.csv", TtffCsvText(TwoRuns()), &error);
  ASSERT_EQ(path, folder + "/ttff.csv") << error;
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), TtffCsvText(TwoRuns()));

  // A folder where a file is: the path and the reason.
  const std::string blocked = std::string(base) + "/blocked";
  std::ofstream(blocked) << "x";
  EXPECT_EQ(WriteTtffCsv(blocked + "/zelmora", "ttff.csv", "x", &error), "");
  EXPECT_NE(error.find(blocked + "/zelmora/ttff.csv: "), std::string::npos) << error;
  EXPECT_GT(error.size(), (blocked + "/zelmora/ttff.csv: ").size());
  std::system(("rm -rf " + std::string(base)).c_str());
}

}  // namespace
