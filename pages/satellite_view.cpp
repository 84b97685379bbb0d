#include "pages/satellite_view.h"

#include "acquisition/gps_record_data.h"
#include "acquisition/gnss_system.h"
#include "display/sky_labels.h"
#include "display/sky_markers.h"
#include "platform/core/resources.h"
#include "platform/ui/gdi.h"
#include "resources/string_table.h"

#include <algorithm>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kLetterGrey = RGB(128, 128, 128);

// A satellite's label on the handheld's sky: black when it is used in the fix, else red.
COLORREF LabelColor(const SatelliteInfo& satellite) { return satellite.bUsed ? kBlack : kRed; }

SIZE TextSize(HDC dc, const std::wstring& strText) {
  SIZE size{0, 0};
  GetTextExtentExPointW(dc, strText.c_str(), static_cast<int>(strText.size()), 0, nullptr, nullptr, &size);
  return size;
}

// Draws a text whose left edge is `left`, or one pixel further right when its
// width is odd; the caller's centre line gives the vertical place.
void DrawSlotText(HDC dc, const std::wstring& strText, int left, int centreY, const SIZE& size) {
  DrawTextCentered(dc, strText, left + (size.cx + 1) / 2, centreY, DT_NOCLIP, FALSE);
}

// Draws a marker of n pixels square from (left, top): a white halo a pixel
// round the whole shape (which also clears a hollow marker's inside), then
// its pixels in the colour, a row's runs at a time.
void DrawMarker(HDC dc, MarkerShape shape, int n, int left, int top, bool bFilled, HBRUSH brColour, HBRUSH brWhite) {
  const std::vector<bool> whole = MarkerPixels(shape, n, true);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      if (whole[static_cast<std::size_t>(y) * n + x]) {
        const RECT halo{left + x - 1, top + y - 1, left + x + 2, top + y + 2};
        FillRect(dc, &halo, brWhite);
      }
    }
  }
  const std::vector<bool> pixels = bFilled ? whole : MarkerPixels(shape, n, false);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n;) {
      if (!pixels[static_cast<std::size_t>(y) * n + x]) {
        ++x;
        continue;
      }
      int end = x;
      while (end < n && pixels[static_cast<std::size_t>(y) * n + end]) ++end;
      const RECT run{left + x, top + y, left + end, top + y + 1};
      FillRect(dc, &run, brColour);
      x = end;
    }
  }
}

HFONT CreateMarkFont(const SkyPlotGeometry& sky) {
  return CreateFontW(-SkyMarkFontPixels(sky.nMargin), 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, nullptr);
}

// The systems present in the plan, in their numbers' order.
std::vector<int> SystemsOf(const SkyPlan& plan) {
  std::vector<int> systems;
  for (int i = 0; i < plan.nSkyCount; ++i) {
    if (plan.pSky[i].nPRN != 0 && std::find(systems.begin(), systems.end(), plan.pSky[i].nSystem) == systems.end()) {
      systems.push_back(plan.pSky[i].nSystem);
    }
  }
  std::sort(systems.begin(), systems.end());
  return systems;
}

SkyMarksLayout LayOutWithFont(HDC dc, HFONT font, const SkyPlotGeometry& sky, const SkyPlan& plan) {
  SkyMarksLayout layout;
  const int side = sky.nSide;
  layout.nMarkerSide = SkyMarkerSide(sky.nMargin);
  wchar_t letters[8] = {};
  const int letterCount = LoadStringW(GetModuleHandleW(nullptr), IDS_COMPASS_LETTERS, letters, 8);
  std::vector<RECT> compass;
  for (int i = 0; i < 4 && i < letterCount; ++i) {
    const POINT centre = CompassLetterCentre(sky, i);
    compass.push_back(CentredTextBox(centre.x, centre.y, TextSize(dc, std::wstring(1, letters[i]))));
  }
  // The counts share the bottom rows with the compass's S: counts that
  // would run into it take the numbers' font, or one a tenth smaller, and
  // stand flush with the plot's edges.
  auto placeCounts = [&]() {
    const SIZE inViewSize = TextSize(dc, InViewText(plan.nInView));
    const SIZE usedSize = TextSize(dc, UsedText(plan.nUsed));
    const int edge = layout.nCountsPixels != 0 ? 0 : 1;
    layout.rcInView = {edge, side - inViewSize.cy, edge + inViewSize.cx, side};
    layout.rcUsed = {side - edge - usedSize.cx, side - usedSize.cy, side - edge, side};
    const RECT south = compass.size() > 2 ? compass[2] : RECT{sky.nCentre, side, sky.nCentre, side};
    return layout.rcInView.right + 1 <= south.left && layout.rcUsed.left >= south.right + 1;
  };
  if (!placeCounts()) {
    const int numbers = SkyMarkFontPixels(sky.nMargin);
    for (int pixels : {numbers, numbers * 9 / 10}) {
      const HFONT countsFont = CreateFontW(-pixels, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, nullptr);
      const HGDIOBJ before = SelectObject(dc, countsFont);
      layout.nCountsPixels = pixels;
      const bool fits = placeCounts();
      SelectObject(dc, before);
      DeleteObject(countsFont);
      if (fits) break;
    }
  }
  const HGDIOBJ previousFont = SelectObject(dc, font);

  layout.nLegendSystems = SystemsOf(plan);
  int letterWidth = 0;
  int inkHeight = 0;
  for (int system : layout.nLegendSystems) {
    const SIZE size = TextSize(dc, std::wstring(1, SystemLetter(system)));
    const RECT ink = LabelInkBox({0, 0, size.cx, size.cy});
    letterWidth = std::max<int>(letterWidth, size.cx);
    inkHeight = std::max<int>(inkHeight, ink.bottom - ink.top);
  }
  // The letter's side bearing keeps it off its marker.
  const SIZE entry{layout.nMarkerSide + letterWidth, std::max(layout.nMarkerSide, inkHeight)};
  layout.rcLegend =
      PlaceSkyLegend(sky, entry, static_cast<int>(layout.nLegendSystems.size()), side - layout.rcInView.top + 1);

  // Used satellites are placed first, so that they keep their places.
  for (int i = 0; i < plan.nSkyCount; ++i) {
    if (plan.pSky[i].nPRN != 0) {
      layout.nSatellite.push_back(i);
    }
  }
  std::stable_partition(layout.nSatellite.begin(), layout.nSatellite.end(),
                        [&](int i) { return plan.pSky[i].bUsed != FALSE; });
  std::vector<SkyMark> marks;
  for (int i : layout.nSatellite) {
    const SatelliteInfo& satellite = plan.pSky[i];
    marks.push_back({SatellitePoint(sky, satellite.dElevation, satellite.dAzimuth),
                     TextSize(dc, BarLabel(satellite, plan.bSystems))});
  }
  SelectObject(dc, previousFont);

  // Marks keep off the counts, the legend and the compass letters.
  std::vector<RECT> reserved = {layout.rcInView, layout.rcUsed};
  for (const RECT& letter : compass) {
    reserved.push_back(LabelInkBox(letter));
  }
  // The legend keeps a little more room, so that no satellite reads as part of it.
  for (const RECT& entry : layout.rcLegend) {
    const int room = sky.nMargin / 7 * 2;
    reserved.push_back({entry.left - room, entry.top - room, entry.right + room, entry.bottom + room});
  }
  layout.marks = PlaceSkyMarks(marks, layout.nMarkerSide, reserved, side);
  return layout;
}

// A sky of several systems: the counts in the bottom corners, the legend
// in the top ones, and each satellite's marker with its number beside it
// where there is room.
void DrawSystemMarks(HDC dc, const SkyPlotGeometry& sky, const SkyPlan& plan) {
  const HFONT font = CreateMarkFont(sky);
  const SkyMarksLayout layout = LayOutWithFont(dc, font, sky, plan);

  const HFONT countsFont = layout.nCountsPixels != 0 ? CreateFontW(-layout.nCountsPixels, 0, 0, 0, 0, FALSE, FALSE,
                                                                   FALSE, 0, 0, 0, 0, 0, nullptr)
                                                     : nullptr;
  const HGDIOBJ drawingFont = countsFont != nullptr ? SelectObject(dc, countsFont) : nullptr;
  SetTextColor(dc, kLetterGrey);
  DrawTextHalo(dc, InViewText(plan.nInView), layout.rcInView.left, layout.rcInView.top, DT_NOCLIP, TRUE);
  DrawTextHalo(dc, UsedText(plan.nUsed), layout.rcUsed.left, layout.rcUsed.top, DT_NOCLIP, TRUE);

  const HGDIOBJ previousFont = SelectObject(dc, font);
  const HBRUSH brWhite = CreateSolidBrush(kWhite);
  const int n = layout.nMarkerSide;
  for (std::size_t k = 0; k < layout.rcLegend.size(); ++k) {
    const int system = layout.nLegendSystems[k];
    const RECT& entry = layout.rcLegend[k];
    const HBRUSH brColour = CreateSolidBrush(SystemColor(system));
    const int entryHeight = entry.bottom - entry.top;
    DrawMarker(dc, SystemMarkerShape(system), n, entry.left, entry.top + (entryHeight - n) / 2, true, brColour,
               brWhite);
    DeleteObject(brColour);
    const std::wstring letter(1, SystemLetter(system));
    const SIZE size = TextSize(dc, letter);
    const RECT ink = LabelInkBox({0, 0, size.cx, size.cy});
    SetTextColor(dc, SystemColor(system));
    DrawTextHalo(dc, letter, entry.left + n, entry.top + (entryHeight - (ink.bottom - ink.top)) / 2 - ink.top,
                 DT_NOCLIP, TRUE);
  }
  for (std::size_t k = 0; k < layout.marks.size(); ++k) {
    const SatelliteInfo& satellite = plan.pSky[layout.nSatellite[k]];
    const HBRUSH brColour = CreateSolidBrush(SystemColor(satellite.nSystem));
    const RECT& marker = layout.marks[k].rcMarker;
    DrawMarker(dc, SystemMarkerShape(satellite.nSystem), n, marker.left, marker.top, satellite.bUsed != FALSE, brColour,
               brWhite);
    DeleteObject(brColour);
  }
  for (std::size_t k = 0; k < layout.marks.size(); ++k) {
    if (!layout.marks[k].bNumber) continue;
    const SatelliteInfo& satellite = plan.pSky[layout.nSatellite[k]];
    SetTextColor(dc, SystemColor(satellite.nSystem));
    DrawTextHalo(dc, BarLabel(satellite, plan.bSystems), layout.marks[k].rcNumber.left, layout.marks[k].rcNumber.top,
                 DT_NOCLIP, TRUE);
  }
  DeleteObject(brWhite);
  SelectObject(dc, drawingFont != nullptr ? drawingFont : previousFont);
  DeleteObject(font);
  if (countsFont != nullptr) DeleteObject(countsFont);
}

}  // namespace

SkyMarksLayout LayOutSkyMarks(HDC dc, const SkyPlotGeometry& sky, const SkyPlan& plan) {
  const HFONT font = CreateMarkFont(sky);
  SkyMarksLayout layout = LayOutWithFont(dc, font, sky, plan);
  DeleteObject(font);
  return layout;
}

BOOL DrawTextCentered(HDC dc, const std::wstring& strText, int x, int y, UINT nFormat, BOOL bHalo) {
  const RECT box = CentredTextBox(x, y, TextSize(dc, strText));
  return DrawTextHalo(dc, strText, box.left, box.top, nFormat, bHalo);
}

BOOL DrawTextHalo(HDC dc, const std::wstring& strText, int left, int top, UINT nFormat, BOOL bHalo) {
  const int count = static_cast<int>(strText.size());
  if (bHalo) {
    const COLORREF previous = SetTextColor(dc, kWhite);
    const POINT around[] = {{left - 1, top}, {left + 1, top}, {left, top - 1}, {left, top + 1}};
    for (const POINT& at : around) {
      RECT rect{at.x, at.y, 0, 0};
      DrawTextW(dc, strText.c_str(), count, &rect, nFormat);
    }
    SetTextColor(dc, previous);
  }
  RECT rect{left, top, 0, 0};
  return DrawTextW(dc, strText.c_str(), count, &rect, nFormat) != 0 ? TRUE : FALSE;
}

HDC CreateImageContext(HDC pageDc, CBitmap& bitmap) {
  HDC dc = CreateCompatibleDC(pageDc);
  SelectObject(dc, bitmap.GetSafeHandle());
  return dc;
}

BOOL DrawLine(HDC dc, int x1, int y1, int x2, int y2) {
  const POINT points[] = {{x1, y1}, {x2, y2}};
  return Polyline(dc, points, 2);
}

void ComposeSkyView(HDC dcSky, const SkyPlotGeometry& sky, HDC dcBackground, const SatelliteViewTools& tools,
                    const SkyPlan& plan) {
  const int side = sky.nSide;
  BitBlt(dcSky, 0, 0, side, side, nullptr, 0, 0, WHITENESS);
  StretchBlt(dcSky, 0, 0, side, side, dcBackground, 0, 0, sky.nBackgroundSide, sky.nBackgroundSide, SRCCOPY);
  const HGDIOBJ previousBrush = SelectObject(dcSky, tools.brNull);
  const HGDIOBJ previousPen = SelectObject(dcSky, tools.penGrid);

  for (int k = 0; k < 3; ++k) {
    const RECT box = SkyRingBox(sky, k);
    Ellipse(dcSky, box.left, box.top, box.right, box.bottom);
  }
  const int t = sky.nCentre;
  const int m = sky.nMargin;
  DrawLine(dcSky, t, m - 1, t, 2 * t - m + 1);
  DrawLine(dcSky, m - 1, t, 2 * t - m + 1, t);

  wchar_t letters[8] = {};
  const int letterCount = LoadStringW(GetModuleHandleW(nullptr), IDS_COMPASS_LETTERS, letters, 8);
  SetTextColor(dcSky, kLetterGrey);
  for (int i = 0; i < 4 && i < letterCount; ++i) {
    const POINT centre = CompassLetterCentre(sky, i);
    DrawTextCentered(dcSky, std::wstring(1, letters[i]), centre.x, centre.y, DT_NOCLIP, TRUE);
  }

  if (!plan.bSystems) {
    // The handheld's sky: every label centred on its satellite, later ones
    // over earlier ones.
    for (int i = 0; i < plan.nSkyCount; ++i) {
      const SatelliteInfo& satellite = plan.pSky[i];
      if (satellite.nPRN == 0) {
        continue;
      }
      const POINT point = SatellitePoint(sky, satellite.dElevation, satellite.dAzimuth);
      SetTextColor(dcSky, LabelColor(satellite));
      DrawTextCentered(dcSky, SatelliteLabel(satellite.nPRN), point.x + 1, point.y + 1, DT_NOCLIP, TRUE);
    }
  } else {
    DrawSystemMarks(dcSky, sky, plan);
  }

  SelectObject(dcSky, previousBrush);
  SelectObject(dcSky, previousPen);
}

void ComposeSignalBars(HDC dcBars, const SignalBarGeometry& bars, const SatelliteViewTools& tools,
                       const SkyPlan& plan) {
  const RECT& chart = bars.rcBars;
  BitBlt(dcBars, 0, 0, chart.right - chart.left, chart.bottom - chart.top, nullptr, 0, 0, WHITENESS);
  const HGDIOBJ previousBrush = SelectObject(dcBars, tools.brNull);

  const int w = bars.nBarWidth;
  const int h = bars.nBarHeight;
  for (int i = 0; i < kSatelliteCount; ++i) {
    const int left = SlotLeft(bars, i);
    const RECT slot{left, 1, left + w, h + 1};
    FillRect(dcBars, &slot, tools.brSlot);
    if (plan.nSlot[i] < 0 || plan.pSky[plan.nSlot[i]].nPRN == 0) {
      continue;
    }
    const SatelliteInfo& satellite = plan.pSky[plan.nSlot[i]];
    const int textLeft = SlotTextLeft(bars, i);
    if (satellite.dSNR != 0) {
      const RECT bar{left, BarTop(h, satellite.dSNR), left + w, h + 1};
      FillRect(dcBars, &bar, satellite.bUsed ? tools.brUsed : tools.brNotUsed);
      // The number sits on the bar, its bottom edge on the slot's bottom.
      const std::wstring snr = SnrLabel(satellite.dSNR);
      const SIZE size = TextSize(dcBars, snr);
      SetTextColor(dcBars, kWhite);
      DrawSlotText(dcBars, snr, textLeft, h + 1 - (size.cy + 1) / 2, size);
    }
    // The label goes below the slot; with several systems it is the number
    // in the satellite's system, in the system's colour.
    const std::wstring label = BarLabel(satellite, plan.bSystems);
    const SIZE size = TextSize(dcBars, label);
    SetTextColor(dcBars, plan.bSystems ? SystemColor(satellite.nSystem) : kBlack);
    DrawSlotText(dcBars, label, textLeft, h + 2 * bars.nScale + (size.cy + 1) / 2, size);
  }

  SelectObject(dcBars, previousBrush);
}
