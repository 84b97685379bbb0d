// The sky plot of several systems on the simulated receiver's crowded sky:
// every satellite a marker of its system's shape, its number beside it where
// there is room, nothing over the counts or the legend, nothing cut off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/gnss_system.h"
#include "acquisition/gps_record_data.h"
#include "display/sky_plan.h"
#include "pages/satellite_view.h"
#include "platform/ui/gdi.h"
#include "simulator/sky.h"
#include "tests/pages/info_page_fixture.h"

namespace {

int SystemOf(sim::GnssSystem system) {
  switch (system) {
    case sim::GnssSystem::kGlonass:
      return kSystemGLONASS;
    case sim::GnssSystem::kGalileo:
      return kSystemGalileo;
    case sim::GnssSystem::kBeiDou:
      return kSystemBeiDou;
    default:
      return kSystemGPS;
  }
}

// The GNSS receiver's sky over Munich at a fixed time: 35 satellites of four
// systems, every one tracked and used; every third is taken out of the fix
// here, so that hollow markers show too. With fewer, the highest `count`.
GPSRecordData SimulatedSky(std::size_t count) {
  sim::Sky sky(7, false, true);
  sky.Advance(1.0, 1767225600000, 48.14, 11.58, 520.0);
  std::vector<sim::SatelliteView> views = sky.View(1000);
  std::stable_sort(views.begin(), views.end(), [](const auto& a, const auto& b) { return a.elevation > b.elevation; });
  views.resize(std::min(count, views.size()));
  GPSRecordData record;
  for (const sim::SatelliteView& view : views) {
    SatelliteInfo& satellite = record.m_Sky[record.m_nSkyCount++];
    satellite.nSystem = SystemOf(view.system);
    satellite.nPRN = view.prn;
    satellite.dElevation = view.elevation;
    satellite.dAzimuth = view.azimuth;
    satellite.dSNR = view.snr.value_or(0);
    satellite.bUsed = view.used && record.m_nSkyCount % 3 != 0 ? TRUE : FALSE;
  }
  return record;
}

bool Overlap(const RECT& a, const RECT& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

RECT Halo(const RECT& r) { return {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}; }

class SystemSkyTest : public InfoPageTest {};

TEST_F(SystemSkyTest, ThirtyFiveSatellitesStayApartWholeAndOffTheCountsOnEveryScreen) {
  const GPSRecordData record = SimulatedSky(35);
  ASSERT_EQ(record.m_nSkyCount, 35);
  for (const auto& [width, height] : {std::pair{240, 320}, std::pair{480, 640}, std::pair{320, 240},
                                      std::pair{640, 480}, std::pair{240, 240}, std::pair{480, 480}}) {
    const std::string screen = std::to_string(width) + "x" + std::to_string(height);
    SCOPED_TRACE(screen);
    OpenPage(width, height);
    m_page.DrawSkyView(record);
    const QImage& image = StatusPageProbe::SkyImage(m_page);
    const SkyPlotGeometry sky = SkyPlotGeometryFor(width, height);
    const SkyPlan plan = PlanSky(record);
    ASSERT_TRUE(plan.bSystems);
    const HDC dc = CreateCompatibleDC(nullptr);
    const SkyMarksLayout layout = LayOutSkyMarks(dc, sky, plan);
    DeleteDC(dc);

    // Every satellite has its marker; what is drawn, with its halo, stays
    // whole inside the plot and apart from everything else.
    ASSERT_EQ(layout.marks.size(), 35u);
    ASSERT_EQ(layout.rcLegend.size(), 4u);
    std::vector<RECT> drawn = {layout.rcInView, layout.rcUsed};
    drawn.insert(drawn.end(), layout.rcLegend.begin(), layout.rcLegend.end());
    int numbers = 0;
    for (const PlacedMark& mark : layout.marks) {
      drawn.push_back(mark.rcMarker);
      if (mark.bNumber) {
        drawn.push_back(LabelInkBox(mark.rcNumber));
        ++numbers;
      }
    }
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      const RECT& box = drawn[i];
      EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= sky.nSide && box.bottom <= sky.nSide) << i;
      for (std::size_t k = 0; k < i; ++k) EXPECT_FALSE(Overlap(Halo(box), drawn[k])) << i << " and " << k;
    }
    // Half the numbers or more find room beside their markers, but on the
    // square screens' small plots.
    if (width != height) {
      EXPECT_GE(numbers, 17) << numbers << " numbers";
    }

    // The counts read whole; each marker is drawn as its shape, hollow
    // ones white inside, and nothing drawn later covers it.
    if (layout.nCountsPixels == 0) {
      EXPECT_EQ(TextMismatches(image, InViewText(35), layout.rcInView.left, layout.rcInView.top, RGB(128, 128, 128),
                               layout.rcInView),
                0);
      EXPECT_EQ(TextMismatches(image, UsedText(plan.nUsed), layout.rcUsed.left, layout.rcUsed.top, RGB(128, 128, 128),
                               layout.rcUsed),
                0);
    }
    for (std::size_t k = 0; k < layout.marks.size(); ++k) {
      const SatelliteInfo& satellite = plan.pSky[layout.nSatellite[k]];
      EXPECT_EQ(MarkerMismatches(image, layout.marks[k].rcMarker, layout.nMarkerSide, satellite.nSystem,
                                 satellite.bUsed != FALSE),
                0)
          << "satellite " << satellite.nPRN;
    }
    SavePicture("gps-info-35-systems-" + screen);
    ClosePage();
  }
}

}  // namespace
