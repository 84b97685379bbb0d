#include "display/sky_labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/sky_markers.h"

namespace {

// A number as the 480-pixel screens draw one: three digits, 30 x 21, beside
// a 13-pixel marker.
constexpr SIZE kNumber{30, 21};
constexpr int kMarker = 13;
constexpr int kSide = 241;

bool Overlap(const RECT& a, const RECT& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

RECT Halo(const RECT& r) { return {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}; }

bool Inside(const RECT& r, int side) { return r.left >= 0 && r.top >= 0 && r.right <= side && r.bottom <= side; }

// How far the point lies from the box (0 inside it), along the farther axis.
int Distance(const RECT& r, POINT p) {
  const int dx = std::max({r.left - p.x, 0, p.x + 1 - r.right});
  const int dy = std::max({r.top - p.y, 0, p.y + 1 - r.bottom});
  return std::max(dx, dy);
}

std::vector<SkyMark> Pile(int count, POINT point) { return std::vector<SkyMark>(count, {point, kNumber}); }

// Every satellite has its marker, inside the plot; no marker, with its halo,
// touches another or a reserved area; no shown number's ink touches a
// marker, another number or a reserved area, or leaves the plot.
void ExpectReadable(const std::vector<SkyMark>& marks, const std::vector<PlacedMark>& placed,
                    const std::vector<RECT>& reserved = {}) {
  ASSERT_EQ(placed.size(), marks.size());
  for (std::size_t i = 0; i < placed.size(); ++i) {
    SCOPED_TRACE("mark " + std::to_string(i));
    const RECT& marker = placed[i].rcMarker;
    EXPECT_EQ(marker.right - marker.left, kMarker);
    EXPECT_EQ(marker.bottom - marker.top, kMarker);
    EXPECT_TRUE(Inside(Halo(marker), kSide));
    const RECT ink = LabelInkBox(placed[i].rcNumber);
    for (const RECT& area : reserved) {
      EXPECT_FALSE(Overlap(Halo(marker), area));
      EXPECT_FALSE(placed[i].bNumber && Overlap(Halo(ink), area));
    }
    for (std::size_t k = 0; k < placed.size(); ++k) {
      if (k != i) {
        EXPECT_FALSE(Overlap(Halo(marker), placed[k].rcMarker)) << "marker " << k;
      }
      if (!placed[i].bNumber) continue;
      EXPECT_FALSE(Overlap(Halo(ink), placed[k].rcMarker)) << "marker " << k;
      if (k != i && placed[k].bNumber) {
        EXPECT_FALSE(Overlap(Halo(ink), LabelInkBox(placed[k].rcNumber))) << k;
      }
    }
    if (placed[i].bNumber) {
      EXPECT_TRUE(Inside(ink, kSide));
      EXPECT_LE(Distance(ink, {(marker.left + marker.right) / 2, (marker.top + marker.bottom) / 2}), kMarker);
    }
  }
}

TEST(SkyMarks, MarksApartKeepTheirPointsWithTheNumberOnTheRight) {
  const std::vector<SkyMark> marks = {{{60, 60}, kNumber}, {{180, 180}, kNumber}, {{120, 100}, kNumber}};
  const std::vector<PlacedMark> placed = PlaceSkyMarks(marks, kMarker, {}, kSide);
  ExpectReadable(marks, placed);
  for (std::size_t i = 0; i < marks.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(placed[i].rcMarker.left, marks[i].ptSatellite.x - kMarker / 2);
    EXPECT_EQ(placed[i].rcMarker.top, marks[i].ptSatellite.y - kMarker / 2);
    EXPECT_TRUE(placed[i].bNumber);
    EXPECT_EQ(placed[i].rcNumber.left, placed[i].rcMarker.right + 1);
  }
}

TEST(SkyMarks, CrowdedMarksStandApartAndKeepEveryMarker) {
  struct {
    std::string name;
    std::vector<SkyMark> marks;
  } const cases[] = {
      {"five on one point", Pile(5, {120, 120})},
      {"a row a few pixels apart", {{{100, 120}, kNumber}, {{106, 121}, kNumber}, {{112, 119}, kNumber}}},
      // On the horizon (14 pixels in from the edges): markers and numbers
      // stay whole inside the plot.
      {"a pile on the western horizon", Pile(3, {14, 120})},
      {"a pile on the northern horizon", Pile(3, {120, 14})},
      {"a pile in the south-eastern corner", Pile(4, {238, 238})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<PlacedMark> placed = PlaceSkyMarks(c.marks, kMarker, {}, kSide);
    ExpectReadable(c.marks, placed);
    // The first marker of a pile away from the edge keeps its point.
    const POINT first = c.marks[0].ptSatellite;
    if (first.x > 2 * kMarker && first.x < kSide - 2 * kMarker) {
      EXPECT_EQ(placed[0].rcMarker.left, first.x - kMarker / 2);
    }
  }
}

TEST(SkyMarks, ReservedAreasAreLeftFree) {
  const RECT counts{0, 225, 90, 241};
  const std::vector<SkyMark> marks = {{{40, 222}, kNumber}, {{60, 216}, kNumber}};
  ExpectReadable(marks, PlaceSkyMarks(marks, kMarker, {counts}, kSide), {counts});
}

TEST(SkyMarks, NoRoomLeavesTheNumbersOutButNeverAMarker) {
  // The whole plot is reserved: every marker is drawn all the same, at its
  // point or pulled into the plot, without its number.
  const std::vector<SkyMark> marks = {{{120, 120}, kNumber}, {{120, 120}, kNumber}, {{0, 240}, kNumber}};
  const std::vector<PlacedMark> placed = PlaceSkyMarks(marks, kMarker, {{0, 0, kSide, kSide}}, kSide);
  ASSERT_EQ(placed.size(), marks.size());
  EXPECT_EQ(placed[0].rcMarker.left, 120 - kMarker / 2);
  for (const PlacedMark& mark : placed) {
    EXPECT_TRUE(Inside(Halo(mark.rcMarker), kSide));
    EXPECT_FALSE(mark.bNumber);
  }
}

TEST(SkyMarks, TheLegendKeepsOutsideTheHorizonOnEveryScreen) {
  for (const auto& [width, height] : {std::pair{240, 320}, std::pair{480, 640}, std::pair{320, 240},
                                      std::pair{640, 480}, std::pair{240, 240}, std::pair{480, 480}}) {
    const SkyPlotGeometry sky = SkyPlotGeometryFor(width, height);
    // A marker and a letter, as the page measures them.
    const int marker = SkyMarkerSide(sky.nMargin);
    const SIZE entry{marker + 1 + (width > 320 ? 12 : 6), marker};
    for (int count : {1, 4, 7}) {
      SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + ", " + std::to_string(count));
      const int counts = width > 320 ? 22 : 11;
      const std::vector<RECT> boxes = PlaceSkyLegend(sky, entry, count, counts);
      ASSERT_EQ(static_cast<int>(boxes.size()), count);
      for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_TRUE(Inside(Halo(boxes[i]), sky.nSide));
        EXPECT_LT(boxes[i].bottom, sky.nSide - counts);
        // The smallest plot has room outside its ring for four entries;
        // more go down its left edge.
        if (count > 4 && sky.nSide < 100) continue;
        for (int x = boxes[i].left; x < boxes[i].right; ++x) {
          for (int y = boxes[i].top; y < boxes[i].bottom; ++y) {
            const int dx = x - sky.nCentre;
            const int dy = y - sky.nCentre;
            ASSERT_GT(dx * dx + dy * dy, (sky.nRadius + 1) * (sky.nRadius + 1)) << x << "," << y;
          }
        }
      }
      for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t k = 0; k < i; ++k) EXPECT_FALSE(Overlap(Halo(boxes[i]), boxes[k])) << i << ", " << k;
      }
    }
  }
}

TEST(SkyMarkers, EveryShapeFilledOrHollowLooksDifferent) {
  const MarkerShape shapes[] = {MarkerShape::kCircle,   MarkerShape::kSquare,       MarkerShape::kDiamond,
                                MarkerShape::kTriangle, MarkerShape::kTriangleDown, MarkerShape::kBar,
                                MarkerShape::kHourglass};
  for (int side : {7, 13}) {
    std::vector<std::vector<bool>> seen;
    for (MarkerShape shape : shapes) {
      const std::vector<bool> filled = MarkerPixels(shape, side, true);
      const std::vector<bool> hollow = MarkerPixels(shape, side, false);
      // A hollow marker is its filled one with the inside left out: at
      // least three pixels, so that the two read apart.
      int inside = 0;
      for (std::size_t i = 0; i < filled.size(); ++i) {
        EXPECT_FALSE(hollow[i] && !filled[i]);
        inside += filled[i] && !hollow[i] ? 1 : 0;
      }
      EXPECT_GE(inside, 3) << static_cast<int>(shape) << " at " << side;
      seen.push_back(filled);
      seen.push_back(hollow);
    }
    for (std::size_t i = 0; i < seen.size(); ++i) {
      for (std::size_t k = 0; k < i; ++k) EXPECT_NE(seen[i], seen[k]) << i << " and " << k << " at " << side;
    }
  }
  // The systems of one sky never share a shape.
  std::vector<MarkerShape> used;
  for (int system = 0; system <= 7; ++system) {
    EXPECT_EQ(std::count(used.begin(), used.end(), SystemMarkerShape(system)), 0) << system;
    used.push_back(SystemMarkerShape(system));
  }
}

}  // namespace
