#include "display/sky_labels.h"

#include <algorithm>
#include <cstdint>

#include "platform/core/numbers.h"

namespace {

RECT Inflated(const RECT& rect, int by) { return {rect.left - by, rect.top - by, rect.right + by, rect.bottom + by}; }

bool Overlap(const RECT& a, const RECT& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

bool OverlapsAny(const RECT& rect, const std::vector<RECT>& others) {
  return std::any_of(others.begin(), others.end(), [&](const RECT& other) { return Overlap(rect, other); });
}

RECT Moved(const RECT& rect, int dx, int dy) {
  return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

bool Inside(const RECT& rect, int left, int top, int right, int bottom) {
  return rect.left >= left && rect.top >= top && rect.right <= right && rect.bottom <= bottom;
}

// The moves of up to `reach` pixels each way, nearest first (no move first).
std::vector<POINT> MovesByDistance(int reach) {
  std::vector<POINT> moves;
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      moves.push_back({dx, dy});
    }
  }
  std::stable_sort(moves.begin(), moves.end(),
                   [](const POINT& a, const POINT& b) { return a.x * a.x + a.y * a.y < b.x * b.x + b.y * b.y; });
  return moves;
}

RECT PlaceMarker(const POINT& point, int n, const std::vector<RECT>& blocked, const std::vector<POINT>& moves,
                 int nSide) {
  const RECT centred{point.x - n / 2, point.y - n / 2, point.x - n / 2 + n, point.y - n / 2 + n};
  for (const POINT& move : moves) {
    const RECT candidate = Moved(centred, move.x, move.y);
    // The halo stays in the plot and off everything placed before.
    const RECT halo = Inflated(candidate, 1);
    if (Inside(halo, 0, 0, nSide, nSide) && !OverlapsAny(halo, blocked)) {
      return candidate;
    }
  }
  // Nowhere free: at its point, pulled in as far as the plot demands.
  const int dx = std::clamp<int>(centred.left, 1, std::max(1, nSide - 1 - n)) - centred.left;
  const int dy = std::clamp<int>(centred.top, 1, std::max(1, nSide - 1 - n)) - centred.top;
  return Moved(centred, dx, dy);
}

}  // namespace

RECT CentredTextBox(int x, int y, const SIZE& size) {
  const int left = TruncateToInt(x - size.cx * 0.5 + 0.5);
  const int top = TruncateToInt(y - size.cy * 0.5 + 0.5);
  return {left, top, left + size.cx, top + size.cy};
}

RECT LabelInkBox(const RECT& rcText) {
  const int margin = (rcText.bottom - rcText.top) / 5;
  return {rcText.left, rcText.top + margin, rcText.right, rcText.bottom - margin};
}

std::vector<PlacedMark> PlaceSkyMarks(const std::vector<SkyMark>& marks, int nMarkerSide,
                                      const std::vector<RECT>& rcReserved, int nSide) {
  const int n = nMarkerSide;
  const std::vector<POINT> moves = MovesByDistance(3 * n);
  std::vector<PlacedMark> placed;
  placed.reserve(marks.size());
  std::vector<RECT> blocked = rcReserved;  // what a marker keeps off
  for (const SkyMark& mark : marks) {
    const RECT marker = PlaceMarker(mark.ptSatellite, n, blocked, moves, nSide);
    placed.push_back({marker, FALSE, RECT{}});
    blocked.push_back(marker);
  }
  // Numbers keep off every marker, the reserved areas and each other.
  for (std::size_t k = 0; k < marks.size(); ++k) {
    const RECT& marker = placed[k].rcMarker;
    const RECT text{0, 0, marks[k].sizeNumber.cx, marks[k].sizeNumber.cy};
    const RECT ink = LabelInkBox(text);
    const int inkWidth = ink.right - ink.left;
    const int inkHeight = ink.bottom - ink.top;
    // Where the ink's top-left corner goes: a blank pixel between it and the marker.
    const int right = marker.right + 1;
    const int left = marker.left - 1 - inkWidth;
    const int above = marker.top - 1 - inkHeight;
    const int below = marker.bottom + 1;
    const int middleX = (marker.left + marker.right - inkWidth) / 2;
    const int middleY = (marker.top + marker.bottom - inkHeight) / 2;
    // Beside the marker's middle, then level with one of its edges, then at a corner.
    const int topY = marker.top;
    const int bottomY = marker.bottom - inkHeight;
    const int leftX = marker.left;
    const int rightX = marker.right - inkWidth;
    const POINT corners[] = {{right, middleY}, {left, middleY},  {middleX, above}, {middleX, below},
                             {right, topY},    {right, bottomY}, {left, topY},     {left, bottomY},
                             {leftX, above},   {rightX, above},  {leftX, below},   {rightX, below},
                             {right, above},   {left, above},    {right, below},   {left, below}};
    for (const POINT& corner : corners) {
      const RECT candidate{corner.x, corner.y, corner.x + inkWidth, corner.y + inkHeight};
      if (Inside(candidate, 0, 0, nSide, nSide) && !OverlapsAny(Inflated(candidate, 1), blocked)) {
        placed[k].bNumber = TRUE;
        placed[k].rcNumber = Moved(text, corner.x - ink.left, corner.y - ink.top);
        blocked.push_back(candidate);
        break;
      }
    }
  }
  return placed;
}

std::vector<RECT> PlaceSkyLegend(const SkyPlotGeometry& sky, SIZE entry, int nEntries, int nCountsHeight) {
  const int side = sky.nSide;
  const int t = sky.nCentre;
  const std::int64_t clear = sky.nRadius + 2;  // the ring and a pixel more
  const int gapX = std::max<int>(2, entry.cy / 2);
  const int gapY = 1;
  // Whether the box keeps outside the ring: its point nearest the centre does.
  auto outside = [&](const RECT& box) {
    const std::int64_t dx = t - std::clamp<int>(t, box.left, box.right - 1);
    const std::int64_t dy = t - std::clamp<int>(t, box.top, box.bottom - 1);
    return dx * dx + dy * dy >= clear * clear;
  };
  // The free places of one corner, row by row from the plot's top or from
  // above the counts, each row from the edge inwards; at most `wanted`.
  auto slots = [&](bool fromLeft, bool fromTop, int wanted) {
    std::vector<RECT> found;
    const int step = entry.cy + gapY;
    const int first = fromTop ? 1 : side - nCountsHeight - 1 - entry.cy;
    for (int row = 0; static_cast<int>(found.size()) < wanted; ++row) {
      const int top = fromTop ? first + row * step : first - row * step;
      if (top < 0 || top + entry.cy > side) break;
      const std::size_t before = found.size();
      for (int k = 0; static_cast<int>(found.size()) < wanted; ++k) {
        const int left = fromLeft ? 1 + k * (entry.cx + gapX) : side - 1 - entry.cx - k * (entry.cx + gapX);
        const RECT box{left, top, left + entry.cx, top + entry.cy};
        if (box.left < 0 || box.right > side || !outside(box)) break;
        found.push_back(box);
      }
      if (found.size() == before) break;  // the ring reaches the edge here
    }
    return found;
  };
  // Half of them in the top left corner, the others in the top right one;
  // what finds no room there goes above the counts, left then right.
  std::vector<RECT> boxes = slots(true, true, (nEntries + 1) / 2);
  const std::vector<RECT> right = slots(false, true, nEntries - static_cast<int>(boxes.size()));
  boxes.insert(boxes.end(), right.begin(), right.end());
  if (static_cast<int>(boxes.size()) < nEntries) {
    // The left corner's further rows when the right one is full.
    const std::vector<RECT> more = slots(true, true, nEntries - static_cast<int>(right.size()));
    boxes.insert(boxes.end(), more.begin() + (boxes.size() - right.size()), more.end());
  }
  for (bool fromLeft : {true, false}) {
    if (static_cast<int>(boxes.size()) < nEntries) {
      const std::vector<RECT> low = slots(fromLeft, false, nEntries - static_cast<int>(boxes.size()));
      boxes.insert(boxes.end(), low.begin(), low.end());
    }
  }
  // Read row by row, left to right within the top and within the bottom.
  std::stable_sort(boxes.begin(), boxes.end(), [t](const RECT& a, const RECT& b) {
    if ((a.top < t) != (b.top < t)) return a.top < t;
    const int rowA = a.top < t ? a.top : -a.top;
    const int rowB = b.top < t ? b.top : -b.top;
    return rowA != rowB ? rowA < rowB : a.left < b.left;
  });
  // No room anywhere: down the left edge.
  int top = 1;
  for (const RECT& box : boxes) {
    if (box.top < t) top = std::max<int>(top, box.bottom + gapY);
  }
  while (static_cast<int>(boxes.size()) < nEntries) {
    boxes.push_back({1, top, 1 + entry.cx, top + entry.cy});
    top += entry.cy + gapY;
  }
  return boxes;
}
