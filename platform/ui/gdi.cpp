#include "platform/ui/gdi.h"

#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

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

// A text as the drawing font sets its pixels, in one colour on a clear
// ground, and where the picture's corner lies from the start of the
// baseline. The drawings write the same few texts again and again (satellite
// numbers, compass letters, bar labels, each with its halo); shaping and
// rasterising them is most of what a drawing costs, copying a picture is
// cheap. The font has no antialiasing, so every pixel of a picture is either
// the colour or clear, and copying it sets exactly the pixels drawing the
// text would set.
struct TextPicture {
  QImage image;
  QPoint corner;
  // Every pixel is either the colour, fully, or clear: copying the inked
  // ones is drawing the picture (no painter needed).
  bool solid = true;
};

// What is worked out once per text and then looked up: the drawings show the
// same few labels again and again. A table past 1024 texts starts afresh, so
// texts that change all the time (times, positions) do not pile up.
template <typename T, typename Make>
const T& Remembered(QHash<QString, T>& table, const QString& key, Make make) {
  auto found = table.constFind(key);
  if (found != table.constEnd()) return *found;
  if (table.size() >= 1024) table.clear();
  return *table.insert(key, make());
}

// The font a context draws its texts with, and the key its remembered
// widths and pictures go under: the screen scale for the drawing font, the
// pixel height for a created one.
struct TextFont {
  QFont font;
  QString key;
};

TextFont FontOf(const DeviceContext& context) {
  if (const GdiFont* font = context.Font()) {
    return {DrawingFontOfPixels(font->pixels), QStringLiteral("px") + QString::number(font->pixels)};
  }
  return {DrawingFont(ScreenScale()), QString::number(ScreenScale())};
}

int TextWidth(const QString& text, const QFontMetrics& metrics, const QString& fontKey) {
  static QHash<QString, int> widths;
  return Remembered(widths, fontKey + QLatin1Char('/') + text, [&] { return metrics.horizontalAdvance(text); });
}

TextPicture MakePicture(const QString& text, const QFont& font, const QString& fontKey, QRgb color) {
  const QFontMetrics metrics(font);
  // Room all round for glyphs that reach past their advance or the line.
  const int room = metrics.height();
  TextPicture picture;
  picture.corner = QPoint(-room, -metrics.ascent() - room);
  picture.image = QImage(TextWidth(text, metrics, fontKey) + 2 * room, metrics.height() + 2 * room,
                         QImage::Format_ARGB32_Premultiplied);
  picture.image.fill(Qt::transparent);
  QPainter painter(&picture.image);
  painter.setFont(font);
  painter.setPen(QColor(color));
  painter.drawText(-picture.corner, text);
  painter.end();
  // Only the inked pixels are kept: the clear ones would be blended for
  // nothing at every copy.
  const int width = picture.image.width();
  const int height = picture.image.height();
  int left = width, right = -1, top = height, bottom = -1;
  for (int y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(picture.image.constScanLine(y));
    for (int x = 0; x < width; ++x) {
      const int alpha = qAlpha(line[x]);
      if (alpha == 0) continue;
      if (alpha != 255) picture.solid = false;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = y;
    }
  }
  const QRect inked(QPoint(left, top), QPoint(right, bottom));
  if (right < 0) {
    picture.image = QImage();  // blanks only
  } else {
    picture.image = picture.image.copy(inked);
    picture.corner += inked.topLeft();
  }
  return picture;
}

const TextPicture& PictureOf(const QString& text, const QFont& font, const QString& fontKey, QRgb color) {
  static QHash<QString, TextPicture> pictures;
  return Remembered(pictures, fontKey + QLatin1Char('/') + QString::number(color, 16) + QLatin1Char('/') + text,
                    [&] { return MakePicture(text, font, fontKey, color); });
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

// A copy of cx x cy pixels from (srcX, srcY) of one image to (x, y) of another.
struct CopyArea {
  int x, y, srcX, srcY, cx, cy;
};

// Cuts the copy down to the pixels that lie in both images; false when none do.
bool ClipCopy(const QImage& to, const QImage& from, CopyArea& area) {
  long long x = area.x, y = area.y, srcX = area.srcX, srcY = area.srcY, cx = area.cx, cy = area.cy;
  const long long skipX = std::max({0LL, -x, -srcX});
  const long long skipY = std::max({0LL, -y, -srcY});
  x += skipX;
  srcX += skipX;
  cx -= skipX;
  y += skipY;
  srcY += skipY;
  cy -= skipY;
  cx = std::min({cx, to.width() - x, from.width() - srcX});
  cy = std::min({cy, to.height() - y, from.height() - srcY});
  if (cx <= 0 || cy <= 0) return false;
  area = CopyArea{static_cast<int>(x),    static_cast<int>(y),  static_cast<int>(srcX),
                  static_cast<int>(srcY), static_cast<int>(cx), static_cast<int>(cy)};
  return true;
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
  // Each drawing showed its own part of the window already.
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

HFONT CreateFontW(int height, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCWSTR) {
  if (height == 0 || height < -1000 || height > 1000) return nullptr;
  const int pixels = std::abs(height);
  return static_cast<HFONT>(AddGdiObject(std::make_unique<GdiFont>(pixels)));
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
    target->Drawn(QRect(x, y, cx, cy));
    return TRUE;
  }
  if (rop != SRCCOPY) return FALSE;
  DeviceContext* source = FindDc(src);
  const QImage* from = source != nullptr ? source->Target() : nullptr;
  if (from == nullptr) return FALSE;
  CopyArea area{x, y, srcX, srcY, cx, cy};
  if (ClipCopy(*to, *from, area)) {
    // A copy within one image, or from another pixel format, goes through a
    // copy of the source area.
    QImage part;
    const QImage* rows = from;
    int rowX = area.srcX;
    int rowY = area.srcY;
    if (from == to || from->format() != to->format()) {
      part = from->copy(area.srcX, area.srcY, area.cx, area.cy).convertToFormat(to->format());
      rows = &part;
      rowX = 0;
      rowY = 0;
    }
    const std::size_t bytes = static_cast<std::size_t>(area.cx) * sizeof(QRgb);
    if (target->Window() == nullptr) {
      for (int j = 0; j < area.cy; ++j) {
        std::memcpy(reinterpret_cast<QRgb*>(to->scanLine(area.y + j)) + area.x,
                    reinterpret_cast<const QRgb*>(rows->constScanLine(rowY + j)) + rowX, bytes);
      }
      return TRUE;
    }
    // Onto a window only the pixels that change are copied and shown again:
    // a page that copies its whole graph every second mostly copies what
    // is there already, and repainting it would cost the toolkit and the X
    // server far more than the comparison. Each run of changed rows is one
    // rectangle, from the first to the last pixel that changed in them.
    QRect run;
    for (int j = 0; j < area.cy; ++j) {
      auto* out = reinterpret_cast<QRgb*>(to->scanLine(area.y + j)) + area.x;
      const auto* in = reinterpret_cast<const QRgb*>(rows->constScanLine(rowY + j)) + rowX;
      if (std::memcmp(out, in, bytes) == 0) {
        if (!run.isNull()) target->Drawn(run);
        run = QRect();
        continue;
      }
      int first = 0;
      while (out[first] == in[first]) ++first;
      int last = area.cx - 1;
      while (out[last] == in[last]) --last;
      std::memcpy(out + first, in + first, static_cast<std::size_t>(last - first + 1) * sizeof(QRgb));
      run |= QRect(area.x + first, area.y + j, last - first + 1, 1);
    }
    if (!run.isNull()) target->Drawn(run);
  }
  return TRUE;
}

BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int srcX, int srcY, int srcCx, int srcCy, DWORD rop) {
  if (rop != SRCCOPY || cx <= 0 || cy <= 0 || srcCx <= 0 || srcCy <= 0) return FALSE;
  DeviceContext* target = FindDc(dst);
  DeviceContext* source = FindDc(src);
  QImage* to = target != nullptr ? target->Target() : nullptr;
  const QImage* from = source != nullptr ? source->Target() : nullptr;
  if (to == nullptr || from == nullptr) return FALSE;
  const QImage pixels = from->copy(srcX, srcY, srcCx, srcCy).convertToFormat(to->format());
  // Each destination pixel takes the source pixel under its centre; pixels
  // whose source lies outside the source image are left alone.
  auto sourceOf = [](int i, int size, int sourceSize) {
    return static_cast<int>((2LL * i + 1) * sourceSize / (2LL * size));
  };
  const int firstColumn = static_cast<int>(std::clamp(-static_cast<long long>(x), 0LL, static_cast<long long>(cx)));
  const int endColumn = static_cast<int>(std::clamp(static_cast<long long>(to->width()) - x,
                                                    static_cast<long long>(firstColumn), static_cast<long long>(cx)));
  // The source column of each destination column, -1 outside the source image.
  std::vector<int> columns;
  for (int i = firstColumn; i < endColumn; ++i) {
    const int si = sourceOf(i, cx, srcCx);
    const long long column = static_cast<long long>(srcX) + si;
    columns.push_back(column >= 0 && column < from->width() ? si : -1);
  }
  const int firstRow = static_cast<int>(std::clamp(-static_cast<long long>(y), 0LL, static_cast<long long>(cy)));
  for (int j = firstRow; j < cy && static_cast<long long>(y) + j < to->height(); ++j) {
    const int sj = sourceOf(j, cy, srcCy);
    const long long row = static_cast<long long>(srcY) + sj;
    if (row < 0 || row >= from->height()) continue;
    const auto* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(sj));
    auto* out = reinterpret_cast<QRgb*>(to->scanLine(y + j));
    for (int i = firstColumn; i < endColumn; ++i) {
      const int si = columns[static_cast<std::size_t>(i - firstColumn)];
      if (si >= 0) out[x + i] = in[si];
    }
  }
  target->Drawn(QRect(x, y, cx, cy));
  return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  DeviceContext* context = FindDc(dc);
  auto* fill = FindGdi<GdiBrush>(brush, GdiObject::Type::Brush);
  QImage* image = context != nullptr ? context->Target() : nullptr;
  if (image == nullptr || fill == nullptr || rect == nullptr) return 0;
  if (!fill->null) {
    FillPixels(*image, rect->left, rect->top, rect->right, rect->bottom, ToRgb(fill->color));
    context->Drawn(QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)));
  }
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
  // A wide pen reaches past the rectangle by half its width.
  const int reach = pen->null ? 0 : pen->width;
  context->Drawn(QRect(left, top, right - left, bottom - top).adjusted(-reach, -reach, reach, reach));
  return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
  DeviceContext* context = FindDc(dc);
  QImage* image = context != nullptr ? context->Target() : nullptr;
  const GdiPen* pen = context != nullptr ? context->Pen() : nullptr;
  if (image == nullptr || pen == nullptr || points == nullptr || count < 2) return FALSE;
  if (!pen->null) {
    QRect drawn(QPoint(points[0].x, points[0].y), QSize(1, 1));
    for (int i = 0; i + 1 < count; ++i) {
      LinePixels(*image, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, ToRgb(pen->color));
      drawn |= QRect(QPoint(points[i + 1].x, points[i + 1].y), QSize(1, 1));
    }
    context->Drawn(drawn);
  }
  return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  DeviceContext* context = FindDc(dc);
  QImage* image = context != nullptr ? context->Target() : nullptr;
  if (image == nullptr || rect == nullptr || text == nullptr) return 0;
  QString shown = QString::fromStdWString(TextOf(text, count));
  const TextFont font = FontOf(*context);
  QFontMetrics metrics(font.font);
  QRect clip = image->rect();
  if ((format & DT_NOCLIP) == 0)
    clip &= QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
  QRect drawn;
  // An opaque background is the text's width.
  if (context->bkMode == OPAQUE) {
    drawn = QRect(rect->left, rect->top, TextWidth(shown, metrics, font.key), metrics.height()) & clip;
    FillPixels(*image, drawn.left(), drawn.top(), drawn.right() + 1, drawn.bottom() + 1, qRgb(255, 255, 255));
  }
  const TextPicture& picture = PictureOf(shown, font.font, font.key, ToRgb(context->textColor));
  if (!picture.image.isNull()) {
    const QPoint corner = QPoint(rect->left, rect->top + metrics.ascent()) + picture.corner;
    const QRect area = QRect(corner, picture.image.size()) & clip;
    if (picture.solid && image->depth() == 32) {
      // The inked pixels, copied: what drawing the picture over the image sets.
      for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(picture.image.constScanLine(y - corner.y()));
        auto* to = reinterpret_cast<QRgb*>(image->scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
          if (qAlpha(from[x - corner.x()]) != 0) to[x] = from[x - corner.x()] | 0xFF000000u;
        }
      }
    } else {
      QPainter painter(image);
      painter.setClipRect(clip);
      painter.drawImage(corner, picture.image);
    }
    drawn |= area;
  }
  context->Drawn(drawn);
  return metrics.height();
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT dx, LPSIZE size) {
  const DeviceContext* context = FindDc(dc);
  if (context == nullptr || text == nullptr || count < 0) return FALSE;
  QString shown = QString::fromStdWString(TextOf(text, count));
  const TextFont font = FontOf(*context);
  QFontMetrics metrics(font.font);
  int fitting = 0;
  // The prefixes are measured only for a caller that asks how many fit or
  // where each character ends.
  for (int i = 0; (fit != nullptr || dx != nullptr) && i < shown.size(); ++i) {
    int extent = metrics.horizontalAdvance(shown.left(i + 1));
    if (dx != nullptr) dx[i] = extent;
    if (extent <= maxExtent) fitting = i + 1;
  }
  if (fit != nullptr) *fit = fitting;
  if (size != nullptr) *size = SIZE{TextWidth(shown, metrics, font.key), metrics.height()};
  return TRUE;
}
