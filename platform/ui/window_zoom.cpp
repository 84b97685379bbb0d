#include "platform/ui/window_zoom.h"

#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

constexpr char kZoomProperty[] = "zelmoraZoom";

}  // namespace

double WindowZoom(const QWidget* widget) {
  if (widget == nullptr) return 1.0;
  bool ok = false;
  const double zoom = widget->window()->property(kZoomProperty).toDouble(&ok);
  return ok && zoom > 0 ? zoom : 1.0;
}

void SetWindowZoom(QWidget* window, double zoom) { window->setProperty(kZoomProperty, zoom); }

int ZoomedCoordinate(int handheld, double zoom) {
  if (zoom == 1.0) return handheld;
  return static_cast<int>(std::floor(handheld * zoom + 0.5));
}

QRect ZoomedRect(const QRect& rect, QPoint origin, double zoom) {
  if (zoom == 1.0) return rect;
  const int x0 = ZoomedCoordinate(origin.x(), zoom);
  const int y0 = ZoomedCoordinate(origin.y(), zoom);
  const int left = ZoomedCoordinate(origin.x() + rect.x(), zoom) - x0;
  const int top = ZoomedCoordinate(origin.y() + rect.y(), zoom) - y0;
  const int right = ZoomedCoordinate(origin.x() + rect.x() + rect.width(), zoom) - x0;
  const int bottom = ZoomedCoordinate(origin.y() + rect.y() + rect.height(), zoom) - y0;
  return QRect(left, top, right - left, bottom - top);
}

QFont ZoomedFont(const QFont& font, double zoom) {
  if (zoom == 1.0) return font;
  QFont zoomed = font;
  if (font.pixelSize() > 0) {
    zoomed.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * zoom))));
  } else {
    zoomed.setPointSizeF(font.pointSizeF() * zoom);
  }
  return zoomed;
}

double ZoomThatFits(QSize screen, double zoom, const QRect& room, const QMargins& frame, double smallest) {
  if (screen.isEmpty()) return std::max(zoom, smallest);
  const int width = room.width() - frame.left() - frame.right();
  const int height = room.height() - frame.top() - frame.bottom();
  // A side at this zoom is at most the room's, and rounds to at most it.
  const double fit =
      std::min(static_cast<double>(width) / screen.width(), static_cast<double>(height) / screen.height());
  return std::max(std::min(zoom, fit), smallest);
}

QPoint PlaceInside(const QRect& frame, const QRect& room) {
  const int x = std::max(room.left(), std::min(frame.left(), room.left() + room.width() - frame.width()));
  const int y = std::max(room.top(), std::min(frame.top(), room.top() + room.height() - frame.height()));
  return QPoint(x, y);
}
