// A device context: the image it draws on (a memory context's selected
// bitmap, or a window's backing image), its selected pen, brush and bitmap,
// its text colour and background mode, and the font of its texts (none
// selected: the drawing font).
#pragma once

#include <QImage>
#include <QRect>

#include "platform/ui/gdi_objects.h"

class DeviceContext : public GdiObject {
 public:
  // A context over the window's backing image; with null, a memory context
  // with the stock 1 x 1 bitmap selected.
  explicit DeviceContext(HWND window);
  ~DeviceContext() override;

  HWND Window() const { return m_window; }
  // The image drawn on; null when the window has gone.
  QImage* Target();
  // A window context shows what was drawn: `area` (in the image's pixels)
  // holds every pixel the drawing changed, and only that part of the window
  // is painted again.
  void Drawn(const QRect& area);

  // Selects a pen, brush, font or bitmap and gives the previous one of its kind;
  // null when the object cannot be selected here.
  HGDIOBJ Select(HGDIOBJ handle);
  const GdiPen* Pen() const;
  const GdiBrush* Brush() const;
  // The selected font; null for the drawing font.
  const GdiFont* Font() const;

  COLORREF textColor = RGB(0, 0, 0);
  int bkMode = OPAQUE;

 private:
  HGDIOBJ Swap(HGDIOBJ& slot, HGDIOBJ handle, GdiObject* object);

  HWND m_window;
  HGDIOBJ m_pen;
  HGDIOBJ m_brush;
  HGDIOBJ m_bitmap;
  HGDIOBJ m_font;
};
