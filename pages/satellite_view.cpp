#include "pages/satellite_view.h"

#include "acquisition/gps_record_data.h"
#include "display/sky_labels.h"
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

// A satellite's label (and dot): black when it is used in the fix, else red.
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

// A sky of many satellites: labels of used satellites are placed first, so
// that they keep their places; a label that would cover another stands
// beside its satellite, which gets a dot in the label's colour.
void DrawCrowdedLabels(HDC dc, const SkyPlotGeometry& sky, const SkyPlan& plan, const std::vector<RECT>& rcReserved) {
  std::vector<int> order;
  for (int i = 0; i < plan.nSkyCount; ++i) {
    if (plan.pSky[i].nPRN != 0) {
      order.push_back(i);
    }
  }
  std::stable_partition(order.begin(), order.end(), [&](int i) { return plan.pSky[i].bUsed != FALSE; });
  std::vector<std::wstring> texts;
  std::vector<SkyLabelBox> labels;
  for (int i : order) {
    const SatelliteInfo& satellite = plan.pSky[i];
    const POINT point = SatellitePoint(sky, satellite.dElevation, satellite.dAzimuth);
    texts.push_back(SkyLabel(satellite, plan.bSystems));
    labels.push_back({{point.x + 1, point.y + 1}, TextSize(dc, texts.back())});
  }
  const std::vector<PlacedLabel> placed = PlaceSkyLabels(labels, rcReserved, sky.nSide);
  const HBRUSH brUsed = CreateSolidBrush(kBlack);
  const HBRUSH brNotUsed = CreateSolidBrush(kRed);
  for (std::size_t k = 0; k < placed.size(); ++k) {
    if (placed[k].bMoved) {
      FillRect(dc, &placed[k].rcDot, plan.pSky[order[k]].bUsed ? brUsed : brNotUsed);
    }
  }
  DeleteObject(brUsed);
  DeleteObject(brNotUsed);
  // Where labels still overlap, the ones placed first are drawn last, on top.
  for (std::size_t k = placed.size(); k-- > 0;) {
    SetTextColor(dc, LabelColor(plan.pSky[order[k]]));
    DrawTextHalo(dc, texts[k], placed[k].rcText.left, placed[k].rcText.top, DT_NOCLIP, TRUE);
  }
}

}  // namespace

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
      DrawTextCentered(dcSky, SkyLabel(satellite, plan.bSystems), point.x + 1, point.y + 1, DT_NOCLIP, TRUE);
    }
  } else {
    // The counts sit in the bottom corners, outside the horizon ring;
    // labels keep off them where they can.
    SetTextColor(dcSky, kLetterGrey);
    const std::wstring inView = InViewText(plan.nInView);
    const std::wstring used = UsedText(plan.nUsed);
    const SIZE inViewSize = TextSize(dcSky, inView);
    const SIZE usedSize = TextSize(dcSky, used);
    const RECT rcInView{1, sky.nSide - inViewSize.cy, 1 + inViewSize.cx, sky.nSide};
    const RECT rcUsed{sky.nSide - 1 - usedSize.cx, sky.nSide - usedSize.cy, sky.nSide - 1, sky.nSide};
    DrawTextHalo(dcSky, inView, rcInView.left, rcInView.top, DT_NOCLIP, TRUE);
    DrawTextHalo(dcSky, used, rcUsed.left, rcUsed.top, DT_NOCLIP, TRUE);
    DrawCrowdedLabels(dcSky, sky, plan, {LabelInkBox(rcInView), LabelInkBox(rcUsed)});
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
