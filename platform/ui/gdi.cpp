#include "platform/ui/gdi.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "platform/ui/device_context.h"
#include "platform/ui/dialog_font.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/resource_images.h"
#include "platform/ui/screen.h"

namespace {

DeviceContext* FindDc(HDC dc) { return FindGdi<DeviceContext>(dc, GdiObject::Type::DeviceContext); }

QRgb ToRgb(COLORREF color) { return qRgb(GetRValue(color), GetGValue(color), GetBValue(color)); }

// Sets the pixels of [left, right) x [top, bottom) that lie in the image.
void FillPixels(QImage& image, int left, int top, int right, int bottom, QRgb color) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, image.width());
  bottom = std::min(bottom, image.height());
  for (int y = top; y < bottom; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(line + left, line + std::max(left, right), color);
  }
}

void SetPixel(QImage& image, int x, int y, QRgb color) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
  reinterpret_cast<QRgb*>(image.scanLine(y))[x] = color;
}

// A 1-pixel line from (x0, y0) towards (x1, y1), the end point left out.
void LinePixels(QImage& image, int x0, int y0, int x1, int y1, QRgb color) {
  int dx = std::abs(x1 - x0);
  int dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1;
  int sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  while (x0 != x1 || y0 != y1) {
    SetPixel(image, x0, y0, color);
    int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

std::wstring TextOf(LPCWSTR text, int count) {
  if (text == nullptr) return {};
  if (count < 0) return text;
  return std::wstring(text, static_cast<std::size_t>(count));
}

}  // namespace

HDC GetDC(HWND window) {
  if (dynamic_cast<DialogWindow*>(UiWindow::FromHandle(window)) == nullptr) return nullptr;
  return static_cast<HDC>(AddGdiObject(std::make_unique<DeviceContext>(window)));
}

int ReleaseDC(HWND window, HDC dc) {
  DeviceContext* context = FindDc(dc);
  if (context == nullptr || context->Window() == nullptr || context->Window() != window) return 0;
  context->Drawn();
  RemoveGdiObject(dc);
  return 1;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  HDC dc = GetDC(window);
  if (dc == nullptr || paint == nullptr) return dc;
  *paint = PAINTSTRUCT{};
  paint->hdc = dc;
  paint->fErase = FALSE;
  const QImage* image = FindDc(dc)->Target();
  paint->rcPaint = RECT{0, 0, image != nullptr ? image->width() : 0, image != nullptr ? image->height() : 0};
  return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE;
  return ReleaseDC(window, paint->hdc) == 1 ? TRUE : FALSE;
}

HDC CreateCompatibleDC(HDC dc) {
  if (dc != nullptr && FindDc(dc) == nullptr) return nullptr;
  return static_cast<HDC>(AddGdiObject(std::make_unique<DeviceContext>(nullptr)));
}

BOOL DeleteDC(HDC dc) {
  DeviceContext* context = FindDc(dc);
  if (context == nullptr || context->Window() != nullptr) return FALSE;
  return RemoveGdiObject(dc) ? TRUE : FALSE;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (FindDc(dc) == nullptr || width <= 0 || height <= 0) return nullptr;
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return nullptr;
  image.fill(Qt::black);
  return static_cast<HBITMAP>(AddGdiObject(std::make_unique<GdiBitmap>(std::move(image))));
}

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
  QImage image = LoadBitmapImage(instance, name);
  if (image.isNull()) return nullptr;
  return static_cast<HBITMAP>(AddGdiObject(std::make_unique<GdiBitmap>(std::move(image))));
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  QImage image = LoadIconImage(instance, name);
  if (image.isNull()) return nullptr;
  return static_cast<HICON>(AddGdiObject(std::make_unique<GdiIcon>(std::move(image))));
}

BOOL DestroyIcon(HICON icon) {
  if (FindGdi<GdiIcon>(icon, GdiObject::Type::Icon) == nullptr) return FALSE;
  return RemoveGdiObject(icon) ? TRUE : FALSE;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style != PS_SOLID) return nullptr;
  return static_cast<HPEN>(AddGdiObject(std::make_unique<GdiPen>(color, std::max(width, 1), false)));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return static_cast<HBRUSH>(AddGdiObject(std::make_unique<GdiBrush>(color, false)));
}

HGDIOBJ GetStockObject(int object) { return object >= 0 ? StockGdiObject(object) : nullptr; }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext* context = FindDc(dc);
  return context != nullptr ? context->Select(object) : nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  GdiObject* found = FindGdiObject(object);
  if (found == nullptr || found->type == GdiObject::Type::DeviceContext || found->type == GdiObject::Type::Icon) {
    return FALSE;
  }
  if (found->stock) return TRUE;
  if (found->selections > 0) return FALSE;
  return RemoveGdiObject(object) ? TRUE : FALSE;
}

int SetBkMode(HDC dc, int mode) {
  DeviceContext* context = FindDc(dc);
  if (context == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = context->bkMode;
  context->bkMode = mode;
  return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  DeviceContext* context = FindDc(dc);
  if (context == nullptr) return 0xFFFFFFFFu;
  COLORREF previous = context->textColor;
  context->textColor = color;
  return previous;
}

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int srcX, int srcY, DWORD rop) {
  DeviceContext* target = FindDc(dst);
  QImage* to = target != nullptr ? target->Target() : nullptr;
  if (to == nullptr) return FALSE;
  if (rop == WHITENESS) {
    FillPixels(*to, x, y, x + cx, y + cy, qRgb(255, 255, 255));
    target->Drawn();
    return TRUE;
  }
  if (rop != SRCCOPY) return FALSE;
  DeviceContext* source = FindDc(src);
  const QImage* from = source != nullptr ? source->Target() : nullptr;
  if (from == nullptr) return FALSE;
  // A copy of the source keeps an overlapping copy within one image right.
  QImage pixels = from->copy(srcX, srcY, cx, cy);
  for (int j = 0; j < cy; ++j) {
    for (int i = 0; i < cx; ++i) {
      if (from->valid(srcX + i, srcY + j)) SetPixel(*to, x + i, y + j, pixels.pixel(i, j));
    }
  }
  target->Drawn();
  return TRUE;
}

BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int srcX, int srcY, int srcCx, int srcCy,
                DWORD rop) {
  if (rop != SRCCOPY || cx <= 0 || cy <= 0 || srcCx <= 0 || srcCy <= 0) return FALSE;
  DeviceContext* target = FindDc(dst);
  DeviceContext* source = FindDc(src);
  QImage* to = target != nullptr ? target->Target() : nullptr;
  const QImage* from = source != nullptr ? source->Target() : nullptr;
  if (to == nullptr || from == nullptr) return FALSE;
  QImage pixels = from->copy(srcX, srcY, srcCx, srcCy);
  for (int j = 0; j < cy; ++j) {
    // Each destination pixel takes the source pixel under its centre.
    int sj = static_cast<int>((2LL * j + 1) * srcCy / (2LL * cy));
    for (int i = 0; i < cx; ++i) {
      int si = static_cast<int>((2LL * i + 1) * srcCx / (2LL * cx));
      if (from->valid(srcX + si, srcY + sj)) SetPixel(*to, x + i, y + j, pixels.pixel(si, sj));
    }
  }
  target->Drawn();
  return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  DeviceContext* context = FindDc(dc);
  auto* fill = FindGdi<GdiBrush>(brush, GdiObject::Type::Brush);
  QImage* image = context != nullptr ? context->Target() : nullptr;
  if (image == nullptr || fill == nullptr || rect == nullptr) return 0;
  if (!fill->null) FillPixels(*image, rect->left, rect->top, rect->right, rect->bottom, ToRgb(fill->color));
  context->Drawn();
  return 1;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  DeviceContext* context = FindDc(dc);
  QImage* image = context != nullptr ? context->Target() : nullptr;
  const GdiPen* pen = context != nullptr ? context->Pen() : nullptr;
  const GdiBrush* brush = context != nullptr ? context->Brush() : nullptr;
  if (image == nullptr || pen == nullptr || brush == nullptr) return FALSE;
  if (right - left < 2 || bottom - top < 2) return TRUE;
  QPainter painter(image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(pen->null ? QPen(Qt::NoPen) : QPen(QColor(ToRgb(pen->color)), pen->width));
  painter.setBrush(brush->null ? QBrush(Qt::NoBrush) : QBrush(QColor(ToRgb(brush->color))));
  // Qt's outline covers its rectangle's right and bottom edge; the
  // handheld's stays inside [left, right) x [top, bottom).
  painter.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
  painter.end();
  context->Drawn();
  return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
  DeviceContext* context = FindDc(dc);
  QImage* image = context != nullptr ? context->Target() : nullptr;
  const GdiPen* pen = context != nullptr ? context->Pen() : nullptr;
  if (image == nullptr || pen == nullptr || points == nullptr || count < 2) return FALSE;
  if (!pen->null) {
    for (int i = 0; i + 1 < count; ++i) {
      LinePixels(*image, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, ToRgb(pen->color));
    }
  }
  context->Drawn();
  return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  DeviceContext* context = FindDc(dc);
  QImage* image = context != nullptr ? context->Target() : nullptr;
  if (image == nullptr || rect == nullptr || text == nullptr) return 0;
  QString shown = QString::fromStdWString(TextOf(text, count));
  QFont font = DrawingFont(ScreenScale());
  QFontMetrics metrics(font);
  QRect box(rect->left, rect->top, metrics.horizontalAdvance(shown), metrics.height());
  QPainter painter(image);
  if ((format & DT_NOCLIP) == 0) painter.setClipRect(QRect(QPoint(rect->left, rect->top),
                                                            QPoint(rect->right - 1, rect->bottom - 1)));
  if (context->bkMode == OPAQUE) painter.fillRect(box, QColor(Qt::white));
  painter.setFont(font);
  painter.setPen(QColor(ToRgb(context->textColor)));
  painter.drawText(QPoint(rect->left, rect->top + metrics.ascent()), shown);
  painter.end();
  context->Drawn();
  return metrics.height();
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT dx, LPSIZE size) {
  if (FindDc(dc) == nullptr || text == nullptr || count < 0) return FALSE;
  QString shown = QString::fromStdWString(TextOf(text, count));
  QFontMetrics metrics(DrawingFont(ScreenScale()));
  int fitting = 0;
  for (int i = 0; i < shown.size(); ++i) {
    int extent = metrics.horizontalAdvance(shown.left(i + 1));
    if (dx != nullptr) dx[i] = extent;
    if (extent <= maxExtent) fitting = i + 1;
  }
  if (fit != nullptr) *fit = fitting;
  if (size != nullptr) *size = SIZE{metrics.horizontalAdvance(shown), metrics.height()};
  return TRUE;
}
