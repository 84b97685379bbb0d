#include "platform/ui/gdi_objects.h"

#include <unordered_map>

namespace {

struct GdiTable {
  std::unordered_map<std::uintptr_t, std::unique_ptr<GdiObject>> objects;
  std::unordered_map<int, HGDIOBJ> stock;
  // Steps by 4 from a value no pointer of ours has: never null, never reused.
  std::uintptr_t next = 0x30004;
  std::size_t stockCount = 0;
};

GdiTable& Table() {
  static GdiTable* table = [] {
    auto* t = new GdiTable;
    auto addStock = [t](int index, std::unique_ptr<GdiObject> object) {
      object->stock = true;
      std::uintptr_t key = t->next;
      t->next += 4;
      t->objects.emplace(key, std::move(object));
      t->stock.emplace(index, reinterpret_cast<HGDIOBJ>(key));
      ++t->stockCount;
    };
    addStock(WHITE_BRUSH, std::make_unique<GdiBrush>(RGB(255, 255, 255), false));
    addStock(NULL_BRUSH, std::make_unique<GdiBrush>(0, true));
    addStock(BLACK_PEN, std::make_unique<GdiPen>(RGB(0, 0, 0), 1, false));
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::black);
    addStock(kStockBitmap, std::make_unique<GdiBitmap>(one));
    addStock(kStockFont, std::make_unique<GdiFont>(0));
    return t;
  }();
  return *table;
}

}  // namespace

GdiObject::~GdiObject() = default;

HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object) {
  GdiTable& table = Table();
  std::uintptr_t key = table.next;
  table.next += 4;
  table.objects.emplace(key, std::move(object));
  return reinterpret_cast<HGDIOBJ>(key);
}

GdiObject* FindGdiObject(HGDIOBJ handle) {
  auto& objects = Table().objects;
  auto it = objects.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == objects.end() ? nullptr : it->second.get();
}

bool RemoveGdiObject(HGDIOBJ handle) {
  auto& objects = Table().objects;
  auto it = objects.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == objects.end() || it->second->stock) return false;
  // Erase first: the object's destructor may look handles up.
  std::unique_ptr<GdiObject> object = std::move(it->second);
  objects.erase(it);
  return true;
}

HGDIOBJ StockGdiObject(int index) {
  auto& stock = Table().stock;
  auto it = stock.find(index);
  return it == stock.end() ? nullptr : it->second;
}

const QImage* GdiIconImage(HICON icon) {
  auto* object = FindGdi<GdiIcon>(icon, GdiObject::Type::Icon);
  return object != nullptr ? &object->image : nullptr;
}

const QImage* GdiBitmapImage(HBITMAP bitmap) {
  auto* object = FindGdi<GdiBitmap>(bitmap, GdiObject::Type::Bitmap);
  return object != nullptr ? &object->image : nullptr;
}

std::size_t GdiObjectCount() { return Table().objects.size() - Table().stockCount; }
