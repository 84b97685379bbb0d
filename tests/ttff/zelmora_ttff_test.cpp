// zelmora-ttff as a user runs it, against a scripted fake receiver on a
// pseudo-terminal: a MediaTek that answers its probe, fixes 0.7 s after the
// first cold start and never after the second. Its JSON lines and its CSV
// file must tell the same story.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/ttff/sentences.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> CsvFields(const std::string& row) {
  std::vector<std::string> fields;
  std::istringstream stream(row);
  for (std::string field; std::getline(stream, field, ',');) fields.push_back(field);
  if (!row.empty() && row.back() == ',') fields.emplace_back();
  return fields;
}

// The value of a JSON line's member `name` as written (a number, true, or a
// string with its quotes); empty when absent.
std::string Member(const std::string& json, const std::string& name) {
  const std::size_t at = json.find("\"" + name + "\":");
  if (at == std::string::npos) return {};
  const std::size_t start = at + name.size() + 3;
  std::size_t end = start;
  if (json[start] == '"') {
    end = json.find('"', start + 1) + 1;
  } else {
    end = json.find_first_of(",}", start);
  }
  return json.substr(start, end - start);
}

class ZelmoraTtffTool : public ::testing::Test {
 protected:
  void SetUp() override {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    ASSERT_GE(m_master, 0);
    ASSERT_EQ(grantpt(m_master), 0);
    ASSERT_EQ(unlockpt(m_master), 0);
    m_slavePath = ptsname(m_master);
    // Held open so that the pseudo-terminal lives between the tool's opens.
    m_slave = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(m_slave, 0);
    // Raw from the start: no echo of the receiver's sentences before the
    // tool sets the line up.
    termios tio{};
    ASSERT_EQ(tcgetattr(m_slave, &tio), 0);
    cfmakeraw(&tio);
    ASSERT_EQ(tcsetattr(m_slave, TCSANOW, &tio), 0);
    char base[] = "/tmp/zelmora-ttff-test-XXXXXX";
    ASSERT_NE(mkdtemp(base), nullptr);
    m_dir = base;
  }
  void TearDown() override {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    close(m_slave);
    close(m_master);
    std::filesystem::remove_all(m_dir);
  }

  void Spawn(std::vector<std::string> args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (m_dir + "/out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (m_dir + "/err").c_str(), O_WRONLY | O_CREAT, 0600);
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
      if (std::string(*e).rfind("XDG_DATA_HOME=", 0) != 0) env.emplace_back(*e);
    }
    env.push_back("XDG_DATA_HOME=" + m_dir + "/data");
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    args.insert(args.begin(), ZELMORA_TTFF_TOOL);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
  }

  // Waits for the tool's exit, for at most `limit`; its status.
  int Wait(std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
      if (Clock::now() > end) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void Send(const std::string& bytes) { ASSERT_EQ(write(m_master, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

  int m_master = -1;
  int m_slave = -1;
  std::string m_slavePath;
  std::string m_dir;
  pid_t m_pid = 0;
};

TEST_F(ZelmoraTtffTool, IdentifiesByProbeRunsTheTestAndSavesWhatItPrints) {
  // Seed 17 draws the shortest first wait among the small seeds (5.014 s).
  Spawn({"--port", m_slavePath, "--speed", "9600", "--kind", "cold", "--runs", "2", "--timeout", "3", "--seed", "17"});
  // The fake receiver: an epoch every 200 ms, without a fix until 0.7 s
  // after the first cold start, never after the second.
  const std::string coldStart = "$PMTK103*30\r\n";
  std::string heard;
  std::size_t starts = 0;
  bool answered = false;
  Clock::time_point fixFrom = Clock::time_point::max();
  Clock::time_point nextEpoch = Clock::now();
  const auto end = Clock::now() + std::chrono::seconds(60);
  int status = 0;
  while (Clock::now() < end) {
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = 0;
      break;
    }
    char buffer[256];
    for (ssize_t n; (n = read(m_master, buffer, sizeof buffer)) > 0;) heard.append(buffer, n);
    if (!answered && heard.find("$PMTK605*31\r\n") != std::string::npos) {
      Send(Sentence("PMTK705,AXN_5.1.7_3333_19020118,0027,MTK3339,1.0"));
      answered = true;
    }
    std::size_t count = 0;
    for (std::size_t at = heard.find(coldStart); at != std::string::npos; at = heard.find(coldStart, at + 1)) ++count;
    if (count > starts) {
      starts = count;
      fixFrom = starts == 1 ? Clock::now() + std::chrono::milliseconds(700) : Clock::time_point::max();
    }
    if (Clock::now() >= nextEpoch) {
      nextEpoch += std::chrono::milliseconds(200);
      if (Clock::now() >= fixFrom) {
        Send(GgaWithQuality(1) + Sentence("GPGSV,1,1,04,01,40,083,40,02,17,308,44,03,07,344,38,04,50,100,42") +
             RmcWithStatus('A'));
      } else {
        Send(GgaWithQuality(0) + RmcWithStatus('V'));
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(m_pid, 0) << "still running after a minute";
  const std::string err = ReadAll(m_dir + "/err");
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << err;
  // Identified by its probe, the only one written; two cold starts.
  EXPECT_NE(err.find("MediaTek AXN_5.1.7_3333_19020118,0027,MTK3339,1.0 (answered its probe)"), std::string::npos)
      << err;
  EXPECT_EQ(heard, "$PMTK605*31\r\n" + coldStart + coldStart);

  const std::vector<std::string> out = Lines(ReadAll(m_dir + "/out"));
  ASSERT_EQ(out.size(), 3u) << ReadAll(m_dir + "/out");
  const std::string ttff = Member(out[0], "ttff");
  ASSERT_FALSE(ttff.empty()) << out[0];
  EXPECT_GT(std::stod(ttff), 0.6);
  EXPECT_LT(std::stod(ttff), 5.0);
  EXPECT_EQ(Member(out[0], "family"), "\"MediaTek\"");
  EXPECT_EQ(Member(out[0], "kind"), "\"cold\"");
  EXPECT_EQ(Member(out[0], "sent"), "\"24504D544B3130332A33300D0A\"");
  EXPECT_EQ(Member(out[1], "timeout"), "true");
  EXPECT_EQ(Member(out[1], "ttff"), "");
  EXPECT_EQ(Member(out[2], "valid"), "\"1 of 2\"");
  EXPECT_EQ(Member(out[2], "timeouts"), "1");
  EXPECT_EQ(Member(out[2], "mean"), ttff);

  // The CSV: named by the port, its path on standard error, its rows the JSON's.
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir + "/data/zelmora")) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  const std::string name = files[0].filename().string();
  std::string port = m_slavePath.substr(5);  // "pts/N"
  port[3] = '-';
  EXPECT_EQ(name.rfind("ttff-", 0), 0u);
  EXPECT_EQ(name.substr(name.size() - port.size() - 5), "-" + port + ".csv");
  EXPECT_NE(err.find("runs saved in " + files[0].string()), std::string::npos) << err;
  const std::vector<std::string> rows = Lines(ReadAll(files[0].string()));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].rfind("run,utc_start,", 0), 0u);
  for (int run = 0; run < 2; ++run) {
    const std::vector<std::string> fields = CsvFields(rows[run + 1]);
    ASSERT_EQ(fields.size(), 11u) << rows[run + 1];
    EXPECT_EQ(fields[0], Member(out[run], "run"));
    EXPECT_EQ("\"" + fields[1] + "\"", Member(out[run], "utc_start"));
    EXPECT_EQ(fields[2], "mediatek");
    EXPECT_EQ("\"" + fields[4] + "\"", Member(out[run], "sent"));
    EXPECT_EQ(fields[5], Member(out[run], "ttff"));
    EXPECT_EQ(fields[6], run == 0 ? "0" : "1");
    EXPECT_EQ(fields[7], Member(out[run], "latitude"));
    EXPECT_EQ(fields[9], Member(out[run], "satellites_used"));
    EXPECT_EQ(fields[10], Member(out[run], "mean_cn0_top4"));
  }
  EXPECT_EQ(CsvFields(rows[1])[9], "8");
  EXPECT_EQ(CsvFields(rows[1])[10], "41.0");  // (40 + 44 + 38 + 42) / 4
}

TEST_F(ZelmoraTtffTool, RefusesAPortItCannotOpenAndAStartTheFamilyLacks) {
  Spawn({"--port", m_dir + "/no-such-tty", "--kind", "hot"});
  EXPECT_EQ(Wait(std::chrono::seconds(20)), 1);
  EXPECT_NE(ReadAll(m_dir + "/err").find("cannot open " + m_dir + "/no-such-tty"), std::string::npos);

  std::filesystem::remove(m_dir + "/err");
  Spawn({"--port", m_slavePath, "--kind", "factory", "--family", "ublox"});
  EXPECT_EQ(Wait(std::chrono::seconds(20)), 2);
  EXPECT_NE(ReadAll(m_dir + "/err").find("u-blox receivers have no factory start"), std::string::npos)
      << ReadAll(m_dir + "/err");
  EXPECT_FALSE(std::filesystem::exists(m_dir + "/data"));
}

// The tool against the simulated u-blox receiver: identified by its
// answer, five warm starts written as UBX frames, each timed from its frame
// to the fix the receiver drew for it (the receiver runs ten times fast),
// and the CSV the JSON's rows.
TEST_F(ZelmoraTtffTool, AFiveRunWarmTestOfTheSimulatedUblox) {
  pid_t receiver = 0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (m_dir + "/receiver").c_str(), O_WRONLY | O_CREAT, 0600);
  std::vector<std::string> args = {ZELMORA_RECEIVER_TOOL, "--family", "ublox", "--time-scale", "10", "--seed", "7"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ASSERT_EQ(posix_spawn(&receiver, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  std::string port;
  for (int i = 0; i < 500 && port.empty(); ++i) {
    port = ReadAll(m_dir + "/receiver");
    if (port.find('\n') == std::string::npos) port.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  port = port.substr(0, port.find('\n'));
  ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;

  Spawn({"--port", port, "--kind", "warm", "--runs", "5", "--timeout", "30", "--seed", "3"});
  const int status = Wait(std::chrono::seconds(200));
  kill(receiver, SIGTERM);
  waitpid(receiver, nullptr, 0);
  ASSERT_EQ(status, 0) << ReadAll(m_dir + "/err");
  // Named by its banner when the tool opened the port in time for it, else
  // by its answer to the probe.
  EXPECT_NE(ReadAll(m_dir + "/err").find("zelmora-ttff: u-blox "), std::string::npos) << ReadAll(m_dir + "/err");

  const std::vector<std::string> out = Lines(ReadAll(m_dir + "/out"));
  ASSERT_EQ(out.size(), 6u);
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir + "/data/zelmora")) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  const std::vector<std::string> rows = Lines(ReadAll(files[0].string()));
  ASSERT_EQ(rows.size(), 6u);
  for (int run = 0; run < 5; ++run) {
    SCOPED_TRACE(out[run]);
    EXPECT_EQ(Member(out[run], "sent"), "\"B5620604040001000200116C\"");
    // Warm starts draw 24-38 s, a tenth of it here, and the fix comes with
    // the next whole epoch.
    const double ttff = std::stod(Member(out[run], "ttff"));
    EXPECT_GE(ttff, 2.3);
    EXPECT_LE(ttff, 5.0);
    const std::vector<std::string> fields = CsvFields(rows[run + 1]);
    ASSERT_EQ(fields.size(), 11u);
    EXPECT_EQ(fields[2], "ublox");
    EXPECT_EQ(fields[5], Member(out[run], "ttff"));
    EXPECT_EQ(fields[7], Member(out[run], "latitude"));
  }
  EXPECT_EQ(Member(out[5], "valid"), "\"5 of 5\"");
}

}  // namespace
