// The TTFF test's state machine on made-up ticks: what counts as the first
// fix, timeouts, Stop, the waits between runs, the statistics and what a
// run's record takes from the fix epoch's sentences.
#include "ttff/ttff_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>

#include "tests/ttff/sentences.h"
#include "ttff/fix_sentences.h"

namespace {

CTtffRunner::Settings Mediatek(StartKind kind, int runs, std::uint32_t seed = 7) {
  CTtffRunner::Settings settings;
  settings.family = FindReceiverFamily("mediatek");
  settings.kind = kind;
  settings.runs = runs;
  settings.seed = seed;
  return settings;
}

// Writes the due command at `tick`; the test expects one to be due.
void WriteAt(CTtffRunner& runner, std::uint32_t tick) {
  ASSERT_FALSE(runner.Command().empty());
  ASSERT_EQ(runner.CommandDue(tick), runner.Command());
  runner.OnCommandWritten(tick, 1796710500000 + tick);
}

TEST(FixSentences, ValidFixIsRmcStatusAOrGgaQualityOneOrMore) {
  EXPECT_TRUE(ReportsValidFix(RmcWithStatus('A')));
  EXPECT_FALSE(ReportsValidFix(RmcWithStatus('V')));
  EXPECT_FALSE(ReportsValidFix(GgaWithQuality(0)));
  EXPECT_TRUE(ReportsValidFix(GgaWithQuality(1)));
  EXPECT_TRUE(ReportsValidFix(GgaWithQuality(2)));
  EXPECT_TRUE(ReportsValidFix(Sentence("GNRMC,123519,A,4807.038,N,01131.000,E,0,0,230394,,,A")));
  // A corrupted fix is none.
  std::string broken = RmcWithStatus('A');
  broken[20] = '9';
  EXPECT_FALSE(ReportsValidFix(broken));
  EXPECT_FALSE(ReportsValidFix(Sentence("GPGSA,A,3,04,05,,,,,,,,,,,2.5,1.3,2.1")));
}

TEST(FixSentences, GgaPositionAndGsvSignals) {
  // The program runs under the user's locale; a decimal comma must not cut
  // "4807.038" short.
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.utf8");
  const std::optional<GgaFix> gga = ParseGga(Sentence("GPGGA,123519,4807.038,S,01131.000,W,1,08,0.9,545.4,M,,M,,"));
  if (german) std::setlocale(LC_NUMERIC, "C");
  ASSERT_TRUE(gga);
  EXPECT_NEAR(*gga->latitude, -(48 + 7.038 / 60), 1e-9);
  EXPECT_NEAR(*gga->longitude, -(11 + 31.0 / 60), 1e-9);
  EXPECT_EQ(gga->satellitesUsed, 8);
  // A satellite without C/N0 is left out; an NMEA 4.10 signal id is no satellite.
  const std::vector<GsvSignal> signals = ParseGsv(Sentence("GLGSV,3,1,11,65,40,083,46,66,17,308,,67,07,344,39,1"));
  ASSERT_EQ(signals.size(), 2u);
  EXPECT_EQ(signals[0].key, "GL65");
  EXPECT_EQ(signals[0].cn0, 46);
  EXPECT_EQ(signals[1].key, "GL67");
  EXPECT_EQ(MeanOfStrongestFour({30, 45, 20, 41, 44, 38}), (45 + 44 + 41 + 38) / 4.0);
  EXPECT_EQ(MeanOfStrongestFour({30, 20}), 25.0);
  EXPECT_FALSE(MeanOfStrongestFour({}));
}

TEST(TtffRunner, TimesFromTheCommandToTheFirstFixAfterIt) {
  CTtffRunner runner(Mediatek(StartKind::Cold, 1));
  EXPECT_EQ(runner.Command(), "$PMTK103*30\r\n");
  runner.Start(1000);
  // A fix reported before the command was written does not count, nor
  // does one whose first byte arrived before it.
  runner.OnLine(RmcWithStatus('A'), 1000);
  WriteAt(runner, 1500);
  runner.OnLine(GgaWithQuality(1), 1499);
  runner.OnLine(RmcWithStatus('V'), 2500);
  runner.OnLine(GgaWithQuality(0), 9000);
  ASSERT_TRUE(runner.Runs().empty());
  runner.OnLine(GgaWithQuality(1), 33750);
  ASSERT_EQ(runner.Runs().size(), 1u);
  EXPECT_FALSE(runner.Runs()[0].timedOut);
  EXPECT_DOUBLE_EQ(runner.Runs()[0].ttffSeconds, 32.25);
  EXPECT_EQ(runner.Runs()[0].commandHex, "24504D544B3130332A33300D0A");
  EXPECT_EQ(runner.Runs()[0].utcStartMs, 1796710500000 + 1500);
}

// At 4800 bps an epoch takes most of a second to send: the epochs the
// receiver made before the command still report the old fix after it, so a
// fix counts only once the receiver has reported none, or fallen silent
// (a reboot). One that ignores the command times out.
TEST(TtffRunner, AFixCountsOnlyAfterTheReceiverShowedTheStartTook) {
  CTtffRunner::Settings settings = Mediatek(StartKind::Hot, 1);
  settings.timeoutMs = 10000;
  CTtffRunner runner(settings);
  runner.Start(1000);
  WriteAt(runner, 1500);
  runner.OnLine(RmcWithStatus('A'), 1600);
  runner.OnLine(GgaWithQuality(1), 2500);
  EXPECT_TRUE(runner.Runs().empty()) << "the epochs under way";
  runner.OnLine(GgaWithQuality(0), 2600);
  runner.OnLine(RmcWithStatus('A'), 4800);
  ASSERT_EQ(runner.Runs().size(), 1u);
  EXPECT_DOUBLE_EQ(runner.Runs()[0].ttffSeconds, 3.3);

  CTtffRunner silent(settings);
  silent.Start(1000);
  WriteAt(silent, 1500);
  silent.OnLine(RmcWithStatus('A'), 1700);
  silent.OnLine(RmcWithStatus('A'), 4700);  // after 3 s of silence: rebooted
  ASSERT_EQ(silent.Runs().size(), 1u);
  EXPECT_DOUBLE_EQ(silent.Runs()[0].ttffSeconds, 3.2);

  CTtffRunner ignored(settings);
  ignored.Start(1000);
  WriteAt(ignored, 1500);
  for (std::uint32_t t = 1600; t < 12000; t += 1000) ignored.OnLine(RmcWithStatus('A'), t);
  ignored.OnTick(12000);
  ASSERT_EQ(ignored.Runs().size(), 1u);
  EXPECT_TRUE(ignored.Runs()[0].timedOut);
}

TEST(TtffRunner, SilenceIsNoFailureAndATimeoutCountsAsOneRun) {
  CTtffRunner::Settings settings = Mediatek(StartKind::Hot, 2);
  settings.timeoutMs = 60000;
  CTtffRunner runner(settings);
  runner.Start(0);
  WriteAt(runner, 0);
  // Nothing arrives for 59.9 s: the run is still going.
  runner.OnTick(59999);
  EXPECT_TRUE(runner.Runs().empty());
  runner.OnTick(60000);
  ASSERT_EQ(runner.Runs().size(), 1u);
  EXPECT_TRUE(runner.Runs()[0].timedOut);
  // A fix after the timeout belongs to no run.
  runner.OnLine(RmcWithStatus('A'), 60100);
  EXPECT_EQ(runner.Runs().size(), 1u);
  ASSERT_EQ(runner.Waits().size(), 1u);
  EXPECT_EQ(runner.CommandDue(60000 + runner.Waits()[0] - 1), "");
  WriteAt(runner, 60000 + runner.Waits()[0]);
  runner.OnLine(RmcWithStatus('A'), 60000 + runner.Waits()[0] + 4000);
  runner.OnTick(60000 + runner.Waits()[0] + 6000);
  EXPECT_TRUE(runner.Done());
  const TtffSummary summary = runner.Summary();
  EXPECT_EQ(summary.runs, 2);
  EXPECT_EQ(summary.valid, 1);
  EXPECT_EQ(summary.timeouts, 1);
  EXPECT_DOUBLE_EQ(*summary.mean, 4.0);
}

TEST(TtffRunner, StopEndsAtOnceAndDropsTheRunUnderWay) {
  CTtffRunner runner(Mediatek(StartKind::Cold, 5));
  runner.Start(0);
  WriteAt(runner, 0);
  runner.OnLine(RmcWithStatus('A'), 20000);
  WriteAt(runner, 20000 + runner.Waits()[0]);
  runner.Stop();
  EXPECT_TRUE(runner.Done());
  EXPECT_EQ(runner.CommandDue(1000000), "");
  runner.OnLine(RmcWithStatus('A'), 1000000);
  const TtffSummary summary = runner.Summary();
  EXPECT_TRUE(summary.stopped);
  EXPECT_EQ(summary.requested, 5);
  EXPECT_EQ(summary.runs, 1);
  EXPECT_EQ(summary.valid, 1);
}

TEST(TtffRunner, WaitsBetweenRunsLieInFiveToFifteenSecondsAndRepeatWithTheSeed) {
  auto waits = [](std::uint32_t seed) {
    CTtffRunner runner(Mediatek(StartKind::Warm, 40, seed));
    std::uint32_t tick = 0;
    runner.Start(tick);
    while (!runner.Done()) {
      EXPECT_EQ(runner.CommandDue(tick), "$PMTK102*31\r\n");
      runner.OnCommandWritten(tick, 0);
      tick += 3000;
      runner.OnLine(GgaWithQuality(1), tick);
      if (runner.Done()) break;
      // Not a millisecond early.
      EXPECT_EQ(runner.CommandDue(tick + runner.Waits().back() - 1), "");
      tick += runner.Waits().back();
    }
    return runner.Waits();
  };
  const std::vector<std::uint32_t> first = waits(42);
  ASSERT_EQ(first.size(), 39u);
  std::uint32_t shortest = 15000, longest = 5000;
  for (std::uint32_t wait : first) {
    EXPECT_GE(wait, 5000u);
    EXPECT_LE(wait, 15000u);
    shortest = std::min(shortest, wait);
    longest = std::max(longest, wait);
  }
  EXPECT_GT(longest - shortest, 3000u);  // drawn, not fixed
  EXPECT_EQ(waits(42), first);
  EXPECT_NE(waits(43), first);
}

TEST(TtffRunner, RecordTakesTheFixEpochsGgaAndStrongestSignals) {
  CTtffRunner runner(Mediatek(StartKind::Cold, 2));
  runner.Start(0);
  WriteAt(runner, 0);
  runner.OnLine(Sentence("GPGSV,2,1,05,01,40,083,20,02,17,308,44,03,07,344,39,04,50,100,41"), 10000);
  runner.OnLine(RmcWithStatus('A'), 12000);
  EXPECT_EQ(runner.CompleteRuns(), 0);  // its epoch is still being read
  runner.OnLine(GgaWithQuality(2), 12100);
  runner.OnLine(Sentence("GPGSV,2,2,05,05,30,200,47"), 12200);
  // Past the epoch: later sentences change nothing.
  runner.OnLine(Sentence("GPGGA,123520,0000.000,N,00000.000,E,1,12,0.9,545.4,M,46.9,M,,"), 13100);
  runner.OnLine(Sentence("GPGSV,1,1,01,06,30,200,60"), 13200);
  ASSERT_EQ(runner.CompleteRuns(), 1);
  const TtffRunRecord& run = runner.Runs()[0];
  EXPECT_NEAR(*run.latitude, 48 + 7.038 / 60, 1e-9);
  EXPECT_NEAR(*run.longitude, 11 + 31.0 / 60, 1e-9);
  EXPECT_EQ(run.satellitesUsed, 8);
  EXPECT_DOUBLE_EQ(*run.meanCn0, (47 + 44 + 41 + 39) / 4.0);
}

TEST(TtffSummary, StatisticsOverTheValidRuns) {
  std::vector<TtffRunRecord> runs(6);
  const double ttffs[] = {30.0, 34.0, 0, 28.0, 36.0, 0};
  for (int i = 0; i < 6; ++i) {
    runs[i].ttffSeconds = ttffs[i];
    runs[i].timedOut = ttffs[i] == 0;
  }
  const TtffSummary summary = SummarizeRuns(runs, 10, true);
  EXPECT_EQ(summary.valid, 4);
  EXPECT_EQ(summary.runs, 6);
  EXPECT_EQ(summary.timeouts, 2);
  EXPECT_DOUBLE_EQ(*summary.mean, 32.0);
  EXPECT_DOUBLE_EQ(*summary.median, 32.0);
  // Deviations -2, 2, -4, 4: squares 40, over n - 1 = 3.
  EXPECT_DOUBLE_EQ(*summary.standardDeviation, std::sqrt(40.0 / 3));
  EXPECT_DOUBLE_EQ(*summary.minimum, 28.0);
  EXPECT_DOUBLE_EQ(*summary.maximum, 36.0);

  runs.resize(3);  // 30, 34 and a timeout: an even count of valid runs
  const TtffSummary two = SummarizeRuns(runs, 3, false);
  EXPECT_DOUBLE_EQ(*two.median, 32.0);
  runs.resize(1);
  EXPECT_FALSE(SummarizeRuns(runs, 1, false).standardDeviation) << "one run has no spread";
  runs[0].timedOut = true;
  EXPECT_FALSE(SummarizeRuns(runs, 1, false).mean);
}

TEST(TtffRunner, NoCommandForAFamilyWithoutThatStart) {
  CTtffRunner::Settings settings = Mediatek(StartKind::Factory, 3);
  settings.family = FindReceiverFamily("ublox");
  CTtffRunner runner(settings);
  EXPECT_TRUE(runner.Command().empty());
  runner.Start(0);
  EXPECT_TRUE(runner.Done());
  EXPECT_EQ(runner.CommandDue(0), "");
}

}  // namespace
