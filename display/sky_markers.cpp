#include "display/sky_markers.h"

#include <cmath>
#include <cstdlib>

#include "acquisition/gnss_system.h"

MarkerShape SystemMarkerShape(int nSystem) {
  switch (nSystem) {
    case kSystemGPS:
      return MarkerShape::kCircle;
    case kSystemGLONASS:
      return MarkerShape::kSquare;
    case kSystemGalileo:
      return MarkerShape::kDiamond;
    case kSystemBeiDou:
      return MarkerShape::kTriangle;
    case kSystemQZSS:
      return MarkerShape::kTriangleDown;
    case kSystemSBAS:
      return MarkerShape::kBar;
    case kSystemNavIC:
      return MarkerShape::kHourglass;
    default:
      return MarkerShape::kPlus;
  }
}

namespace {

// Whether the pixel (x, y) of a marker n pixels square belongs to the whole
// shape; dx and dy are the pixel centre's offsets from the marker's centre.
bool InShape(MarkerShape shape, int n, int x, int y) {
  const double half = n / 2.0;
  const double dx = x + 0.5 - half;
  const double dy = y + 0.5 - half;
  switch (shape) {
    case MarkerShape::kCircle:
      return dx * dx + dy * dy <= half * half;
    case MarkerShape::kSquare:
      return true;
    case MarkerShape::kDiamond:
      return std::abs(dx) + std::abs(dy) <= half + 0.25;
    case MarkerShape::kTriangle:
      // The apex on the top row, the base on the bottom row.
      return std::abs(dx) <= (y + 0.5) / 2.0 + 0.25;
    case MarkerShape::kTriangleDown:
      return std::abs(dx) <= (n - y - 0.5) / 2.0 + 0.25;
    case MarkerShape::kBar:
      return std::abs(dy) <= n / 4.0;
    case MarkerShape::kHourglass:
      return std::abs(dx) <= std::abs(dy) + 0.5;
    case MarkerShape::kPlus:
      return std::abs(dx) <= n / 6.0 || std::abs(dy) <= n / 6.0;
  }
  return false;
}

}  // namespace

std::vector<bool> MarkerPixels(MarkerShape shape, int nSide, bool bFilled) {
  const int n = nSide;
  std::vector<bool> whole(static_cast<std::size_t>(n) * n);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      whole[static_cast<std::size_t>(y) * n + x] = InShape(shape, n, x, y);
    }
  }
  if (bFilled) {
    return whole;
  }
  // The outline: pixels of the shape beside one that is not (or the edge).
  auto in = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < n && y < n && whole[static_cast<std::size_t>(y) * n + x];
  };
  std::vector<bool> outline(whole.size());
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      outline[static_cast<std::size_t>(y) * n + x] =
          in(x, y) && !(in(x - 1, y) && in(x + 1, y) && in(x, y - 1) && in(x, y + 1));
    }
  }
  return outline;
}

int SkyMarkerSide(int nMargin) { return nMargin > 7 ? 13 : 7; }

int SkyMarkFontPixels(int nMargin) { return nMargin > 7 ? 20 : 10; }
