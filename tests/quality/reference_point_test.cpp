#include "quality/reference_point.h"

#include <gtest/gtest.h>

namespace {

// As typed (spaces allowed), and as the Accuracy page writes a point back.
TEST(ReferencePoint, ReadsTypedPointsAndItsOwnTextBackExactly) {
  EXPECT_EQ(ParseReferencePoint(" -33.5 , 151.25 "), (Geodetic{-33.5, 151.25, 0.0}));
  for (const char* refused : {"", "45.5;-122.6", "45.5,-122.6,57 m"}) EXPECT_FALSE(ParseReferencePoint(refused));
  const Geodetic point{0.1 + 0.2, -122.676493, 57.25};
  EXPECT_EQ(ParseReferencePoint(ReferencePointText(point)), point);
  EXPECT_EQ(ReferencePointText({45.5, -122.6, 0.0}), "45.5,-122.6");
}

}  // namespace
