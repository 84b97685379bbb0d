// The TTFF page over the Setup page's session: the program's sheet with a
// simulated receiver of one family on COM1: at 4800 bps, on simulated time.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "acquisition/gps_read_thread.h"
#include "pages/ttff_page.h"
#include "platform/core/utf8.h"
#include "receivers/receiver_family.h"
#include "session_fixture.h"
#include "ttff/ttff_csv.h"
#include "ttff/ttff_runner.h"

namespace {

class TtffPageTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    dataHome_ = std::filesystem::temp_directory_path() / ("zelmora-ttff-page-" + std::to_string(getpid()));
    std::filesystem::remove_all(dataHome_);
    const char* old = std::getenv("XDG_DATA_HOME");
    if (old != nullptr) oldDataHome_ = old;
    setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
  }
  void TearDown() override {
    if (oldDataHome_) {
      setenv("XDG_DATA_HOME", oldDataHome_->c_str(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
    std::filesystem::remove_all(dataHome_);
    SessionTest::TearDown();
  }

  static sim::ReceiverOptions Receiver(const char* family) {
    sim::ReceiverOptions options;
    options.family = family;
    options.seed = 7;
    options.time_scale = 8.0;  // cold starts of 4 to 5 s
    return options;
  }
  // Start GPS on the Setup page, then the TTFF page in front.
  void StartSessionAndShowTtff() {
    Click(IDC_SETUP_START_STOP);
    ASSERT_TRUE(PassUntil([this] { return !SetupText(IDC_SETUP_RAW_TEXT).empty(); }, 3000));
    ShowTtff();
  }
  void ShowTtff() {
    ShowPage(2);
    ttff_ = dynamic_cast<CTtffPpg*>(CWnd::FromHandlePermanent(ShownPage()));
    ASSERT_NE(ttff_, nullptr);
    ttff_->m_nSeed = 11;
  }
  void ClickTtff(UINT id) { SendMessageW(GetDlgItem(ttff_->m_hWnd, static_cast<int>(id)), BM_CLICK, 0, 0); }
  std::wstring TtffText(UINT id) {
    wchar_t text[2048] = {};
    GetWindowTextW(GetDlgItem(ttff_->m_hWnd, static_cast<int>(id)), text, 2048);
    return text;
  }
  bool TtffEnabled(UINT id) { return IsWindowEnabled(GetDlgItem(ttff_->m_hWnd, static_cast<int>(id))) != FALSE; }
  void ChooseRuns(int runs) { SendDlgItemMessageW(ttff_->m_hWnd, IDC_TTFF_RUNS, CB_SETCURSEL, runs - 1, 0); }
  // Identify, until the page names the receiver.
  void Identify() {
    ClickTtff(IDC_TTFF_IDENTIFY);
    ASSERT_TRUE(ttff_->Identifying());
    ASSERT_TRUE(PassUntil([this] { return !ttff_->Identifying(); }, 20000));
  }
  static bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
  }

  std::filesystem::path dataHome_;
  std::optional<std::string> oldDataHome_;
  CTtffPpg* ttff_ = nullptr;
};

TEST_F(TtffPageTest, AThreeRunColdTestWritesOnlyTheColdStartsAndSummarisesTheRunsItSaves) {
  sim::SimulatedReceiver& receiver = AddReceiver(1, Receiver("mediatek"));
  RunSheet([&] {
    ShowTtff();
    // Without a session nothing can be sent: both buttons wait for Start GPS.
    EXPECT_FALSE(TtffEnabled(IDC_TTFF_START_STOP));
    EXPECT_FALSE(TtffEnabled(IDC_TTFF_IDENTIFY));
    EXPECT_TRUE(Contains(TtffText(IDC_TTFF_RESULTS), L"start GPS"));
    ShowPage(0);
    StartSessionAndShowTtff();
    EXPECT_TRUE(TtffEnabled(IDC_TTFF_START_STOP));
    EXPECT_EQ(TtffText(IDC_TTFF_RUNS), L"10") << "ten runs by default";
    EXPECT_EQ(TtffText(IDC_TTFF_TIMEOUT), L"120 s");
    Identify();
    EXPECT_EQ(TtffText(IDC_TTFF_RECEIVER), L"MediaTek\r\nAXN_5.1.7_3333_19020118");
    EXPECT_EQ(SendDlgItemMessageW(ttff_->m_hWnd, IDC_TTFF_KIND, CB_GETCOUNT, 0, 0), 4)
        << "MediaTek has a factory start";
    EXPECT_EQ(TtffText(IDC_TTFF_KIND), L"cold");
    ChooseRuns(3);

    const std::size_t before = log_->Written().size();
    ClickTtff(IDC_TTFF_START_STOP);
    ASSERT_TRUE(ttff_->Testing());
    EXPECT_EQ(TtffText(IDC_TTFF_START_STOP), L"Stop test");
    EXPECT_FALSE(TtffEnabled(IDC_TTFF_IDENTIFY));
    ASSERT_TRUE(PassUntil([this] { return TtffText(IDC_TTFF_ELAPSED).find(L"1/3: 2 s") == 0; }, 5000))
        << "the count-up shows the run under way";
    ASSERT_TRUE(PassUntil([this] { return !ttff_->Testing(); }, 90000));

    const std::string cold = StartCommandBytes(*FindReceiverFamily("mediatek"), StartKind::Cold);
    EXPECT_EQ(log_->Written().substr(before), cold + cold + cold);
    EXPECT_EQ(receiver.Stats().starts[static_cast<int>(StartKind::Cold)], 3u);
    const CTtffRunner& runner = *ttff_->Runner();
    ASSERT_EQ(runner.Runs().size(), 3u);
    std::vector<double> ttffs;
    for (const TtffRunRecord& run : runner.Runs()) {
      EXPECT_FALSE(run.timedOut);
      ttffs.push_back(run.ttffSeconds);
    }
    // The simulated receiver's cold starts take 30 to 40 s, scaled by 8.
    for (double seconds : ttffs) EXPECT_TRUE(seconds > 3.0 && seconds < 6.0) << seconds;
    const double mean = std::accumulate(ttffs.begin(), ttffs.end(), 0.0) / 3.0;
    const std::wstring results = TtffText(IDC_TTFF_RESULTS);
    EXPECT_TRUE(Contains(results, L"Valid 3 of 3, timeouts 0")) << results.c_str();
    EXPECT_TRUE(Contains(results, L"Mean " + Utf8ToWide(FixedText(mean, 1)) + L" s")) << results.c_str();
    EXPECT_TRUE(Contains(results, L"Run 3: " + Utf8ToWide(TtffSecondsText(ttffs[2])) + L" s")) << results.c_str();
    EXPECT_EQ(TtffText(IDC_TTFF_START_STOP), L"Start test");
    EXPECT_TRUE(TtffEnabled(IDC_TTFF_IDENTIFY));

    // The file is where the results box says, one row a run.
    const std::filesystem::path saved = ttff_->SavedPath();
    EXPECT_EQ(saved.parent_path(), dataHome_ / "zelmora");
    EXPECT_TRUE(Contains(results, Utf8ToWide(saved.filename().string()))) << results.c_str();
    std::ifstream file(saved);
    std::string line;
    int rows = 0;
    while (std::getline(file, line)) ++rows;
    EXPECT_EQ(rows, 4);
    EXPECT_FALSE(setup_->m_tap.Enabled()) << "the tap costs nothing once the test is over";
  });
}

// Twenty cold starts of a receiver of each family, through the page: the
// family is named, only its cold start goes out, once a run, and the summary
// and the file hold exactly the runs made.
class TtffPageFamilyTest : public TtffPageTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TtffPageFamilyTest, ATwentyRunColdTestSummarisesAndSavesEveryRun) {
  const ReceiverFamily& family = *FindReceiverFamily(GetParam());
  sim::SimulatedReceiver& receiver = AddReceiver(1, Receiver(GetParam()));
  RunSheet([&] {
    StartSessionAndShowTtff();
    Identify();
    if (family.probe.kind == FamilyCommand::Kind::None) {
      // SiRF's NMEA has neither a banner nor a probe: no family answers, and
      // the test sends SiRF's starts as Cold Start does.
      EXPECT_EQ(TtffText(IDC_TTFF_RECEIVER), L"unknown");
    } else {
      EXPECT_EQ(TtffText(IDC_TTFF_RECEIVER).find(Utf8ToWide(std::string(family.name))), 0u)
          << TtffText(IDC_TTFF_RECEIVER).c_str();
    }
    EXPECT_EQ(TtffText(IDC_TTFF_KIND), L"cold");
    ChooseRuns(20);
    const std::size_t before = log_->Written().size();
    ClickTtff(IDC_TTFF_START_STOP);
    ASSERT_TRUE(ttff_->Testing());
    // 20 runs of at most about 6 s and waits of at most 15 s.
    ASSERT_TRUE(PassUntil([this] { return !ttff_->Testing(); }, 600000));

    std::string colds;
    for (int run = 0; run < 20; ++run) colds += StartCommandBytes(family, StartKind::Cold);
    EXPECT_EQ(log_->Written().substr(before), colds);
    EXPECT_EQ(receiver.Stats().starts[static_cast<int>(StartKind::Cold)], 20u);

    const std::vector<TtffRunRecord>& runs = ttff_->Runner()->Runs();
    ASSERT_EQ(runs.size(), 20u);
    std::vector<double> ttffs;
    for (const TtffRunRecord& run : runs) {
      EXPECT_FALSE(run.timedOut);
      ttffs.push_back(run.ttffSeconds);
    }
    std::sort(ttffs.begin(), ttffs.end());
    const double mean = std::accumulate(ttffs.begin(), ttffs.end(), 0.0) / 20.0;
    const std::wstring results = TtffText(IDC_TTFF_RESULTS);
    EXPECT_TRUE(Contains(results, L"Valid 20 of 20, timeouts 0")) << results.c_str();
    EXPECT_TRUE(Contains(results, L"Mean " + Utf8ToWide(FixedText(mean, 1)) + L" s, median " +
                                      Utf8ToWide(FixedText((ttffs[9] + ttffs[10]) / 2, 1)) + L" s"))
        << results.c_str();
    EXPECT_TRUE(Contains(results, L"min " + Utf8ToWide(FixedText(ttffs.front(), 1)) + L" s, max " +
                                      Utf8ToWide(FixedText(ttffs.back(), 1)) + L" s"))
        << results.c_str();

    std::ifstream file(ttff_->SavedPath());
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(file, line)) rows.push_back(line);
    ASSERT_EQ(rows.size(), 21u) << "a header and a row a run";
    for (std::size_t run = 0; run < 20; ++run) {
      EXPECT_NE(rows[run + 1].find(TtffSecondsText(runs[run].ttffSeconds)), std::string::npos) << rows[run + 1];
    }
  });
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, TtffPageFamilyTest,
                         ::testing::Values("sirf", "mediatek", "ublox", "quectel-pqtm", "quectel-pair", "teseo",
                                           "casic"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name;
                           for (const char* c = info.param; *c != '\0'; ++c) {
                             if (*c != '-') name += *c;
                           }
                           return name;
                         });

TEST_F(TtffPageTest, ARunWithoutAFixInTheTimeoutCountsAsOneTimeoutAndTheTestGoesOn) {
  sim::SimulatedReceiver& receiver = AddReceiver(1, Receiver("mediatek"));
  RunSheet([&] {
    StartSessionAndShowTtff();
    Identify();
    ChooseRuns(2);
    SendDlgItemMessageW(ttff_->m_hWnd, IDC_TTFF_TIMEOUT, CB_SETCURSEL, 0, 0);
    ASSERT_EQ(TtffText(IDC_TTFF_TIMEOUT), L"30 s");
    const std::size_t before = log_->Written().size();
    ClickTtff(IDC_TTFF_START_STOP);
    ASSERT_TRUE(PassUntil([&] { return log_->Written().size() > before; }, 2000));
    // Silent for longer than the timeout: the first run gets no fix.
    receiver.GoSilent(40000);
    ASSERT_TRUE(PassUntil([this] { return !ttff_->Testing(); }, 200000));
    const std::vector<TtffRunRecord>& runs = ttff_->Runner()->Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].timedOut);
    EXPECT_FALSE(runs[1].timedOut);
    const std::wstring results = TtffText(IDC_TTFF_RESULTS);
    EXPECT_TRUE(Contains(results, L"Valid 1 of 2, timeouts 1")) << results.c_str();
    EXPECT_TRUE(Contains(results, L"SD -,")) << results.c_str();
    EXPECT_TRUE(Contains(results, L"Run 1: timeout")) << results.c_str();
  });
}

TEST_F(TtffPageTest, StopTestEndsTheTestAtOnceAndNothingMoreIsWritten) {
  AddReceiver(1, Receiver("mediatek"));
  RunSheet([&] {
    StartSessionAndShowTtff();
    Identify();
    ChooseRuns(5);
    const std::size_t before = log_->Written().size();
    ClickTtff(IDC_TTFF_START_STOP);
    ASSERT_TRUE(PassUntil([&] { return log_->Written().size() > before; }, 2000));
    Pass(1000);
    ClickTtff(IDC_TTFF_START_STOP);
    EXPECT_FALSE(ttff_->Testing());
    EXPECT_EQ(TtffText(IDC_TTFF_START_STOP), L"Start test");
    EXPECT_TRUE(ttff_->Runner()->Summary().stopped);
    EXPECT_TRUE(Contains(TtffText(IDC_TTFF_RESULTS), L"Stopped after 0 of 5 runs"))
        << TtffText(IDC_TTFF_RESULTS).c_str();
    EXPECT_TRUE(ttff_->Runner()->Runs().empty()) << "the run under way is dropped";
    EXPECT_FALSE(setup_->m_tap.Enabled());
    const std::size_t written = log_->Written().size();
    Pass(30000);
    EXPECT_EQ(log_->Written().size(), written);
  });
}

TEST_F(TtffPageTest, TheTestGoesOnOverAReconnectOfTheSession) {
  sim::SimulatedReceiver& receiver = AddReceiver(1, Receiver("mediatek"));
  RunSheet([&] {
    StartSessionAndShowTtff();
    Identify();
    ChooseRuns(2);
    const std::size_t before = log_->Written().size();
    ClickTtff(IDC_TTFF_START_STOP);
    ASSERT_TRUE(PassUntil([&] { return log_->Written().size() > before; }, 2000));
    // The receiver falls silent as one that reboots on the reset: the Setup
    // page gives up the reader and makes a new one.
    receiver.GoSilent(8000);
    ASSERT_TRUE(PassUntil([&] { return setup_->m_pReadThread == nullptr; }, 8000));
    ASSERT_TRUE(PassUntil([&] { return setup_->m_pReadThread != nullptr; }, 3000));
    EXPECT_TRUE(ttff_->Testing());
    ASSERT_TRUE(PassUntil([this] { return !ttff_->Testing(); }, 90000));
    const TtffSummary summary = ttff_->Runner()->Summary();
    EXPECT_EQ(summary.runs, 2);
    EXPECT_EQ(summary.valid, 2) << "the lines of the new reader reached the test";
    EXPECT_FALSE(summary.stopped);
    // The first run's fix came only once the receiver talked again.
    EXPECT_GT(ttff_->Runner()->Runs()[0].ttffSeconds, 8.0);
    EXPECT_EQ(log_->Opens().size(), 2u);
  });
}

TEST_F(TtffPageTest, IdentifyNamesAReceiverWithoutABannerByItsProbe) {
  AddReceiver(1, Receiver("quectel-pair"));
  RunSheet([&] {
    StartSessionAndShowTtff();
    Pass(3000);
    EXPECT_EQ(TtffText(IDC_TTFF_RECEIVER), L"unknown") << "its sentences do not name it";
    Identify();
    EXPECT_EQ(TtffText(IDC_TTFF_RECEIVER), L"Quectel/Airoha (PAIR)\r\nLC29HAANR11A03S_RSA");
    const std::string probe = CommandBytes(FindReceiverFamily("quectel-pair")->probe);
    EXPECT_NE(log_->Written().find(probe), std::string::npos);
    EXPECT_EQ(SendDlgItemMessageW(ttff_->m_hWnd, IDC_TTFF_KIND, CB_GETCOUNT, 0, 0), 4);
    EXPECT_FALSE(setup_->m_tap.Enabled());
  });
}

}  // namespace
