#include "simulator/position_wander.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "acquisition/gps_record.h"
#include "quality/quality_statistics.h"
#include "quality/record_epoch.h"
#include "simulator/nmea_synthesizer.h"

namespace {

// Ten hours, one step a second: each axis keeps its spread, and an error
// ten seconds apart is still mostly the same error (exp(-10/60) = 0.85).
TEST(PositionWander, KeepsItsSpreadAndIsCorrelatedInTime) {
  sim::PositionWander wander(7);
  std::vector<double> east, up;
  for (int i = 0; i < 36000; ++i) {
    wander.Advance(1.0);
    east.push_back(wander.EastM());
    up.push_back(wander.UpM());
  }
  const auto spread = [](const std::vector<double>& values) {
    double sum = 0, squares = 0;
    for (double v : values) sum += v, squares += v * v;
    const double mean = sum / values.size();
    return std::sqrt(squares / values.size() - mean * mean);
  };
  EXPECT_NEAR(spread(east), sim::PositionWander::kHorizontalSigmaM, 0.2 * sim::PositionWander::kHorizontalSigmaM);
  EXPECT_NEAR(spread(up), sim::PositionWander::kVerticalSigmaM, 0.2 * sim::PositionWander::kVerticalSigmaM);
  double together = 0, alone = 0;
  for (std::size_t i = 10; i < east.size(); ++i) {
    together += east[i] * east[i - 10];
    alone += east[i] * east[i];
  }
  EXPECT_NEAR(together / alone, std::exp(-10.0 / 60.0), 0.05);
  // However the time is sliced, the path is the same.
  sim::PositionWander whole(3), sliced(3);
  whole.Advance(5.0);
  for (int i = 0; i < 5; ++i) sliced.Advance(1.0);
  EXPECT_EQ(whole.NorthM(), sliced.NorthM());
}

// The stationary receiver's sentences, decoded as the program decodes
// them: half an hour of fixes scatter a few metres around one point.
TEST(PositionWander, StationaryReceiverScattersAFewMetres) {
  sim::NmeaSynthesizer synthesizer(1'710'000'000'000, false);
  synthesizer.SetStationary(true);
  CGPSRecord record;
  CFieldArray fields;
  CEpochFeed feed;
  CQualityStatistics statistics;
  for (std::uint64_t t = 0; t < 1800 * 1000; t += 1000) {
    for (const sim::SentenceGroup& group : synthesizer.Epoch(t)) {
      for (const std::string& sentence : group.sentences) {
        std::string line = sentence;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const int result = record.DecodeLine(std::wstring(line.begin(), line.end()), fields);
        if (feed.EndsEpoch(result))
          statistics.AddEpoch(EpochOfRecord(record.Snapshot()), static_cast<std::uint32_t>(t));
      }
    }
  }
  const QualityFigures figures = statistics.Figures();
  EXPECT_GT(figures.nFixes, 1700);
  EXPECT_GT(*figures.cep50, 0.5);
  EXPECT_LT(*figures.cep50, 4.0);
  EXPECT_LT(*figures.cep95, 10.0);
  EXPECT_GT(*figures.verticalSigma, 0.5);
  EXPECT_NEAR(figures.reference->dLatitude, 45.5231, 1e-4);
}

}  // namespace
