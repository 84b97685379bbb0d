// The reference point as typed: the forms taken and refused, and the text
// the Accuracy page shows for a point reading back as the same point.
#include "quality/reference_point.h"

#include <gtest/gtest.h>

namespace {

TEST(ReferencePoint, TakesTwoOrThreeNumbersWithSpacesAroundThem) {
  EXPECT_EQ(ParseReferencePoint("45.523119,-122.676493,57"), (Geodetic{45.523119, -122.676493, 57.0}));
  EXPECT_EQ(ParseReferencePoint(" -33.5 , 151.25 "), (Geodetic{-33.5, 151.25, 0.0}));
  for (const char* refused : {"", "45.5", "45.5,", "45.5;-122.6", "45.5,-122.6,57,1", "45.5,-122.6,57 m", "91,0",
                              "0,180.5", "nan,0", "45,5,-122,6,57", "1e999,0"}) {
    EXPECT_FALSE(ParseReferencePoint(refused)) << refused;
  }
}

TEST(ReferencePoint, ItsTextReadsBackAsTheSamePoint) {
  for (const Geodetic& point : {Geodetic{45.523119, -122.676493, 57.25}, Geodetic{-33.856784, 151.215297, 0.0},
                                Geodetic{0.1 + 0.2, -180.0, -12.5}}) {
    EXPECT_EQ(ParseReferencePoint(ReferencePointText(point)), point) << ReferencePointText(point);
  }
  EXPECT_EQ(ReferencePointText({45.5, -122.6, 0.0}), "45.5,-122.6") << "no altitude when it is 0";
  EXPECT_EQ(ReferencePointText({45.5, -122.6, 57.0}), "45.5,-122.6,57");
}

}  // namespace
