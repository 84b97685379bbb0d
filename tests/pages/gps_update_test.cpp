#include "pages/gps_update.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "acquisition/gps_record.h"
#include "display/satellite_geometry.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "tests/pages/info_page_fixture.h"
#include "tests/support/demo_record.h"
#include "tests/support/time_zone.h"

namespace {

// The page on a device set to UTC; TZ is restored afterwards.
class GpsUpdateTest : public InfoPageTest {
 protected:
  void SetUp() override {
    m_zone.Use("UTC0");
    tzset();
  }

  void ShowAllGroups(const GPSRecordData& record) {
    for (WPARAM group = 0; group <= 5; ++group) {
      ShowGpsGroup(m_page, record, group);
    }
  }

 private:
  ScopedTimeZone m_zone;
};

TEST_F(GpsUpdateTest, DemoSentencesOnAUtcDevice) {
  OpenPage(240, 320);
  ShowAllGroups(DemoRecord());
  EXPECT_EQ(ControlText(Page(), IDC_INFO_DATE), L"2007/03/09");
  EXPECT_EQ(ControlText(Page(), IDC_INFO_TIME), L"01:33:48");
  EXPECT_EQ(ControlText(Page(), IDC_INFO_SPEED), L"11.3 km/h");
  EXPECT_EQ(ControlText(Page(), IDC_INFO_COURSE), L"E 101\u00B0");
  EXPECT_EQ(ControlText(Page(), IDC_INFO_ALTITUDE), L"0.0");
  EXPECT_EQ(ControlText(Page(), IDC_INFO_FIX), L"3D");
  EXPECT_EQ(ControlText(Page(), IDC_INFO_PDOP), L"7.5");
  EXPECT_EQ(ControlText(Page(), IDC_INFO_LAT), L"N 24\u00B011'9\"");
  EXPECT_EQ(ControlText(Page(), IDC_INFO_LON), L"E 120\u00B036'36\"");
}

TEST_F(GpsUpdateTest, EachGroupFillsOnlyItsOwnFields) {
  const GPSRecordData record = DemoRecord();
  struct {
    WPARAM group;
    std::vector<int> filled;
  } const cases[] = {
      {0, {}},
      {1, {IDC_INFO_ALTITUDE}},
      {2, {IDC_INFO_FIX, IDC_INFO_PDOP}},
      {3, {}},
      {4, {IDC_INFO_DATE, IDC_INFO_TIME, IDC_INFO_SPEED, IDC_INFO_COURSE, IDC_INFO_LAT, IDC_INFO_LON}},
      {5, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.group);
    OpenPage(240, 320);
    // As Start GPS does: every field empty, empty views.
    m_page.SetDateTime(L"", L"");
    for (auto setter : {&CStatusPpg::SetSpeed, &CStatusPpg::SetCourse, &CStatusPpg::SetFix, &CStatusPpg::SetLatitude,
                        &CStatusPpg::SetLongitude, &CStatusPpg::SetAltitude, &CStatusPpg::SetPdop}) {
      (m_page.*setter)(L"");
    }
    m_page.DrawSkyView(nullptr);
    const QImage sky = StatusPageProbe::SkyImage(m_page).copy();
    ShowGpsGroup(m_page, record, c.group);
    for (int id : kInfoFieldIds) {
      const bool filled = std::find(c.filled.begin(), c.filled.end(), id) != c.filled.end();
      EXPECT_EQ(ControlText(Page(), id).empty(), !filled) << id;
    }
    EXPECT_EQ(StatusPageProbe::SkyImage(m_page) != sky, c.group == 3);
    ClosePage();
  }
}

TEST_F(GpsUpdateTest, SatelliteGroupDrawsTheDemoSky) {
  OpenPage(240, 320);
  const GPSRecordData record = DemoRecord();
  ShowGpsGroup(m_page, record, 3);
  // Twelve bars, every satellite used, each as high as its SNR.
  const QImage& bars = StatusPageProbe::BarsImage(m_page);
  const SignalBarGeometry geometry = SignalBarGeometryFor(240, 320);
  for (int i = 0; i < 12; ++i) {
    const int left = SlotLeft(geometry, i);
    const int top = BarTop(geometry.nBarHeight, record.m_Satellites[i].dSNR);
    EXPECT_GT(CountColor(bars, {left, top, left + geometry.nBarWidth, top + 1}, RGB(0, 0, 128)), 0) << i;
    EXPECT_EQ(CountColor(bars, {left, 0, left + geometry.nBarWidth, top}, RGB(0, 0, 128)), 0) << i;
  }
  // Every label is black; nothing is red.
  const QImage& sky = StatusPageProbe::SkyImage(m_page);
  EXPECT_GT(CountColor(sky, {0, 0, 121, 121}, RGB(0, 0, 0)), 0);
  EXPECT_EQ(CountColor(sky, {0, 0, 241, 241}, RGB(255, 0, 0)), 0);
}

// On every screen the demo record fills all nine values, and the page shows
// both drawings whole, inside the screen, where it placed them. The pictures
// are kept under the build folder for people to look at.
TEST_F(GpsUpdateTest, TheDemoPageOnEveryScreenShowsEveryValueAndBothDrawings) {
  const GPSRecordData record = DemoRecord();
  for (const auto& [width, height] : {std::pair{240, 320}, std::pair{480, 640}, std::pair{320, 240},
                                      std::pair{640, 480}, std::pair{240, 240}, std::pair{480, 480}}) {
    const std::string screen = std::to_string(width) + "x" + std::to_string(height);
    SCOPED_TRACE(screen);
    OpenPage(width, height);
    ShowAllGroups(record);
    for (int id : kInfoFieldIds) EXPECT_FALSE(ControlText(Page(), id).empty()) << "field " << id;
    const QImage& page = PageImage(Page());
    for (const RECT& rect : {StatusPageProbe::SkyRect(m_page), StatusPageProbe::BarsRect(m_page)}) {
      EXPECT_GE(rect.left, 0);
      EXPECT_GE(rect.top, 0);
      EXPECT_LE(rect.right, width);
      EXPECT_LE(rect.bottom, height);
    }
    EXPECT_TRUE(PageShows(page, StatusPageProbe::SkyRect(m_page), StatusPageProbe::SkyImage(m_page)));
    EXPECT_TRUE(PageShows(page, StatusPageProbe::BarsRect(m_page), StatusPageProbe::BarsImage(m_page)));
    SavePicture("gps-info-demo-" + screen);
    ClosePage();
  }
}

}  // namespace
