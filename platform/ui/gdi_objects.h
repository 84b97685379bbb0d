// The drawing objects behind the GDI handles, in one table of the
// user-interface thread. Handles are never reused; a stale one is refused.
#pragma once

#include <QImage>
#include <cstddef>
#include <memory>

#include "platform/ui/ui_types.h"

class DeviceContext;

struct GdiObject {
  enum class Type { Pen, Brush, Bitmap, Icon, Font, DeviceContext };
  explicit GdiObject(Type t) : type(t) {}
  virtual ~GdiObject();
  Type type;
  bool stock = false;  // permanent, never deleted
  int selections = 0;  // contexts it is selected into
};

struct GdiPen : GdiObject {
  GdiPen(COLORREF c, int w, bool n) : GdiObject(Type::Pen), color(c), width(w), null(n) {}
  COLORREF color;
  int width;
  bool null;
};

struct GdiBrush : GdiObject {
  GdiBrush(COLORREF c, bool n) : GdiObject(Type::Brush), color(c), null(n) {}
  COLORREF color;
  bool null;
};

struct GdiBitmap : GdiObject {
  explicit GdiBitmap(QImage i) : GdiObject(Type::Bitmap), image(std::move(i)) {}
  QImage image;  // Format_RGB32
};

// A font of the drawing font's family in another size.
struct GdiFont : GdiObject {
  explicit GdiFont(int p) : GdiObject(Type::Font), pixels(p) {}
  int pixels;  // its character height; 0 for the drawing font's stand-in
};

struct GdiIcon : GdiObject {
  explicit GdiIcon(QImage i) : GdiObject(Type::Icon), image(std::move(i)) {}
  QImage image;  // Format_ARGB32
};

// Adds an object to the table and gives its handle.
HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object);
// The live object of a handle, or null.
GdiObject* FindGdiObject(HGDIOBJ handle);
// The live object of that type, or null.
template <class T>
T* FindGdi(HGDIOBJ handle, GdiObject::Type type) {
  GdiObject* object = FindGdiObject(handle);
  return object != nullptr && object->type == type ? static_cast<T*>(object) : nullptr;
}
// Removes (and deletes) an object; false for a stock or unknown one.
bool RemoveGdiObject(HGDIOBJ handle);
// The stock object for GetStockObject's index, or null; also the 1 x 1
// bitmap every new memory context starts with (index -1) and the stand-in
// for the drawing font every context starts with (index -2).
HGDIOBJ StockGdiObject(int index);
constexpr int kStockBitmap = -1;
constexpr int kStockFont = -2;

// The pictures behind icon and bitmap handles, or null.
const QImage* GdiIconImage(HICON icon);
const QImage* GdiBitmapImage(HBITMAP bitmap);

// How many objects (contexts included, stock objects not) are alive; lets
// tests see that a paint handler gives back what it takes.
std::size_t GdiObjectCount();
