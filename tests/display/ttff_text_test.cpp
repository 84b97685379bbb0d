// What the TTFF page shows of a test, from hand-made runs.
#include <gtest/gtest.h>

#include "display/ttff_text.h"

namespace {

TtffRunRecord MakeRun(int number, double seconds, bool timedOut = false) {
  TtffRunRecord run;
  run.number = number;
  run.ttffSeconds = seconds;
  run.timedOut = timedOut;
  return run;
}

TEST(TtffText, TheReceiverShowsTheVersionsFirstFieldOnItsOwnLineAndUnknownWithoutAFamily) {
  const ReceiverFamily* mediatek = FindReceiverFamily("mediatek");
  ASSERT_NE(mediatek, nullptr);
  EXPECT_EQ(ReceiverText(mediatek, "AXN_5.1.7_3333_19020118,0027,PA1010D,1.0"), L"MediaTek\r\nAXN_5.1.7_3333_19020118");
  EXPECT_EQ(ReceiverText(mediatek, ""), L"MediaTek");
  EXPECT_EQ(ReceiverText(mediatek, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"), L"MediaTek\r\nABCDEFGHIJKLMNOPQRSTU...");
  EXPECT_EQ(ReceiverText(nullptr, "x"), L"unknown");
}

TEST(TtffText, TheSummaryAndTheLastRunsNewestFirst) {
  const std::vector<TtffRunRecord> runs{MakeRun(1, 30.0), MakeRun(2, 0, true), MakeRun(3, 34.5), MakeRun(4, 33.0)};
  const TtffSummary summary = SummarizeRuns(runs, 5, true);
  // Valid runs 30, 34.5, 33: mean 32.5, median 33, sample deviation 2.29.
  EXPECT_EQ(SummaryText(summary),
            L"Valid 3 of 4, timeouts 1\r\nMean 32.5 s, median 33.0 s\r\nSD 2.3 s, min 30.0 s, max 34.5 s\r\n"
            L"Stopped after 4 of 5 runs");
  EXPECT_EQ(SummaryText(SummarizeRuns({MakeRun(1, 12.0)}, 1, false)),
            L"Valid 1 of 1, timeouts 0\r\nMean 12.0 s, median 12.0 s\r\nSD -, min 12.0 s, max 12.0 s");
  EXPECT_EQ(SummaryText(SummarizeRuns({MakeRun(1, 0, true)}, 1, false)),
            L"Valid 0 of 1, timeouts 1\r\nMean -, median -\r\nSD -, min -, max -");
  EXPECT_EQ(LastRunsText(runs, 3), L"Run 4: 33.000 s\r\nRun 3: 34.500 s\r\nRun 2: timeout");
  EXPECT_EQ(LastRunsText({}, 3), L"");
}

TEST(TtffText, TheCountUpAndTheSavedPlace) {
  EXPECT_EQ(ElapsedText(2, 10, 12999, false), L"2/10: 12 s");
  EXPECT_EQ(ElapsedText(2, 10, 12999, true), L"2/10 done");
  EXPECT_EQ(SavedPathText("/home/ann/.local/share/zelmora/ttff-x.csv", "/home/ann"),
            L"~/.local/share/zelmora/\r\nttff-x.csv");
  EXPECT_EQ(SavedPathText("/home/annex/zelmora/t.csv", "/home/ann"), L"/home/annex/zelmora/\r\nt.csv");
}

}  // namespace
