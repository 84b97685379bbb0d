// Where the labels of a crowded sky plot go. A label is drawn centred on its
// satellite; when that would cover a label placed before it or a reserved
// area (the counts in the corners), it goes beside its satellite instead, in
// the first place that is free and inside the plot: touching the point on
// its right, left, top, bottom or a corner, then the same eight places one
// label further out (clear of a label centred on the same point). The
// satellite then gets a dot. A label with no free place takes the one where
// it covers least.
//
// Labels are capitals and digits: their ink fills about the middle three
// fifths of a line's height (above is the room for accents, below the room
// for descenders), so two labels may share those margins.
#pragma once

#include <vector>

#include "platform/core/win_types.h"

struct SkyLabelBox {
  POINT ptCentre;  // where the label's centre goes when it is not moved
  SIZE size;       // its text's size
};

struct PlacedLabel {
  RECT rcText;  // where its text goes (right and bottom exclusive)
  BOOL bMoved;  // it stands beside its satellite
  RECT rcDot;   // the dot that then marks the satellite; empty otherwise
};

// Places the labels in the given order (the first keeps its place); each
// label's ink keeps a pixel of space around it, as its halo does. The plot
// is nSide pixels square; rcReserved are areas no label's ink may cover.
std::vector<PlacedLabel> PlaceSkyLabels(const std::vector<SkyLabelBox>& labels, const std::vector<RECT>& rcReserved,
                                        int nSide);

// The centred box of a text of that size around (x, y): its top-left corner is
// the rounded half width and height before the point.
RECT CentredTextBox(int x, int y, const SIZE& size);

// The rows of a label's text box that its ink fills.
RECT LabelInkBox(const RECT& rcText);
