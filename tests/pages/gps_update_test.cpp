#include "pages/gps_update.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "acquisition/gnss_system.h"
#include "acquisition/gps_record.h"
#include "display/satellite_geometry.h"
#include "nmea/checksum.h"
#include "pages/satellite_view.h"
#include "platform/ui/gdi.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "tests/pages/info_page_fixture.h"
#include "tests/support/demo_record.h"
#include "tests/support/time_zone.h"

namespace {

// "$" + body + "*" + the body's checksum.
std::wstring Sentence(const std::wstring& body) {
  const unsigned sum = NmeaChecksum(body);
  return L"$" + body + L"*" + static_cast<wchar_t>(NmeaHexDigit(sum >> 4)) + static_cast<wchar_t>(NmeaHexDigit(sum));
}

// A GN receiver's epoch: GPS, GLONASS, Galileo and BeiDou, six used.
GPSRecordData MultiSystemRecord(CGPSRecord& record) {
  CFieldArray fields;
  for (const wchar_t* body : {
           L"GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,A,V",
           L"GNGSA,A,3,05,12,,,,,,,,,,,1.94,1.18,1.54,1",
           L"GNGSA,A,3,70,,,,,,,,,,,,1.94,1.18,1.54,2",
           L"GNGSA,A,3,05,11,,,,,,,,,,,1.94,1.18,1.54,3",
           L"GNGSA,A,3,23,,,,,,,,,,,,1.94,1.18,1.54,4",
           L"GPGSV,2,1,05,05,40,100,44,12,20,200,38,129,30,150,33,02,5,10,20,1",
           L"GPGSV,2,2,05,07,60,330,36,1",
           L"GLGSV,1,1,02,70,50,280,41,71,10,20,,1",
           L"GAGSV,1,1,02,05,62,60,39,11,15,250,30,7",
           L"GBGSV,1,1,03,23,75,180,45,24,30,200,28,25,45,45,27,1",
       }) {
    record.DecodeLine(Sentence(body), fields);
  }
  return record.Snapshot();
}

// Where the page put the marks of a record's sky.
SkyMarksLayout LayoutOf(const SkyPlotGeometry& geometry, const GPSRecordData& record) {
  const HDC dc = CreateCompatibleDC(nullptr);
  SkyMarksLayout layout = LayOutSkyMarks(dc, geometry, PlanSky(record));
  DeleteDC(dc);
  return layout;
}

// The mark of a satellite given by its system and its number in it; past
// the end when there is none.
std::size_t MarkOf(const SkyMarksLayout& layout, const GPSRecordData& record, int system, int number) {
  std::size_t k = 0;
  while (k < layout.marks.size() && !(record.m_Sky[layout.nSatellite[k]].nSystem == system &&
                                      SystemNumber(system, record.m_Sky[layout.nSatellite[k]].nPRN) == number)) {
    ++k;
  }
  return k;
}

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
    const int top = BarTop(geometry.nBarHeight, record.m_Sky[i].dSNR);
    EXPECT_GT(CountColor(bars, {left, top, left + geometry.nBarWidth, top + 1}, RGB(0, 0, 128)), 0) << i;
    EXPECT_EQ(CountColor(bars, {left, 0, left + geometry.nBarWidth, top}, RGB(0, 0, 128)), 0) << i;
  }
  // Every label is black; nothing is red.
  const QImage& sky = StatusPageProbe::SkyImage(m_page);
  EXPECT_GT(CountColor(sky, {0, 0, 121, 121}, RGB(0, 0, 0)), 0);
  EXPECT_EQ(CountColor(sky, {0, 0, 241, 241}, RGB(255, 0, 0)), 0);
}

// Every system in one sky: markers of the systems' shapes, used satellites'
// bars first.
TEST_F(GpsUpdateTest, SatelliteGroupDrawsEverySystem) {
  OpenPage(240, 320);
  CGPSRecord decoder;
  const GPSRecordData record = MultiSystemRecord(decoder);
  ASSERT_EQ(record.m_nSkyCount, 12);
  ShowGpsGroup(m_page, record, 3);
  const QImage& sky = StatusPageProbe::SkyImage(m_page);
  const SkyPlotGeometry geometry = SkyPlotGeometryFor(240, 320);
  const SkyMarksLayout layout = LayoutOf(geometry, record);
  // GPS 7 not used: a hollow circle; GLONASS 70 and BeiDou 23 used: a filled
  // square and triangle; each on its point, its number beside it in its
  // system's colour.
  const struct {
    double elevation, azimuth;
    int system, number;
    bool used;
  } marks[] = {
      {60, 330, kSystemGPS, 7, false}, {50, 280, kSystemGLONASS, 70, true}, {75, 180, kSystemBeiDou, 23, true}};
  for (const auto& m : marks) {
    SCOPED_TRACE(m.number);
    const std::size_t k = MarkOf(layout, record, m.system, m.number);
    ASSERT_LT(k, layout.marks.size());
    const POINT point = SatellitePoint(geometry, m.elevation, m.azimuth);
    const RECT& marker = layout.marks[k].rcMarker;
    EXPECT_EQ(marker.left, point.x - layout.nMarkerSide / 2);
    EXPECT_EQ(marker.top, point.y - layout.nMarkerSide / 2);
    EXPECT_EQ(MarkerMismatches(sky, marker, layout.nMarkerSide, m.system, m.used), 0);
    ASSERT_TRUE(layout.marks[k].bNumber);
    EXPECT_GT(CountColor(sky, layout.marks[k].rcNumber, SystemColor(m.system)), 0);
  }
  // Slots 0 to 5 are the six used satellites, blue; slot 6 the strongest of
  // the others (GPS 7, 36 dB-Hz), red.
  const QImage& bars = StatusPageProbe::BarsImage(m_page);
  const SignalBarGeometry barGeometry = SignalBarGeometryFor(240, 320);
  for (int i = 0; i < 12; ++i) {
    const int left = SlotLeft(barGeometry, i);
    const RECT bottom{left, barGeometry.nBarHeight, left + barGeometry.nBarWidth, barGeometry.nBarHeight + 1};
    EXPECT_EQ(CountColor(bars, bottom, RGB(0, 0, 128)) > 0, i < 6) << i;
  }
  const int seventh = SlotLeft(barGeometry, 6);
  const int top = BarTop(barGeometry.nBarHeight, 36);
  EXPECT_GT(CountColor(bars, {seventh, top, seventh + 1, top + 1}, RGB(255, 0, 0)), 0);
  EXPECT_EQ(CountColor(bars, {seventh, top - 1, seventh + 1, top}, RGB(255, 0, 0)), 0);
  SavePicture("gps-info-every-system-240x320");
}

// Two systems' satellites on one point: the used one's marker stays on it,
// the other's stands beside it, both whole, each with its number.
TEST_F(GpsUpdateTest, CrowdedLabelsOfEverySystemStayReadable) {
  OpenPage(240, 320);
  CGPSRecord decoder;
  CFieldArray fields;
  for (const wchar_t* body : {L"GNGSA,A,3,05,,,,,,,,,,,,1.94,1.18,1.54,1", L"GNGSA,A,3,,,,,,,,,,,,,1.94,1.18,1.54,2",
                              L"GPGSV,1,1,01,05,40,100,44,1", L"GLGSV,1,1,01,70,40,100,41,1"}) {
    decoder.DecodeLine(Sentence(body), fields);
  }
  const GPSRecordData record = decoder.Snapshot();
  ShowGpsGroup(m_page, record, 3);
  const QImage& sky = StatusPageProbe::SkyImage(m_page);
  const SkyPlotGeometry geometry = SkyPlotGeometryFor(240, 320);
  const RECT whole{0, 0, geometry.nSide, geometry.nSide};
  const POINT point = SatellitePoint(geometry, 40, 100);
  const SkyMarksLayout layout = LayoutOf(geometry, record);
  const std::size_t gps = MarkOf(layout, record, kSystemGPS, 5);
  const std::size_t glonass = MarkOf(layout, record, kSystemGLONASS, 70);
  ASSERT_LT(std::max(gps, glonass), layout.marks.size());
  const RECT& used = layout.marks[gps].rcMarker;
  const RECT& moved = layout.marks[glonass].rcMarker;
  EXPECT_EQ(used.left, point.x - layout.nMarkerSide / 2);
  EXPECT_EQ(used.top, point.y - layout.nMarkerSide / 2);
  EXPECT_TRUE(moved.right < used.left || moved.left > used.right || moved.bottom < used.top || moved.top > used.bottom);
  EXPECT_LE(std::max(std::abs(moved.left - used.left), std::abs(moved.top - used.top)), 3 * layout.nMarkerSide);
  EXPECT_EQ(MarkerMismatches(sky, used, layout.nMarkerSide, kSystemGPS, true), 0);
  EXPECT_EQ(MarkerMismatches(sky, moved, layout.nMarkerSide, kSystemGLONASS, false), 0);
  EXPECT_TRUE(layout.marks[gps].bNumber && layout.marks[glonass].bNumber);
  int ink = 0;
  for (bool inked : InkOf(L"R70").ink) {
    ink += inked ? 1 : 0;
  }
  // Without other systems the same two GPS satellites overprint, as on the
  // handheld: the later label covers the earlier.
  SatelliteTable table;
  table[0] = Satellite(5, 40, 100, 44, true);
  table[1] = Satellite(7, 40, 100, 41, false);
  m_page.DrawSkyView(table.entries);
  const POINT later = CentredTextCorner(L"07", point.x + 1, point.y + 1);
  EXPECT_EQ(TextMismatches(sky, L"07", later.x, later.y, RGB(255, 0, 0), whole), 0);
  EXPECT_LT(CountColor(sky, whole, RGB(0, 0, 0)), ink);
}

// A receiver that reports an empty sky (after a cold start) leaves no
// satellite on the page.
TEST_F(GpsUpdateTest, AnEmptySkyLeavesNoSatelliteOnThePage) {
  for (const BOOL gpsOnly : {FALSE, TRUE}) {
    SCOPED_TRACE(gpsOnly);
    OpenPage(240, 320);
    m_page.DrawSkyView(nullptr);
    m_page.DrawSignalBars(nullptr);
    const QImage emptySky = StatusPageProbe::SkyImage(m_page).copy();
    const QImage emptyBars = StatusPageProbe::BarsImage(m_page).copy();
    CGPSRecord decoder;
    decoder.SetGpsOnly(gpsOnly);
    MultiSystemRecord(decoder);
    CFieldArray fields;
    for (const wchar_t* body : {L"GPGSV,1,1,00,1", L"GLGSV,1,1,00,1", L"GAGSV,1,1,00,7", L"GBGSV,1,1,00,1"}) {
      decoder.DecodeLine(Sentence(body), fields);
    }
    ShowGpsGroup(m_page, decoder.Snapshot(), 3);
    EXPECT_TRUE(StatusPageProbe::SkyImage(m_page) == emptySky);
    EXPECT_TRUE(StatusPageProbe::BarsImage(m_page) == emptyBars);
    ClosePage();
  }
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
