#include "display/sky_labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A label as the 480-pixel screens draw one: three characters, 44 x 28.
constexpr SIZE kLabel{44, 28};
constexpr int kSide = 241;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

RECT Halo(const RECT& r) { return {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}; }

bool Inside(const RECT& r, int side) { return r.left >= 0 && r.top >= 0 && r.right <= side && r.bottom <= side; }

// How far the point lies from the box (0 inside it), along the farther axis.
int Distance(const RECT& r, POINT p) {
  const int dx = std::max({r.left - p.x, 0, p.x - r.right});
  const int dy = std::max({r.top - p.y, 0, p.y - r.bottom});
  return std::max(dx, dy);
}

// No label's ink, with its halo, touches another's ink or the dot of one
// placed before it; every moved label's ink stands near its satellite, which
// has a dot its own label leaves free.
void ExpectReadable(const std::vector<SkyLabelBox>& labels, const std::vector<PlacedLabel>& placed) {
  ASSERT_EQ(placed.size(), labels.size());
  for (std::size_t i = 0; i < placed.size(); ++i) {
    SCOPED_TRACE("label " + std::to_string(i));
    const RECT ink = LabelInkBox(placed[i].rcText);
    for (std::size_t k = 0; k < placed.size(); ++k) {
      if (k == i) continue;
      EXPECT_FALSE(Overlap(Halo(ink), LabelInkBox(placed[k].rcText))) << "ink of " << k;
      if (k < i) {
        EXPECT_FALSE(Overlap(Halo(ink), placed[k].rcDot)) << "dot of " << k;
      }
    }
    if (placed[i].bMoved) {
      const POINT point = labels[i].ptCentre;
      EXPECT_TRUE(Overlap(placed[i].rcDot, {point.x, point.y, point.x + 1, point.y + 1}));
      // At most one label's width or height away.
      EXPECT_LE(Distance(ink, point), std::max(ink.right - ink.left, ink.bottom - ink.top) + 2);
      EXPECT_FALSE(Overlap(Halo(ink), placed[i].rcDot));
    } else {
      EXPECT_TRUE(SameRect(placed[i].rcText, CentredTextBox(labels[i].ptCentre.x, labels[i].ptCentre.y, kLabel)));
    }
  }
}

TEST(SkyLabels, LabelsApartStayCentredWithoutDots) {
  // Two apart, and two whose boxes overlap only in the rows above and below
  // the ink.
  const std::vector<SkyLabelBox> labels = {
      {{60, 60}, kLabel}, {{180, 180}, kLabel}, {{120, 100}, kLabel}, {{120, 120}, kLabel}};
  const std::vector<PlacedLabel> placed = PlaceSkyLabels(labels, {}, kSide);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(placed[i].bMoved);
    EXPECT_TRUE(SameRect(placed[i].rcText, CentredTextBox(labels[i].ptCentre.x, labels[i].ptCentre.y, kLabel)));
    EXPECT_TRUE(SameRect(placed[i].rcDot, RECT{}));
  }
}

TEST(SkyLabels, CrowdedLabelsMoveBesideTheirSatellites) {
  struct {
    std::string name;
    std::vector<SkyLabelBox> labels;
  } const cases[] = {
      {"five on one point", std::vector<SkyLabelBox>(5, {{120, 120}, kLabel})},
      {"a row a few pixels apart",
       {{{100, 120}, kLabel}, {{106, 121}, kLabel}, {{112, 119}, kLabel}, {{118, 122}, kLabel}}},
      // On the horizon (14 pixels in from the edges): moved labels must stay
      // inside the plot.
      {"a pile on the western horizon", std::vector<SkyLabelBox>(3, {{14, 120}, kLabel})},
      {"a pile on the northern horizon", std::vector<SkyLabelBox>(3, {{120, 14}, kLabel})},
      {"a pile on the north-eastern horizon", std::vector<SkyLabelBox>(3, {{195, 45}, kLabel})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<PlacedLabel> placed = PlaceSkyLabels(c.labels, {}, kSide);
    EXPECT_FALSE(placed[0].bMoved);
    ExpectReadable(c.labels, placed);
    for (const PlacedLabel& label : placed) {
      if (label.bMoved) {
        EXPECT_TRUE(Inside(LabelInkBox(label.rcText), kSide));
      }
    }
  }
}

TEST(SkyLabels, ReservedAreasAreLeftFree) {
  const RECT counts{0, 225, 90, 241};
  const std::vector<SkyLabelBox> labels = {{{40, 222}, kLabel}};
  const std::vector<PlacedLabel> placed = PlaceSkyLabels(labels, {counts}, kSide);
  EXPECT_TRUE(placed[0].bMoved);
  EXPECT_FALSE(Overlap(Halo(LabelInkBox(placed[0].rcText)), counts));
}

TEST(SkyLabels, ALabelWithNoFreePlaceCoversLeast) {
  // The whole plot is reserved: every place covers it, the centred one least,
  // since any other also falls partly outside.
  const std::vector<SkyLabelBox> labels = {{{120, 120}, kLabel}};
  const std::vector<PlacedLabel> placed = PlaceSkyLabels(labels, {{0, 0, kSide, kSide}}, kSide);
  EXPECT_FALSE(placed[0].bMoved);
  // A hemmed-in label next to the edge would rather cover a label than be cut off.
  const std::vector<SkyLabelBox> edge = {{{30, 120}, kLabel}, {{30, 120}, kLabel}};
  const std::vector<PlacedLabel> both = PlaceSkyLabels(edge, {{50, 0, kSide, kSide}}, kSide);
  for (const PlacedLabel& label : both) {
    EXPECT_GE(LabelInkBox(label.rcText).left, 0);
  }
}

}  // namespace
