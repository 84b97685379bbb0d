#include "pages/gps_info_page.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <map>

#include "acquisition/gps_read_thread.h"
#include "display/satellite_geometry.h"
#include "platform/core/simulated_clock.h"
#include "platform/ui/gdi_objects.h"
#include "platform/ui/ui_window.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "tests/pages/info_page_fixture.h"

namespace {

const std::vector<std::wstring> kNineTexts = {L"2007/03/09",         L"01:33:48", L"11.3 km/h",
                                              L"E 101\u00B0",        L"3D",       L"N 24\u00B011'9\"",
                                              L"E 120\u00B036'36\"", L"0.0",      L"7.5"};

void SetNineTexts(CStatusPpg& page, const std::vector<std::wstring>& texts) {
  page.SetDateTime(texts[0], texts[1]);
  page.SetSpeed(texts[2]);
  page.SetCourse(texts[3]);
  page.SetFix(texts[4]);
  page.SetLatitude(texts[5]);
  page.SetLongitude(texts[6]);
  page.SetAltitude(texts[7]);
  page.SetPdop(texts[8]);
}

std::vector<std::wstring> ShownTexts(HWND page) {
  std::vector<std::wstring> texts;
  for (int id : kInfoFieldIds) {
    texts.push_back(ControlText(page, id));
  }
  return texts;
}

// Counts the texts set on the controls that a test watches.
std::map<HWND, int>& SetTextCounts() {
  static std::map<HWND, int> counts;
  return counts;
}

LRESULT CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) {
    ++SetTextCounts()[window];
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class StatusPageTest : public InfoPageTest {};

TEST_F(StatusPageTest, TextsGivenWithoutAWindowAreLost) {
  SetNineTexts(m_page, kNineTexts);
  m_page.DrawSkyView(nullptr);
  OpenPage(240, 320);
  EXPECT_EQ(StatusPageProbe::Texts(m_page), std::vector<std::wstring>(9));
  EXPECT_EQ(ShownTexts(Page()), std::vector<std::wstring>(9));

  // Texts given while the window exists are remembered and shown again when
  // the page's window is made anew; those given in between are lost.
  SetNineTexts(m_page, kNineTexts);
  EXPECT_EQ(ShownTexts(Page()), kNineTexts);
  ClosePage();
  m_page.SetSpeed(L"99.9 km/h");
  EXPECT_EQ(StatusPageProbe::Texts(m_page), kNineTexts);
  OpenPage(240, 320);
  EXPECT_EQ(ShownTexts(Page()), kNineTexts);
}

TEST_F(StatusPageTest, EqualTextsLeaveTheControlAlone) {
  OpenPage(240, 320);
  HWND speed = GetDlgItem(Page(), IDC_INFO_SPEED);
  HWND date = GetDlgItem(Page(), IDC_INFO_DATE);
  HWND time = GetDlgItem(Page(), IDC_INFO_TIME);
  for (HWND control : {speed, date, time}) {
    UiWindow::FromHandle(control)->SetProc(&CountingProc);
  }
  SetTextCounts().clear();

  m_page.SetSpeed(L"");
  EXPECT_EQ(SetTextCounts()[speed], 0);
  m_page.SetSpeed(L"11.3 km/h");
  m_page.SetSpeed(L"11.3 km/h");
  EXPECT_EQ(SetTextCounts()[speed], 1);
  m_page.SetSpeed(L"0.0 km/h");
  EXPECT_EQ(SetTextCounts()[speed], 2);
  EXPECT_EQ(ControlText(Page(), IDC_INFO_SPEED), L"0.0 km/h");

  // The date and the time are compared one by one.
  m_page.SetDateTime(L"2007/03/09", L"01:33:48");
  m_page.SetDateTime(L"2007/03/09", L"01:33:49");
  EXPECT_EQ(SetTextCounts()[date], 1);
  EXPECT_EQ(SetTextCounts()[time], 2);
}

TEST_F(StatusPageTest, ADisabledPageTakesNothing) {
  OpenPage(240, 320);
  m_page.SetFix(L"2D");
  EnableWindow(Page(), FALSE);
  m_page.SetFix(L"3D");
  SatelliteTable table;
  table[0] = Satellite(7, 0, 90, 40, true);
  const QImage skyBefore = StatusPageProbe::SkyImage(m_page).copy();
  const QImage barsBefore = StatusPageProbe::BarsImage(m_page).copy();
  m_page.DrawSkyView(table.entries);
  m_page.DrawSignalBars(table.entries);
  EXPECT_EQ(ControlText(Page(), IDC_INFO_FIX), L"2D");
  EXPECT_EQ(StatusPageProbe::Texts(m_page)[4], L"2D");
  EXPECT_EQ(StatusPageProbe::SkyImage(m_page), skyBefore);
  EXPECT_EQ(StatusPageProbe::BarsImage(m_page), barsBefore);
}

TEST_F(StatusPageTest, RotationKeepsTheTextsAndMovesTheViews) {
  OpenPage(480, 640);
  SetNineTexts(m_page, kNineTexts);
  SatelliteTable table;
  table[0] = Satellite(7, 0, 90, 40, true);
  m_page.DrawSkyView(table.entries);

  ResizeScreen(640, 480);
  EXPECT_EQ(ShownTexts(Page()), kNineTexts);
  EXPECT_EQ(StatusPageProbe::Orientation(m_page), -1);
  const RECT sky = StatusPageProbe::SkyRect(m_page);
  const RECT bars = StatusPageProbe::BarsRect(m_page);
  EXPECT_EQ(sky.left, 264);
  EXPECT_EQ(sky.top, 12);
  EXPECT_EQ(bars.left, 254);
  EXPECT_EQ(bars.top, 244);
  const QImage& page = PageImage(Page());
  EXPECT_TRUE(PageShows(page, sky, StatusPageProbe::SkyImage(m_page)));
  EXPECT_TRUE(PageShows(page, bars, StatusPageProbe::BarsImage(m_page)));

  // Without a reader thread the views come back empty.
  EXPECT_EQ(CountColor(StatusPageProbe::SkyImage(m_page), {0, 0, 209, 209}, RGB(0, 0, 0)), 0);

  ResizeScreen(480, 480);
  EXPECT_EQ(ShownTexts(Page()), kNineTexts);
  EXPECT_EQ(StatusPageProbe::Orientation(m_page), 0);
  EXPECT_EQ(StatusPageProbe::SkyRect(m_page).left, 266);
}

TEST_F(StatusPageTest, RotationRedrawsTheReaderThreadsSatellites) {
  // A reader thread that is never started, holding the demo sky.
  CGPSReadThread reader(nullptr, nullptr, 1024, nullptr, nullptr);
  CFieldArray fields;
  for (UINT id = IDS_DEMO_GSA; id <= IDS_DEMO_GSV3; ++id) {
    reader.DecodeLine(FindStringResource(id), fields);
  }
  OpenPage(480, 640);
  m_page.m_pReadThread = &reader;
  ResizeScreen(640, 480);
  m_page.m_pReadThread = nullptr;

  // Landscape places; every demo satellite is used, so the labels are
  // black, and twelve bars stand in their slots.
  const QImage& sky = StatusPageProbe::SkyImage(m_page);
  EXPECT_GT(CountColor(sky, {0, 0, 209, 209}, RGB(0, 0, 0)), 0);
  const QImage& bars = StatusPageProbe::BarsImage(m_page);
  const SignalBarGeometry geometry = SignalBarGeometryFor(640, 480);
  for (int i = 0; i < 12; ++i) {
    const int left = SlotLeft(geometry, i);
    EXPECT_GT(CountColor(bars, {left, 1, left + geometry.nBarWidth, geometry.nBarHeight + 1}, RGB(0, 0, 128)), 0) << i;
  }
  const QImage& page = PageImage(Page());
  EXPECT_TRUE(PageShows(page, {264, 12, 473, 221}, sky));
  EXPECT_TRUE(PageShows(page, {254, 244, 640, 324}, bars));
}

TEST_F(StatusPageTest, ASizeOfTheSameShapeLeavesTheViewsInPlace) {
  OpenPage(240, 320);
  SetNineTexts(m_page, kNineTexts);
  ResizeScreen(480, 640);
  EXPECT_EQ(ShownTexts(Page()), kNineTexts);
  EXPECT_EQ(StatusPageProbe::SkyRect(m_page).left, 117);
  EXPECT_EQ(StatusPageProbe::BarsRect(m_page).top, 182);
  m_page.DrawSkyView(nullptr);
  EXPECT_EQ(StatusPageProbe::SkyRect(m_page).left, 234);
}

TEST_F(StatusPageTest, PaintingCopiesBothImages) {
  OpenPage(240, 320);
  SatelliteTable table;
  table[0] = Satellite(7, 30, 60, 40, true);
  m_page.DrawSkyView(table.entries);
  m_page.DrawSignalBars(table.entries);
  const QImage sky = StatusPageProbe::SkyImage(m_page).copy();
  const QImage bars = StatusPageProbe::BarsImage(m_page).copy();

  // A paint shows the images as they are: it does not draw them again.
  const_cast<QImage&>(PageImage(Page())).fill(Qt::black);
  SendMessageW(Page(), WM_PAINT, 0, 0);
  const QImage& page = PageImage(Page());
  EXPECT_TRUE(PageShows(page, StatusPageProbe::SkyRect(m_page), sky));
  EXPECT_TRUE(PageShows(page, StatusPageProbe::BarsRect(m_page), bars));
  EXPECT_EQ(StatusPageProbe::SkyImage(m_page), sky);
  EXPECT_EQ(StatusPageProbe::BarsImage(m_page), bars);
}

TEST_F(StatusPageTest, ClosingFreesEveryDrawingObject) {
  const std::size_t before = GdiObjectCount();
  OpenPage(480, 640);
  EXPECT_GT(GdiObjectCount(), before);
  SatelliteTable table;
  table[0] = Satellite(7, 30, 60, 40, true);
  m_page.DrawSkyView(table.entries);
  m_page.DrawSignalBars(table.entries);
  SendMessageW(Page(), WM_PAINT, 0, 0);
  ClosePage();
  EXPECT_EQ(GdiObjectCount(), before);
  // Drawing requests after the window has gone are dropped.
  m_page.DrawSkyView(table.entries);
  m_page.DrawSignalBars(nullptr);
  EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace

namespace {

// What screen readers are told the picture over a view shows.
QString DescriptionOf(HWND page, int pictureId) {
  return UiWindow::FromHandle(GetDlgItem(page, pictureId))->Widget()->accessibleDescription();
}

}  // namespace

// The first description goes out at once; one that follows within a second
// waits for the page's timer, and then the newest text goes out.
TEST_F(StatusPageTest, ScreenReadersHearOfTheViewsAtMostOnceASecond) {
  SimulatedClock clock(100000, SimulatedClock::kManual);
  OpenPage(480, 640);
  constexpr int kSky = 2001;
  constexpr int kBars = 2002;
  EXPECT_EQ(DescriptionOf(Page(), kSky), "No satellites in view");
  EXPECT_EQ(DescriptionOf(Page(), kBars), "No satellites");

  SatelliteTable table;
  table[0] = Satellite(5, 45, 100, 40, true);
  m_page.DrawSkyView(table.entries);
  m_page.DrawSignalBars(table.entries);
  clock.Advance(500);
  table[1] = Satellite(9, 30, 200, 44, false);
  m_page.DrawSkyView(table.entries);
  m_page.DrawSignalBars(table.entries);
  EXPECT_EQ(DescriptionOf(Page(), kSky), "No satellites in view");

  clock.Advance(500);
  SendMessageW(Page(), WM_TIMER, IDT_DESCRIBE_SKY, 0);
  SendMessageW(Page(), WM_TIMER, IDT_DESCRIBE_BARS, 0);
  EXPECT_EQ(DescriptionOf(Page(), kSky), "2 satellites in view, 1 used; strongest 09 44 dB, 05 40 dB");
  EXPECT_EQ(DescriptionOf(Page(), kBars), "05 40 dB used, 09 44 dB");
}
