#include "platform/ui/device_context.h"

#include "platform/ui/dialog_window.h"

DeviceContext::DeviceContext(HWND window)
    : GdiObject(Type::DeviceContext),
      m_window(window),
      m_pen(StockGdiObject(BLACK_PEN)),
      m_brush(StockGdiObject(WHITE_BRUSH)),
      m_bitmap(window == nullptr ? StockGdiObject(kStockBitmap) : nullptr),
      m_font(StockGdiObject(kStockFont)) {
  for (HGDIOBJ handle : {m_pen, m_brush, m_bitmap, m_font}) {
    if (GdiObject* object = FindGdiObject(handle)) ++object->selections;
  }
}

DeviceContext::~DeviceContext() {
  for (HGDIOBJ handle : {m_pen, m_brush, m_bitmap, m_font}) {
    if (GdiObject* object = FindGdiObject(handle)) --object->selections;
  }
}

QImage* DeviceContext::Target() {
  if (m_window == nullptr) {
    auto* bitmap = FindGdi<GdiBitmap>(m_bitmap, Type::Bitmap);
    return bitmap != nullptr ? &bitmap->image : nullptr;
  }
  auto* dialog = dynamic_cast<DialogWindow*>(UiWindow::FromHandle(m_window));
  return dialog != nullptr ? &dialog->BackingImage() : nullptr;
}

void DeviceContext::Drawn(const QRect& area) {
  if (m_window == nullptr) return;
  if (auto* dialog = dynamic_cast<DialogWindow*>(UiWindow::FromHandle(m_window))) dialog->ShowBackingImage(area);
}

HGDIOBJ DeviceContext::Select(HGDIOBJ handle) {
  GdiObject* object = FindGdiObject(handle);
  if (object == nullptr) return nullptr;
  switch (object->type) {
    case Type::Pen:
      return Swap(m_pen, handle, object);
    case Type::Brush:
      return Swap(m_brush, handle, object);
    case Type::Font:
      return Swap(m_font, handle, object);
    case Type::Bitmap:
      // A bitmap goes into one memory context at a time.
      if (m_window != nullptr) return nullptr;
      if (handle != m_bitmap && !object->stock && object->selections > 0) return nullptr;
      return Swap(m_bitmap, handle, object);
    default:
      return nullptr;
  }
}

HGDIOBJ DeviceContext::Swap(HGDIOBJ& slot, HGDIOBJ handle, GdiObject* object) {
  HGDIOBJ previous = slot;
  if (GdiObject* old = FindGdiObject(previous)) --old->selections;
  ++object->selections;
  slot = handle;
  return previous;
}

const GdiPen* DeviceContext::Pen() const { return FindGdi<GdiPen>(m_pen, Type::Pen); }

const GdiBrush* DeviceContext::Brush() const { return FindGdi<GdiBrush>(m_brush, Type::Brush); }

const GdiFont* DeviceContext::Font() const {
  const auto* font = FindGdi<GdiFont>(m_font, Type::Font);
  return font != nullptr && font->pixels > 0 ? font : nullptr;
}
