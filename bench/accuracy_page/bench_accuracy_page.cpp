// The time the user-interface thread spends on the Accuracy page's
// once-a-second refresh (offscreen) after an epoch came: reading the
// figures, setting the texts, composing the scatter (and every fifth time
// the history) and copying what changed onto the page. The session already
// holds 100, 1000 or 20000 fixes (the last: a full store, 1000 drawn), and
// each of the 300 refreshes adds one.
// Toolkit's repaint of the copied pixels comes after, in the event loop,
// and is not part of this figure (bench/whole_process/run measures the
// whole).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "bench/page_window.h"
#include "pages/accuracy_page.h"
#include "pages/setup_page.h"
#include "resources/resource_ids.h"

namespace {

// A stationary receiver's epoch: a fix scattered a few metres about a point.
QualityEpoch EpochAt(std::mt19937& random) {
  std::normal_distribution<double> metres(0.0, 1.5);
  QualityEpoch epoch;
  epoch.bFix = true;
  epoch.position = {52.21 + metres(random) / 111000.0, 6.88 + metres(random) / 68000.0, 40.0 + 2 * metres(random)};
  epoch.strongestFourCn0 = 40.0 + metres(random);
  epoch.systems[1] = {12, 9};
  epoch.nUsed = 9;
  return epoch;
}

void BM_AccuracyRefresh(benchmark::State& state) {
  const auto fixes = state.range(0);
  const int width = static_cast<int>(state.range(1));
  const int height = static_cast<int>(state.range(2));
  PrepareBenchScreen(width, height);
  CWinApp app(L"ZelmoraBench");  // the Setup page reads its settings through it
  CGeneralPpg setup;
  std::mt19937 random(11);
  std::uint32_t tick = 0;
  for (std::int64_t i = 0; i < fixes; ++i) setup.m_quality.AddEpoch(EpochAt(random), tick += 1000);
  CAccuracyPpg page;
  page.m_pSetupPage = &setup;
  if (!OpenPageWindow(page, width, height)) {
    state.SkipWithError("no page window");
    return;
  }

  for (auto _ : state) {
    state.PauseTiming();
    setup.m_quality.AddEpoch(EpochAt(random), tick += 1000);
    state.ResumeTiming();
    SendMessageW(page.m_hWnd, WM_TIMER, IDT_ACCURACY_REFRESH, 0);
  }
  if (page.Figures().nEpochs != setup.m_quality.Epochs())
    state.SkipWithError(("the page did not refresh: " + std::to_string(page.Figures().nEpochs) + " of " +
                         std::to_string(setup.m_quality.Epochs()))
                            .c_str());
  page.DestroyWindow();
  state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
}
BENCHMARK(BM_AccuracyRefresh)
    ->ArgNames({"fixes", "width", "height"})
    ->ArgsProduct({{100, 1000, 20000}, {480}, {640}})
    ->Args({1000, 240, 320})
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
