#include "pages/accuracy_page.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "display/accuracy_text.h"
#include "display/ttff_text.h"
#include "layout/dialog_layout.h"
#include "pages/satellite_view.h"
#include "pages/setup_page.h"
#include "platform/core/clock.h"
#include "platform/core/numbers.h"
#include "platform/core/utf8.h"
#include "platform/ui/accessibility.h"
#include "quality/reference_point.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "ttff/ttff_csv.h"

namespace {

// The memory images of the two graphs, as large as their areas get (the
// VGA screens double every dialog unit).
constexpr int kScatterImageSide = 300;
constexpr int kHistoryImageWidth = 480;
constexpr int kHistoryImageHeight = 100;

// The pictures screen readers see over the two graphs.
constexpr int kScatterPictureId = 2011;
constexpr int kHistoryPictureId = 2012;
// The C/N0 axis of the history, dB-Hz.
constexpr double kCn0Low = 20.0;
constexpr double kCn0High = 55.0;

constexpr COLORREF kBack = RGB(255, 255, 255);
constexpr COLORREF kGrid = RGB(192, 192, 192);
constexpr COLORREF kPoint = RGB(0, 0, 0);
constexpr COLORREF kCep50 = RGB(0, 0, 224);
constexpr COLORREF kCep95 = RGB(224, 0, 0);
constexpr COLORREF kCn0 = RGB(0, 0, 224);
constexpr COLORREF kUsed = RGB(0, 144, 0);

void Circle(HDC dc, int cx, int cy, int radius) {
  Ellipse(dc, cx - radius, cy - radius, cx + radius + 1, cy + radius + 1);
}

// Whether a dot lies within reach of a circle of `radius` pixels around
// `centre`, as Ellipse draws it.
bool NearCircle(const RECT& dot, POINT centre, int radius) {
  if (radius < 0) return false;
  const double size = dot.right - dot.left;
  const double distance = std::hypot(dot.left + size / 2.0 - centre.x, dot.top + size / 2.0 - centre.y);
  return std::abs(distance - radius) < size + 2;
}

bool Overlaps(const RECT& a, const RECT& b) {
  return a.right > b.left - 1 && a.left < b.right + 1 && a.bottom > b.top - 1 && a.top < b.bottom + 1;
}

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }

}  // namespace

CAccuracyPpg::CAccuracyPpg() : CPropertyPage(IDD_ACCURACY_PORTRAIT), m_pSetupPage(nullptr) {}

CAccuracyPpg::~CAccuracyPpg() = default;

const AFX_MSGMAP* CAccuracyPpg::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertyPage::GetThisMessageMap(),
                              {
                                  OnWmSize(&CAccuracyPpg::OnSize),
                                  OnWmPaint(&CAccuracyPpg::OnPaint),
                                  OnWmTimer(&CAccuracyPpg::OnTimer),
                                  OnBnClicked(IDC_ACC_RESET, &CAccuracyPpg::OnReset),
                                  OnBnClicked(IDC_ACC_EXPORT, &CAccuracyPpg::OnExport),
                                  OnBnClicked(IDC_ACC_SET_REFERENCE, &CAccuracyPpg::OnSetReference),
                                  OnWmDestroy(&CAccuracyPpg::OnDestroy),
                              }};
  return &map;
}

BOOL CAccuracyPpg::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  HDC dc = GetDC(m_hWnd);
  m_bmpScatter.CreateCompatibleBitmap(dc, kScatterImageSide, kScatterImageSide);
  m_dcScatter = CreateImageContext(dc, m_bmpScatter);
  SetBkMode(m_dcScatter, TRANSPARENT);
  m_bmpDots.CreateCompatibleBitmap(dc, kScatterImageSide, kScatterImageSide);
  m_dcDots = CreateImageContext(dc, m_bmpDots);
  m_bmpHistory.CreateCompatibleBitmap(dc, kHistoryImageWidth, kHistoryImageHeight);
  m_dcHistory = CreateImageContext(dc, m_bmpHistory);
  SetBkMode(m_dcHistory, TRANSPARENT);
  ReleaseDC(m_hWnd, dc);
  m_penGrid = CreatePen(PS_SOLID, 1, kGrid);
  m_penCep50 = CreatePen(PS_SOLID, 1, kCep50);
  m_penCep95 = CreatePen(PS_SOLID, 1, kCep95);
  m_penCn0 = CreatePen(PS_SOLID, 1, kCn0);
  m_penUsed = CreatePen(PS_SOLID, 1, kUsed);
  m_brBack = CreateSolidBrush(kBack);
  m_brPoint = CreateSolidBrush(kPoint);
  m_hScatterPicture = CreateAccessiblePicture(m_hWnd, kScatterPictureId, 0, 0, 0, 0);
  SetWindowAccessibleName(m_hScatterPicture, L"Scatter of fixes");
  m_hHistoryPicture = CreateAccessiblePicture(m_hWnd, kHistoryPictureId, 0, 0, 0, 0);
  SetWindowAccessibleName(m_hHistoryPicture, L"Signal history");
  // The reference point's box: the form it takes as its hint, a name for
  // screen readers, and the point given on the command line.
  const std::wstring hint = AfxLoadString(IDS_ACC_REFERENCE_HINT);
  SendDlgItemMessage(IDC_ACC_REFERENCE_POINT, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(hint.c_str()));
  SetWindowAccessibleName(::GetDlgItem(m_hWnd, IDC_ACC_REFERENCE_POINT), L"Reference point");
  if (m_pSetupPage != nullptr && m_pSetupPage->m_quality.UserReference()) {
    SetDlgItemText(IDC_ACC_REFERENCE_POINT,
                   Utf8ToWide(ReferencePointText(*m_pSetupPage->m_quality.UserReference())).c_str());
  }
  return TRUE;
}

BOOL CAccuracyPpg::OnSetActive() {
  CPropertyPage::OnSetActive();
  RefreshAfresh();
  SetTimer(IDT_ACCURACY_REFRESH, kRefreshMs, nullptr);
  return TRUE;
}

BOOL CAccuracyPpg::OnKillActive() {
  // Behind another page it neither reads nor draws.
  KillTimer(IDT_ACCURACY_REFRESH);
  return CPropertyPage::OnKillActive();
}

void CAccuracyPpg::OnOK() {}

void CAccuracyPpg::OnSize(UINT, int, int) {
  const UINT layout = ChooseLayoutTemplate(IDD_ACCURACY_LANDSCAPE, IDD_ACCURACY_SQUARE, IDD_ACCURACY_PORTRAIT);
  ApplyDialogLayout(AfxGetInstanceHandle(), m_hWnd, layout);
  if (m_dcScatter == nullptr) return;
  // The layout gives the statics their template texts back; the graphs
  // change size.
  for (std::wstring& shown : m_strShown) shown.clear();
  RefreshAfresh();
}

RECT CAccuracyPpg::AreaRect(UINT id) const {
  const UINT layout = ChooseLayoutTemplate(IDD_ACCURACY_LANDSCAPE, IDD_ACCURACY_SQUARE, IDD_ACCURACY_PORTRAIT);
  const std::size_t index = layout == IDD_ACCURACY_LANDSCAPE ? kLandscapeLayout
                            : layout == IDD_ACCURACY_SQUARE  ? kSquareLayout
                                                             : kPortraitLayout;
  for (const DialogControl& control : AccuracyDialogPage().controls) {
    if (control.id != id) continue;
    const DialogRect& du = control.rects[index];
    RECT rc{du.x, du.y, du.x + du.cx, du.y + du.cy};
    MapDialogRect(m_hWnd, &rc);
    return rc;
  }
  return RECT{0, 0, 0, 0};
}

void CAccuracyPpg::Refresh() {
  if (m_hWnd == nullptr || m_pSetupPage == nullptr) return;
  m_pSetupPage->CountQualityEpochs();
  const CQualityStatistics& statistics = m_pSetupPage->m_quality;
  // Every fifth refresh, the first after RefreshAfresh among them, also
  // brings the slow parts up to date.
  const bool slow = m_nRefreshes++ % kSlowEvery == 0;
  // The graphs are drawn again only when an epoch came (or the page changed
  // shape or came to the front), or when the scatter waits for a slow one.
  const bool redraw = statistics.Epochs() != m_nEpochsShown || (slow && m_scatterDrawn.bBehind);
  std::vector<Enu> points;
  m_figures = statistics.Figures(redraw ? &points : nullptr);
  m_dRange = ScatterRangeMetres(m_figures);

  const AccuracyTexts texts = AccuracyFigureTexts(m_figures);
  const std::pair<UINT, const std::wstring*> fields[] = {
      {IDC_ACC_SAMPLES, &texts.strSamples},
      {IDC_ACC_AVAILABILITY, &texts.strAvailability},
      {IDC_ACC_CEP50, &texts.strCep50},
      {IDC_ACC_CEP95, &texts.strCep95},
      {IDC_ACC_DRMS2, &texts.strDrms2},
      {IDC_ACC_VERTICAL_SIGMA, &texts.strVerticalSigma},
      {IDC_ACC_VERTICAL_95, &texts.strVertical95},
      {IDC_ACC_CN0, &texts.strCn0},
      {IDC_ACC_REFERENCE, &texts.strReference},
      {IDC_ACC_SYSTEMS, &texts.strSystems},
  };
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    if (m_strShown[i] == *fields[i].second) continue;
    m_strShown[i] = *fields[i].second;
    SetDlgItemText(static_cast<int>(fields[i].first), m_strShown[i].c_str());
  }

  m_rcScatter = AreaRect(IDC_ACC_SCATTER_AREA);
  m_rcHistory = AreaRect(IDC_ACC_HISTORY_AREA);
  const int side = std::min({Width(m_rcScatter), Height(m_rcScatter), kScatterImageSide});
  m_rcScatter.right = m_rcScatter.left + side;
  m_rcScatter.bottom = m_rcScatter.top + side;
  m_rcHistory.right = m_rcHistory.left + std::min(Width(m_rcHistory), kHistoryImageWidth);
  m_rcHistory.bottom = m_rcHistory.top + std::min(Height(m_rcHistory), kHistoryImageHeight);
  if (slow) {
    MoveWindow(m_hScatterPicture, m_rcScatter.left, m_rcScatter.top, side, side, FALSE);
    MoveWindow(m_hHistoryPicture, m_rcHistory.left, m_rcHistory.top, Width(m_rcHistory), Height(m_rcHistory), FALSE);
    SetWindowAccessibleDescription(m_hScatterPicture, ScatterDescription(m_figures, m_dRange).c_str());
    SetWindowAccessibleDescription(m_hHistoryPicture, HistoryDescription(statistics.History()).c_str());
  }
  if (!redraw) return;
  m_nEpochsShown = statistics.Epochs();
  HDC dc = GetDC(m_hWnd);
  // Only the part of the scatter that changed is copied; the window then
  // shows again only the pixels that differ.
  const RECT changed = DrawScatter(points, slow);
  if (changed.right > changed.left && changed.bottom > changed.top) {
    BitBlt(dc, m_rcScatter.left + changed.left, m_rcScatter.top + changed.top, Width(changed), Height(changed),
           m_dcScatter, changed.left, changed.top, SRCCOPY);
  }
  if (slow) {
    ComposeHistory();
    BitBlt(dc, m_rcHistory.left, m_rcHistory.top, Width(m_rcHistory), Height(m_rcHistory), m_dcHistory, 0, 0, SRCCOPY);
  }
  ReleaseDC(m_hWnd, dc);
}

void CAccuracyPpg::RefreshAfresh() {
  m_nEpochsShown = -1;
  m_nRefreshes = 0;
  m_scatterDrawn.bValid = false;
  Refresh();
}

std::array<std::wstring, 3> CAccuracyPpg::ScatterTexts() const {
  return {m_figures.cep50 ? Utf8ToWide(FixedText(*m_figures.cep50, 1)) : L"",
          m_figures.cep95 ? Utf8ToWide(FixedText(*m_figures.cep95, 1)) : L"",
          Utf8ToWide(FixedText(m_dRange, 0)) + L" m"};
}

RECT CAccuracyPpg::DrawScatter(const std::vector<Enu>& points, bool overlayDue) {
  ScatterDrawn& drawn = m_scatterDrawn;
  const int side = Width(m_rcScatter);
  if (side <= 2) return RECT{0, 0, 0, 0};
  const int centre = side / 2;
  const double pixelsPerMetre = (side / 2 - 1) / m_dRange;
  const std::size_t stride = points.size() / kDrawnPoints + 1;
  bool composed = false;
  // Where the reference lies from the anchor the dots were placed around.
  Enu moved;
  if (drawn.bValid && m_figures.reference) {
    const Ecef now = EcefOfGeodetic(*m_figures.reference);
    const Ecef then = EcefOfGeodetic(drawn.anchor);
    moved = CLocalFrame(drawn.anchor).Rotate(now.x - then.x, now.y - then.y, now.z - then.z);
  }
  if (!drawn.bValid || !m_figures.reference || side != drawn.nSide || m_dRange != drawn.dRange ||
      stride != drawn.nStride || points.size() < drawn.nKept ||
      std::hypot(moved.dEast, moved.dNorth) * pixelsPerMetre >= kAnchorDriftPixels) {
    // Placing every dot afresh waits for the next slow refresh while the
    // picture shows fixes.
    if (drawn.bValid && !overlayDue) {
      drawn.bBehind = true;
      return RECT{0, 0, 0, 0};
    }
    ComposeDots(stride);
    composed = true;
    moved = Enu{};
  }

  // The fixes kept since, as dots on the layer. Evenly spread over the kept
  // fixes, counted from the oldest so that the same ones stay drawn as
  // fixes come; the newest lie on top.
  const std::size_t firstNew = drawn.dots.size();
  const int dot = side >= 200 ? 2 : 1;
  for (std::size_t i = drawn.nKept; i < points.size(); ++i) {
    if (i % stride != 0) continue;
    const long x = std::lround(centre + (points[i].dEast + moved.dEast) * pixelsPerMetre);
    const long y = std::lround(centre - (points[i].dNorth + moved.dNorth) * pixelsPerMetre);
    if (x < 0 || y < 0 || x >= side || y >= side) continue;
    const RECT rc{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + dot), static_cast<LONG>(y + dot)};
    FillRect(m_dcDots, &rc, m_brPoint);
    drawn.dots.push_back(rc);
  }
  drawn.nKept = points.size();

  // The overlay as it stands: new dots go straight onto the picture unless
  // one lies under a circle or a text, which are drawn over the dots. An
  // overlay that changed is drawn again only on a slow refresh; until then
  // the picture keeps the one it has, and the dots under it wait in the
  // layer.
  const POINT reference{static_cast<LONG>(centre + std::lround(moved.dEast * pixelsPerMetre)),
                        static_cast<LONG>(centre - std::lround(moved.dNorth * pixelsPerMetre))};
  const auto radius = [&](const std::optional<double>& cep) {
    return cep ? static_cast<int>(std::lround(*cep * pixelsPerMetre)) : -1;
  };
  std::array<std::wstring, 3> texts = ScatterTexts();
  bool same = !composed && !drawn.bBehind && reference.x == drawn.centre.x && reference.y == drawn.centre.y &&
              radius(m_figures.cep50) == drawn.nRadius50 && radius(m_figures.cep95) == drawn.nRadius95 &&
              texts == drawn.texts;
  for (std::size_t k = firstNew; same && k < drawn.dots.size(); ++k) same = !OnOverlay(drawn.dots[k]);
  if (same || (!composed && !overlayDue)) {
    drawn.bBehind = drawn.bBehind || !same;
    RECT changed{0, 0, 0, 0};
    for (std::size_t k = firstNew; k < drawn.dots.size(); ++k) {
      const RECT& rc = drawn.dots[k];
      if (!same && OnOverlay(rc)) continue;
      FillRect(m_dcScatter, &rc, m_brPoint);
      if (changed.right <= changed.left) {
        changed = rc;
      } else {
        changed = RECT{std::min(changed.left, rc.left), std::min(changed.top, rc.top),
                       std::max(changed.right, rc.right), std::max(changed.bottom, rc.bottom)};
      }
    }
    return changed;
  }
  drawn.centre = reference;
  drawn.nRadius50 = radius(m_figures.cep50);
  drawn.nRadius95 = radius(m_figures.cep95);
  if (texts != drawn.texts) {
    drawn.texts = std::move(texts);
    PlaceScatterTexts();
  }
  BitBlt(m_dcScatter, 0, 0, side, side, m_dcDots, 0, 0, SRCCOPY);
  DrawOverlay();
  drawn.bBehind = false;
  return RECT{0, 0, side, side};
}

void CAccuracyPpg::ComposeDots(std::size_t stride) {
  ScatterDrawn& drawn = m_scatterDrawn;
  const int side = Width(m_rcScatter);
  const RECT all{0, 0, side, side};
  FillRect(m_dcDots, &all, m_brBack);
  const HGDIOBJ previousPen = SelectObject(m_dcDots, m_penGrid);
  const POINT frame[] = {{0, 0}, {side - 1, 0}, {side - 1, side - 1}, {0, side - 1}, {0, 0}};
  Polyline(m_dcDots, frame, 5);
  SelectObject(m_dcDots, previousPen);
  drawn.bValid = m_figures.reference.has_value();
  if (m_figures.reference) drawn.anchor = *m_figures.reference;
  drawn.nSide = side;
  drawn.dRange = m_dRange;
  drawn.nStride = stride;
  drawn.nKept = 0;
  drawn.dots.clear();
  drawn.texts = {};  // placed afresh for the side
}

// The radii in their colours on the bottom edge, a line of text high
// whatever the scatter's size; the scale (the distance from the centre to
// the edge) at the top left.
void CAccuracyPpg::PlaceScatterTexts() {
  ScatterDrawn& drawn = m_scatterDrawn;
  const int side = drawn.nSide;
  SIZE line{};
  GetTextExtentExPointW(m_dcScatter, L"0", 1, 0, nullptr, nullptr, &line);
  const int bottom = side - 2 - line.cy;
  for (std::size_t i = 0; i < drawn.texts.size(); ++i) {
    const std::wstring& text = drawn.texts[i];
    SIZE size{};
    GetTextExtentExPointW(m_dcScatter, text.c_str(), static_cast<int>(text.size()), 0, nullptr, nullptr, &size);
    const int left = i == 1 ? side - 2 - size.cx : 2;
    const int top = i == 2 ? 1 : bottom;
    drawn.rcTexts[i] = RECT{left - 1, top - 1, left + size.cx + 1, top + size.cy + 1};
  }
}

bool CAccuracyPpg::OnOverlay(const RECT& dot) const {
  const ScatterDrawn& drawn = m_scatterDrawn;
  if (NearCircle(dot, drawn.centre, drawn.nRadius50) || NearCircle(dot, drawn.centre, drawn.nRadius95)) return true;
  return std::any_of(drawn.rcTexts.begin(), drawn.rcTexts.end(), [&](const RECT& text) { return Overlaps(dot, text); });
}

void CAccuracyPpg::DrawOverlay() {
  ScatterDrawn& drawn = m_scatterDrawn;
  const int side = drawn.nSide;
  HDC dc = m_dcScatter;
  const POINT centre = drawn.centre;
  // The axes through the reference and a ring at half the range, and the
  // dots that lie on them drawn again over them.
  const HGDIOBJ previousPen = SelectObject(dc, m_penGrid);
  const HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  const int ring = (side / 2 - 1) / 2;
  DrawLine(dc, centre.x, 0, centre.x, side);
  DrawLine(dc, 0, centre.y, side, centre.y);
  Circle(dc, centre.x, centre.y, ring);
  for (const RECT& rc : drawn.dots) {
    const bool onAxis = (rc.left <= centre.x && centre.x < rc.right) || (rc.top <= centre.y && centre.y < rc.bottom);
    if (onAxis || NearCircle(rc, centre, ring)) FillRect(dc, &rc, m_brPoint);
  }

  // The circles over the dots.
  const std::pair<int, HPEN> circles[] = {{drawn.nRadius50, m_penCep50}, {drawn.nRadius95, m_penCep95}};
  for (const auto& [radius, pen] : circles) {
    if (radius < 0) continue;
    SelectObject(dc, pen);
    Circle(dc, centre.x, centre.y, radius);
  }
  // The texts on a white ground of their own: one copy of a remembered
  // picture each, where a halo would take five.
  SetBkMode(dc, OPAQUE);
  const COLORREF colours[] = {kCep50, kCep95, kPoint};
  for (std::size_t i = 0; i < drawn.texts.size(); ++i) {
    if (drawn.texts[i].empty()) continue;
    RECT place{drawn.rcTexts[i].left + 1, drawn.rcTexts[i].top + 1, drawn.rcTexts[i].right - 1,
               drawn.rcTexts[i].bottom - 1};
    SetTextColor(dc, colours[i]);
    DrawTextW(dc, drawn.texts[i].c_str(), static_cast<int>(drawn.texts[i].size()), &place, DT_NOCLIP);
  }
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, previousBrush);
  SelectObject(dc, previousPen);
}

void CAccuracyPpg::ComposeHistory() {
  const int width = Width(m_rcHistory);
  const int height = Height(m_rcHistory);
  if (width <= 2 || height <= 2) return;
  HDC dc = m_dcHistory;
  const RECT all{0, 0, width, height};
  FillRect(dc, &all, m_brBack);
  const HGDIOBJ previousPen = SelectObject(dc, m_penGrid);
  const POINT frame[] = {{0, 0}, {width - 1, 0}, {width - 1, height - 1}, {0, height - 1}, {0, 0}};
  Polyline(dc, frame, 5);

  const auto& history = m_pSetupPage->m_quality.History();
  int usedTop = 12;
  for (const HistoryPoint& point : history) usedTop = std::max(usedTop, point.nUsed);
  const double xPerSecond = (width - 2) / static_cast<double>(CQualityStatistics::kHistorySeconds);
  const int plotHeight = height - 3;
  const auto xOf = [&](const HistoryPoint& point) {
    const std::uint32_t age = history.empty() ? 0 : history.back().nSecond - point.nSecond;
    return static_cast<int>(std::lround(width - 2 - age * xPerSecond));
  };
  // Each line is drawn in runs of consecutive points; a missing C/N0
  // breaks its line.
  std::vector<POINT> run;
  const auto flush = [&] {
    if (run.size() == 1) run.push_back({run[0].x + 1, run[0].y});
    if (run.size() > 1) Polyline(dc, run.data(), static_cast<int>(run.size()));
    run.clear();
  };
  SelectObject(dc, m_penUsed);
  for (const HistoryPoint& point : history) {
    run.push_back(
        {xOf(point), static_cast<LONG>(1 + plotHeight - std::lround(point.nUsed * plotHeight / double(usedTop)))});
  }
  flush();
  SelectObject(dc, m_penCn0);
  for (const HistoryPoint& point : history) {
    if (!point.cn0) {
      flush();
      continue;
    }
    const double share = std::clamp((*point.cn0 - kCn0Low) / (kCn0High - kCn0Low), 0.0, 1.0);
    run.push_back({xOf(point), static_cast<LONG>(1 + plotHeight - std::lround(share * plotHeight))});
  }
  flush();
  SetTextColor(dc, kCn0);
  DrawTextHalo(dc, L"C/N0", 2, 1, DT_NOCLIP, TRUE);
  SetTextColor(dc, kUsed);
  const std::wstring used = L"used";
  SIZE size{};
  GetTextExtentExPointW(dc, used.c_str(), static_cast<int>(used.size()), 0, nullptr, nullptr, &size);
  DrawTextHalo(dc, used, width - 2 - size.cx, height - 1 - size.cy, DT_NOCLIP, TRUE);
  SelectObject(dc, previousPen);
}

void CAccuracyPpg::Blit(HDC dc) const {
  BitBlt(dc, m_rcScatter.left, m_rcScatter.top, Width(m_rcScatter), Height(m_rcScatter), m_dcScatter, 0, 0, SRCCOPY);
  BitBlt(dc, m_rcHistory.left, m_rcHistory.top, Width(m_rcHistory), Height(m_rcHistory), m_dcHistory, 0, 0, SRCCOPY);
}

void CAccuracyPpg::OnPaint() {
  CPaintDC dc(this);
  Blit(dc);
}

void CAccuracyPpg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == IDT_ACCURACY_REFRESH) {
    Refresh();
    return;
  }
  CPropertyPage::OnTimer(nIDEvent);
}

void CAccuracyPpg::OnReset() {
  if (m_pSetupPage == nullptr) return;
  m_pSetupPage->m_quality.Reset();
  RefreshAfresh();
}

void CAccuracyPpg::OnExport() {
  if (m_pSetupPage == nullptr) return;
  std::string error;
  m_strSavedPath = WriteTtffCsv(m_strExportFolder.empty() ? TtffDataFolder() : m_strExportFolder,
                                AccuracyCsvFileName(UtcNowMs()), AccuracyCsvText(m_pSetupPage->m_quality), &error);
  if (m_strSavedPath.empty()) {
    AfxMessageBox(FormatText(AfxLoadString(IDS_ACC_NOT_SAVED), {Utf8ToWide(error)}).c_str(),
                  MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  const char* home = std::getenv("HOME");
  AfxMessageBox(
      FormatText(AfxLoadString(IDS_ACC_SAVED), {SavedPathText(m_strSavedPath, home != nullptr ? home : "")}).c_str(),
      MB_ICONINFORMATION | MB_OK);
}

// The typed point becomes the reference and the figures are measured from it
// at once; an empty box gives the mean of the fixes back. A text that is no
// point changes nothing and a box says what the page takes.
void CAccuracyPpg::OnSetReference() {
  if (m_pSetupPage == nullptr) return;
  std::wstring typed;
  GetDlgItemText(IDC_ACC_REFERENCE_POINT, typed);
  std::optional<Geodetic> point;
  if (typed.find_first_not_of(L" \t") != std::wstring::npos) {
    point = ParseReferencePoint(WideToUtf8(typed));
    if (!point) {
      AfxMessageBox(FormatText(AfxLoadString(IDS_ACC_BAD_REFERENCE), {typed}).c_str(), MB_ICONEXCLAMATION | MB_OK);
      return;
    }
  }
  m_pSetupPage->m_quality.SetReference(point);
  RefreshAfresh();
}

void CAccuracyPpg::OnDestroy() {
  CPropertyPage::OnDestroy();
  DeleteDC(m_dcScatter);
  m_bmpScatter.DeleteObject();
  DeleteDC(m_dcDots);
  m_bmpDots.DeleteObject();
  m_dcDots = nullptr;
  DeleteDC(m_dcHistory);
  m_bmpHistory.DeleteObject();
  m_dcScatter = nullptr;
  m_dcHistory = nullptr;
  for (HPEN pen : {m_penGrid, m_penCep50, m_penCep95, m_penCn0, m_penUsed}) DeleteObject(pen);
  DeleteObject(m_brBack);
  DeleteObject(m_brPoint);
  m_hScatterPicture = nullptr;
  m_hHistoryPicture = nullptr;
}
