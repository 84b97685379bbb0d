#include "tests/pages/info_page_fixture.h"

#include <QWidget>

#include "display/sky_markers.h"
#include "display/sky_plan.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/gdi_objects.h"
#include "platform/ui/screen.h"
#include "platform/ui/window_picture.h"
#include "platform/ui/ui_application.h"
#include "resources/resource_ids.h"

const int kInfoFieldIds[9] = {IDC_INFO_DATE, IDC_INFO_TIME, IDC_INFO_SPEED,    IDC_INFO_COURSE, IDC_INFO_FIX,
                              IDC_INFO_LAT,  IDC_INFO_LON,  IDC_INFO_ALTITUDE, IDC_INFO_PDOP};

const QImage& StatusPageProbe::SkyImage(const CStatusPpg& page) {
  return *GdiBitmapImage(page.m_bmpSky.GetSafeHandle());
}

const QImage& StatusPageProbe::BarsImage(const CStatusPpg& page) {
  return *GdiBitmapImage(page.m_bmpBars.GetSafeHandle());
}

std::vector<std::wstring> StatusPageProbe::Texts(const CStatusPpg& page) {
  return {page.m_strDate,     page.m_strTime,      page.m_strSpeed,    page.m_strCourse, page.m_strFix,
          page.m_strLatitude, page.m_strLongitude, page.m_strAltitude, page.m_strPdop};
}

const QImage& PageImage(HWND page) {
  UiWindow* window = UiWindow::FromHandle(page);
  // Rendering the widget paints what an invalid window still owes, as the
  // screen would.
  window->Widget()->grab();
  return dynamic_cast<DialogWindow*>(window)->BackingImage();
}

std::wstring ControlText(HWND page, int id) {
  wchar_t text[256] = {};
  GetWindowTextW(GetDlgItem(page, id), text, 256);
  return text;
}

bool TextInk::At(int x, int y) const {
  if (x < -2 || y < -2 || x >= size.cx + 2 || y >= size.cy + 2) {
    return false;
  }
  return ink[static_cast<std::size_t>((y + 2) * (size.cx + 4) + x + 2)];
}

TextInk InkOf(const std::wstring& text) {
  TextInk result{};
  HDC dc = CreateCompatibleDC(nullptr);
  GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), 0, nullptr, nullptr, &result.size);
  const int width = result.size.cx + 4;
  const int height = result.size.cy + 4;
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, width, height, nullptr, 0, 0, WHITENESS);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  RECT at{2, 2, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &at, DT_NOCLIP);
  const QImage& image = *GdiBitmapImage(bitmap);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      result.ink.push_back(image.pixel(x, y) != qRgb(255, 255, 255));
    }
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return result;
}

int TextMismatches(const QImage& image, const std::wstring& text, int left, int top, COLORREF color, const RECT& clip) {
  const TextInk ink = InkOf(text);
  int mismatches = 0;
  int inked = 0;
  for (int y = -2; y < ink.size.cy + 2; ++y) {
    for (int x = -2; x < ink.size.cx + 2; ++x) {
      const int px = left + x;
      const int py = top + y;
      if (px < clip.left || px >= clip.right || py < clip.top || py >= clip.bottom || !image.valid(px, py)) {
        continue;
      }
      inked += ink.At(x, y) ? 1 : 0;
      if (ink.At(x, y) != (PixelAt(image, px, py) == color)) {
        ++mismatches;
      }
    }
  }
  // A text with no ink inside the clip proves nothing.
  return inked > 0 ? mismatches : -1;
}

POINT CentredTextCorner(const std::wstring& text, int x, int y) {
  const TextInk ink = InkOf(text);
  return {static_cast<LONG>(x - ink.size.cx * 0.5 + 0.5), static_cast<LONG>(y - ink.size.cy * 0.5 + 0.5)};
}

COLORREF PixelAt(const QImage& image, int x, int y) {
  const QRgb pixel = image.pixel(x, y);
  return RGB(static_cast<BYTE>(qRed(pixel)), static_cast<BYTE>(qGreen(pixel)), static_cast<BYTE>(qBlue(pixel)));
}

int CountColor(const QImage& image, const RECT& rect, COLORREF color) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      count += image.valid(x, y) && PixelAt(image, x, y) == color ? 1 : 0;
    }
  }
  return count;
}

bool PageShows(const QImage& page, const RECT& where, const QImage& view) {
  const int width = where.right - where.left;
  const int height = where.bottom - where.top;
  if (where.left < 0 || where.top < 0 || where.right > page.width() || where.bottom > page.height()) {
    return false;
  }
  return page.copy(where.left, where.top, width, height) == view.copy(0, 0, width, height);
}

void InfoPageTest::SetUpTestSuite() { EnsureTestApplication(); }

void InfoPageTest::TearDown() {
  ClosePage();
  SetScreenSize(480, 640);
}

void InfoPageTest::OpenPage(int width, int height) {
  SetScreenSize(width, height);
  ASSERT_NE(m_page.CreatePageWindow(nullptr), nullptr);
  HDWP batch = BeginDeferWindowPos(1);
  batch = DeferWindowPos(batch, Page(), nullptr, 0, 0, width, height, SWP_NOZORDER);
  EndDeferWindowPos(batch);
  SendMessageW(Page(), WM_SIZE, SIZE_RESTORED, 0);
}

void InfoPageTest::ClosePage() {
  if (IsWindow(Page())) {
    m_page.DestroyWindow();
  }
}

void InfoPageTest::ResizeScreen(int width, int height) {
  SetScreenSize(width, height);
  HDWP batch = BeginDeferWindowPos(1);
  batch = DeferWindowPos(batch, Page(), nullptr, 0, 0, width, height, SWP_NOZORDER);
  EndDeferWindowPos(batch);
  SendMessageW(Page(), WM_SIZE, SIZE_RESTORED, 0);
}

void InfoPageTest::SavePicture(const std::string& name) {
  EXPECT_TRUE(SaveWindowPicture(Page(), std::string(ZELMORA_BINARY_DIR) + "/pictures/" + name + ".png"));
}

int MarkerMismatches(const QImage& image, const RECT& marker, int nMarkerSide, int nSystem, bool bUsed) {
  const int n = nMarkerSide;
  const MarkerShape shape = SystemMarkerShape(nSystem);
  const std::vector<bool> shown = MarkerPixels(shape, n, bUsed);
  const std::vector<bool> filled = MarkerPixels(shape, n, true);
  int wrong = 0;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * n + x;
      if (!filled[i]) continue;
      const COLORREF expected = shown[i] ? SystemColor(nSystem) : RGB(255, 255, 255);
      wrong += PixelAt(image, marker.left + x, marker.top + y) != expected ? 1 : 0;
    }
  }
  return wrong;
}

SatelliteInfo Satellite(int prn, double elevation, double azimuth, double snr, bool used) {
  SatelliteInfo satellite;
  satellite.nPRN = prn;
  satellite.dElevation = elevation;
  satellite.dAzimuth = azimuth;
  satellite.dSNR = snr;
  satellite.bUsed = used ? TRUE : FALSE;
  return satellite;
}
