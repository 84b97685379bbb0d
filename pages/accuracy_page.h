// CAccuracyPpg: the Accuracy page. It shows the positioning figures of the
// Setup page's session (CGeneralPpg::m_quality, which the session fills at
// every epoch whether or not this page is in front): a scatter of the fixes
// east and north of the reference with the CEP50 and CEP95 circles, the
// figures one a line, the reference, the satellites per system and a graph
// of the last ten minutes' strongest-four C/N0 and satellites used. It reads
// and draws only while it is in front, once a second. Reset starts the
// figures afresh; Export saves the fixes and figures as CSV and says where.
// Set ref. makes the point typed in the box beside it (LAT,LON[,ALT]) the
// reference, or, the box empty, the mean of the fixes again.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/afx/afx.h"
#include "quality/quality_statistics.h"

class CGeneralPpg;

// The page's window timer: every kRefreshMs while the page is in front.
constexpr UINT_PTR IDT_ACCURACY_REFRESH = 1;

class CAccuracyPpg : public CPropertyPage {
 public:
  static constexpr UINT kRefreshMs = 1000;
  // Every kSlowEvery-th refresh also brings the slow parts up to date: the
  // graphs' descriptions, so that a screen reader is not told of new ones
  // every second; the ten-minute history (four fifths of a pixel a second
  // at its widest); and the scatter's circles, axes and texts, which follow
  // figures of the whole session (new fixes show as dots every second).
  static constexpr int kSlowEvery = 5;
  // At most this many fixes are drawn, evenly spread over those kept.
  static constexpr std::size_t kDrawnPoints = 1000;
  // How far (in pixels) the reference may move from where the dots were
  // placed around before they are placed afresh.
  static constexpr double kAnchorDriftPixels = 3.0;

  CAccuracyPpg();
  ~CAccuracyPpg() override;

  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  BOOL OnKillActive() override;
  void OnOK() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // The figures last shown, and the scatter's half width in metres.
  const QualityFigures& Figures() const { return m_figures; }
  double RangeMetres() const { return m_dRange; }
  // The last export's file, empty while none was saved.
  const std::string& SavedPath() const { return m_strSavedPath; }

  CGeneralPpg* m_pSetupPage;  // owner of the session and its figures, not owned
  // Where Export writes; empty: $XDG_DATA_HOME/zelmora (else
  // ~/.local/share/zelmora), as the TTFF page's files.
  std::string m_strExportFolder;

 protected:
  void OnSize(UINT type, int cx, int cy);
  void OnPaint();
  void OnTimer(UINT_PTR nIDEvent);
  void OnReset();
  void OnExport();
  void OnSetReference();
  void OnDestroy();

 private:
  // Reads the figures, shows their texts and redraws both graphs.
  void Refresh();
  // Refresh with both graphs composed and both descriptions set afresh.
  void RefreshAfresh();
  // The area static's rectangle in the page's client pixels.
  RECT AreaRect(UINT id) const;
  // Brings the scatter picture up to date with the kept fixes `points`
  // (east and north of the reference) and returns the part of it that
  // changed, in picture pixels. Unless `overlayDue`, only new dots are
  // drawn, and only where the overlay shown does not cover them.
  RECT DrawScatter(const std::vector<Enu>& points, bool overlayDue);
  // Clears the dots layer to its frame for drawing every `stride`th kept
  // fix around the present reference, which becomes its anchor.
  void ComposeDots(std::size_t stride);
  // Draws over the dots layer's copy what depends on the reference and the
  // figures: the axes and the half-range ring under the dots, the circles
  // and the texts over them.
  void DrawOverlay();
  // Measures the scatter's texts and sets their places.
  void PlaceScatterTexts();
  // Whether a dot drawn at `dot` would lie under a circle or a text of the
  // overlay as drawn (those are drawn over the dots).
  bool OnOverlay(const RECT& dot) const;
  // The CEP50 and CEP95 radii and the scale as the scatter writes them.
  std::array<std::wstring, 3> ScatterTexts() const;
  void ComposeHistory();
  // Copies both pictures onto the page.
  void Blit(HDC dc) const;

  // The scatter is drawn in two layers. The dots layer holds the frame and
  // the drawn fixes, placed around an anchor: the reference when the layer
  // was composed. The picture shown is a copy of it with the overlay: the
  // axes and ring through the present reference, the circles around it and
  // the texts. A mean reference moves a little with every fix; the dots
  // stay where they are and only the overlay follows it, until it has
  // moved kAnchorDriftPixels from the anchor.
  struct ScatterDrawn {
    bool bValid = false;  // the dots layer holds the fixes below
    Geodetic anchor;
    int nSide = 0;
    double dRange = 0.0;
    std::size_t nStride = 1;
    std::size_t nKept = 0;   // the kept fixes the dots layer holds
    std::vector<RECT> dots;  // the dots drawn, oldest first
    bool bBehind = false;    // the picture waits for the overlay or dots of the figures now
    POINT centre{0, 0};      // the reference's pixel
    std::array<std::wstring, 3> texts;
    int nRadius50 = -1;  // pixels; -1 for no circle
    int nRadius95 = -1;
    std::array<RECT, 3> rcTexts{};  // the texts' places, a pixel wider all round
  };

  QualityFigures m_figures;
  ScatterDrawn m_scatterDrawn;
  std::array<std::wstring, 10> m_strShown;  // the figure statics' texts, in Refresh's order
  double m_dRange = 1.0;
  long long m_nEpochsShown = -1;  // the epochs the graphs show; -1 forces a redraw
  int m_nRefreshes = 0;
  std::string m_strSavedPath;

  CBitmap m_bmpScatter;
  CBitmap m_bmpDots;
  CBitmap m_bmpHistory;
  HDC m_dcScatter = nullptr;
  HDC m_dcDots = nullptr;
  HDC m_dcHistory = nullptr;
  RECT m_rcScatter{0, 0, 0, 0};
  RECT m_rcHistory{0, 0, 0, 0};
  HWND m_hScatterPicture = nullptr;
  HWND m_hHistoryPicture = nullptr;
  HPEN m_penGrid = nullptr;
  HPEN m_penCep50 = nullptr;
  HPEN m_penCep95 = nullptr;
  HPEN m_penCn0 = nullptr;
  HPEN m_penUsed = nullptr;
  HBRUSH m_brBack = nullptr;
  HBRUSH m_brPoint = nullptr;
};
