#include "session/decoding_mode.h"

#include <gtest/gtest.h>

namespace {

// The saved setting decides until --gps-only asks for $GP only; then every
// session of the run decodes $GP only.
TEST(DecodingModeTest, TheCommandLineOptionOverridesTheSetting) {
  EXPECT_EQ(GpsOnlyDecoding(0), 0);
  EXPECT_EQ(GpsOnlyDecoding(1), 1);
  RequestGpsOnlyDecoding();
  EXPECT_EQ(GpsOnlyDecoding(0), 1);
}

}  // namespace
