// What the positioning figures cost: counting one epoch, and working out the
// figures (with and without the kept fixes for the scatter) over a store of
// 100, 1000 and a full store (16383 kept fixes, one short of the halving), as the Accuracy page does once a
// second while in front.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "quality/quality_statistics.h"

namespace {

// A stationary receiver's epochs: fixes scattered a few metres about a point.
QualityEpoch EpochAt(std::mt19937& random) {
  std::normal_distribution<double> metres(0.0, 2.0);
  QualityEpoch epoch;
  epoch.bFix = true;
  epoch.position = {52.21 + metres(random) / 111000.0, 6.88 + metres(random) / 68000.0, 40.0 + metres(random)};
  epoch.strongestFourCn0 = 42.5;
  epoch.systems[1] = {12, 9};
  epoch.nUsed = 9;
  return epoch;
}

CQualityStatistics Filled(std::int64_t fixes) {
  std::mt19937 random(7);
  CQualityStatistics statistics;
  for (std::int64_t i = 0; i < fixes; ++i) statistics.AddEpoch(EpochAt(random), static_cast<std::uint32_t>(i * 1000));
  return statistics;
}

void BM_AddEpoch(benchmark::State& state) {
  std::mt19937 random(7);
  CQualityStatistics statistics = Filled(20000);
  const QualityEpoch epoch = EpochAt(random);
  std::uint32_t tick = 20000000;
  for (auto _ : state) {
    statistics.AddEpoch(epoch, tick += 1000);
  }
}
BENCHMARK(BM_AddEpoch);

void BM_Figures(benchmark::State& state) {
  const CQualityStatistics statistics = Filled(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(statistics.Figures());
  state.counters["kept"] = static_cast<double>(statistics.Samples().size());
}
BENCHMARK(BM_Figures)->Arg(100)->Arg(1000)->Arg(16383)->Unit(benchmark::kMicrosecond);

void BM_FiguresWithPoints(benchmark::State& state) {
  const CQualityStatistics statistics = Filled(state.range(0));
  std::vector<Enu> points;
  for (auto _ : state) benchmark::DoNotOptimize(statistics.Figures(&points));
}
BENCHMARK(BM_FiguresWithPoints)->Arg(100)->Arg(1000)->Arg(16383)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
