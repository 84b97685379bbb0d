// The time the user-interface thread spends on one WM_GPSUPDATE of each
// group on the GPS Info page (offscreen): the record's snapshot, the texts
// and the setters, or both drawings with their copies onto the page. Two
// records alternate, so every setter really changes its control.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/page_window.h"
#include "acquisition/gps_record.h"
#include "pages/gps_update.h"
#include "pages/gps_info_page.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

// The demo record, and one a second later with other signal strengths.
void FillRecords(CGPSRecord& first, CGPSRecord& second) {
  CFieldArray fields;
  for (UINT id = IDS_DEMO_GGA; id <= IDS_DEMO_RMC; ++id) {
    first.DecodeLine(FindStringResource(id), fields);
    second.DecodeLine(FindStringResource(id), fields);
  }
  second.DecodeLine(L"$GPGGA,013349,2411.1630,N,12036.6100,E,1,07,2.0,12.5,M,,,,0000*2D", fields);
  second.DecodeLine(L"$GPGSA,A,2,01,03,05,07,09,11,13,15,17,19,21,23,3.5,6.9,5.4*38", fields);
  second.DecodeLine(L"$GPGSV,3,1,12,01,07,158,30,03,61,103,41,05,21,209,16,07,55,058,35*74", fields);
  second.DecodeLine(L"$GPRMC,013349,A,2411.1700,N,12036.6200,E,7.20,102.50,090307,,*1D", fields);
}

void BM_GpsUpdate(benchmark::State& state) {
  const auto group = static_cast<WPARAM>(state.range(0));
  const int width = static_cast<int>(state.range(1));
  const int height = static_cast<int>(state.range(2));
  PrepareBenchScreen(width, height);
  CGPSRecord records[2];
  FillRecords(records[0], records[1]);
  if (records[0].Snapshot().m_nTime == records[1].Snapshot().m_nTime) {
    state.SkipWithError("the second record did not decode");
    return;
  }
  CStatusPpg page;
  if (!OpenPageWindow(page, width, height)) {
    state.SkipWithError("no page window");
    return;
  }

  int turn = 0;
  for (auto _ : state) {
    const GPSRecordData record = records[turn].Snapshot();
    ShowGpsGroup(page, record, group);
    turn ^= 1;
  }
  // The fields the group fills must show a text, or nothing was measured.
  const int shown[] = {0, IDC_INFO_ALTITUDE, IDC_INFO_PDOP, 0, IDC_INFO_LON};
  if (shown[group] != 0 && GetWindowTextLengthW(GetDlgItem(page.m_hWnd, shown[group])) == 0) {
    state.SkipWithError("the page showed no text");
  }
  page.DestroyWindow();
  state.SetLabel("group " + std::to_string(group) + ", " + std::to_string(width) + "x" + std::to_string(height) +
                 ", scale " + std::to_string(width > 320 ? 2 : 1));
}
BENCHMARK(BM_GpsUpdate)
    ->ArgNames({"wParam", "width", "height"})
    ->ArgsProduct({{1, 2, 3, 4}, {240}, {320}})
    ->ArgsProduct({{1, 2, 3, 4}, {480}, {640}})
    ->Args({3, 640, 480})
    ->Args({3, 480, 480})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
