// A GPS Info page with its window on the offscreen platform, sized to the
// simulated screen, and the means to look at its pixels: the two memory
// images, the page's own image, and texts drawn for reference.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "acquisition/satellite_info.h"
#include "pages/gps_info_page.h"

// Reads the page's drawing state.
class StatusPageProbe {
 public:
  static const QImage& SkyImage(const CStatusPpg& page);
  static const QImage& BarsImage(const CStatusPpg& page);
  static RECT SkyRect(const CStatusPpg& page) { return page.m_rcSky; }
  static RECT BarsRect(const CStatusPpg& page) { return page.m_rcBars; }
  static int Orientation(const CStatusPpg& page) { return page.m_nOrientation; }
  // The remembered texts, in the order of the page's fields.
  static std::vector<std::wstring> Texts(const CStatusPpg& page);
};

// The ids of the nine value fields, in the order of StatusPageProbe::Texts.
extern const int kInfoFieldIds[9];

// The page's image as its window shows it.
const QImage& PageImage(HWND page);

// The text of a control of the page.
std::wstring ControlText(HWND page, int id);

// Where a text's pixels go when drawn from (0, 0) on the current screen:
// measured and drawn through the drawing layer onto white.
struct TextInk {
  SIZE size;
  std::vector<bool> ink;  // (size.cx + 4) x (size.cy + 4), from (-2, -2)
  bool At(int x, int y) const;
};
TextInk InkOf(const std::wstring& text);

// How many pixels of the image, within `clip`, disagree with the text drawn
// in `color` from (left, top): ink that is not that colour, or that colour
// where the text has no ink.
int TextMismatches(const QImage& image, const std::wstring& text, int left, int top, COLORREF color, const RECT& clip);

// The top-left corner DrawTextCentered gives a text centred on (x, y).
POINT CentredTextCorner(const std::wstring& text, int x, int y);

COLORREF PixelAt(const QImage& image, int x, int y);
// How many pixels of that colour lie within the rectangle.
int CountColor(const QImage& image, const RECT& rect, COLORREF color);
// Whether the rectangle of the page image equals the top-left corner of the view's image.
bool PageShows(const QImage& page, const RECT& where, const QImage& view);

// How many pixels of a marker drawn from the corner of `marker` disagree
// with the system's shape in its colour, filled when used; a hollow marker
// is white inside.
int MarkerMismatches(const QImage& image, const RECT& marker, int nMarkerSide, int nSystem, bool bUsed);

// A page whose window is created on a screen of the given size, moved to
// fill it and laid out for its shape (as the sheet does with WM_SIZE).
class InfoPageTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  void TearDown() override;

  void OpenPage(int width, int height);
  void ClosePage();
  // Screen change as the sheet reports it: new size, then WM_SIZE.
  void ResizeScreen(int width, int height);
  HWND Page() const { return m_page.m_hWnd; }
  // Saves a picture of the page under the build folder's pictures/.
  void SavePicture(const std::string& name);

  CStatusPpg m_page;
};

// A satellite table with all entries empty.
struct SatelliteTable {
  SatelliteInfo entries[12];
  SatelliteInfo& operator[](int i) { return entries[i]; }
};
SatelliteInfo Satellite(int prn, double elevation, double azimuth, double snr, bool used);
