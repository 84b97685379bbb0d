#include "display/sky_labels.h"

#include <algorithm>
#include <cstdint>

#include "platform/core/numbers.h"

namespace {

// What falls outside the plot is cut off, which is worse than being covered
// in part.
constexpr std::int64_t kOutsideWeight = 16;

RECT Inflated(const RECT& rect, int by) { return {rect.left - by, rect.top - by, rect.right + by, rect.bottom + by}; }

std::int64_t OverlapArea(const RECT& a, const RECT& b) {
  const int width = std::min(a.right, b.right) - std::max(a.left, b.left);
  const int height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return width > 0 && height > 0 ? std::int64_t{width} * height : 0;
}

std::int64_t Area(const RECT& rect) {
  return std::int64_t{std::max(0, rect.right - rect.left)} * std::max(0, rect.bottom - rect.top);
}

RECT Moved(const RECT& rect, int dx, int dy) {
  return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
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

std::vector<PlacedLabel> PlaceSkyLabels(const std::vector<SkyLabelBox>& labels, const std::vector<RECT>& rcReserved,
                                        int nSide) {
  const RECT plot{0, 0, nSide, nSide};
  std::vector<PlacedLabel> placed;
  std::vector<RECT> inks;  // of the labels placed so far
  placed.reserve(labels.size());
  inks.reserve(labels.size());
  for (const SkyLabelBox& label : labels) {
    const int x = label.ptCentre.x;
    const int y = label.ptCentre.y;
    const RECT centred = CentredTextBox(x, y, label.size);
    const RECT ink = LabelInkBox(centred);
    // The dot grows with the text, so that it reads at every scale; the
    // ink keeps its halo and a pixel more away from it.
    const int dot = std::max(2, static_cast<int>(label.size.cy / 8));
    const RECT rcDot{x - dot / 2, y - dot / 2, x - dot / 2 + dot, y - dot / 2 + dot};
    const int gap = (dot + 1) / 2 + 2;
    // Moves of the ink that put it beside the point, then beside where its
    // ink would be centred (to clear a label centred on the same point).
    const int right = x + gap - ink.left;
    const int left = x - gap - ink.right;
    const int up = y - gap - ink.bottom;
    const int down = y + gap - ink.top;
    const int width = ink.right - ink.left + 2;
    const int height = ink.bottom - ink.top + 2;
    const POINT moves[] = {{0, 0},          {right, 0},      {left, 0},     {0, up},          {0, down},
                           {right, up},     {left, up},      {right, down}, {left, down},     {width, 0},
                           {-width, 0},     {0, -height},    {0, height},   {width, -height}, {-width, -height},
                           {width, height}, {-width, height}};

    // The dot is lost where a label already there covers it, which makes
    // every move worth that much less.
    std::int64_t dotHidden = 0;
    for (const RECT& other : inks) {
      dotHidden += OverlapArea(Inflated(rcDot, 1), other);
    }

    std::int64_t bestCost = -1;
    PlacedLabel best{};
    RECT bestInk{};
    for (const POINT& move : moves) {
      const bool moved = move.x != 0 || move.y != 0;
      const RECT candidate = Moved(ink, move.x, move.y);
      const RECT halo = Inflated(candidate, 1);
      std::int64_t cost = 0;
      for (const RECT& reserved : rcReserved) {
        cost += OverlapArea(halo, reserved);
      }
      for (std::size_t k = 0; k < placed.size(); ++k) {
        cost += OverlapArea(halo, inks[k]) + OverlapArea(halo, placed[k].rcDot);
      }
      if (moved) {
        // A moved label stays in the plot.
        cost += kOutsideWeight * (Area(candidate) - OverlapArea(candidate, plot)) + dotHidden;
      }
      if (bestCost < 0 || cost < bestCost) {
        bestCost = cost;
        best = {Moved(centred, move.x, move.y), moved ? TRUE : FALSE, moved ? rcDot : RECT{}};
        bestInk = candidate;
      }
      if (cost == 0) break;
    }
    placed.push_back(best);
    inks.push_back(bestInk);
  }
  return placed;
}
