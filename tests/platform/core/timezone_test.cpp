#include "platform/core/timezone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "tests/support/time_zone.h"

namespace {

// Sets TZ for one test and puts the old value back.
class TimeZoneTest : public testing::Test {
 protected:
  DWORD Query(const char* tz, TIME_ZONE_INFORMATION& info) {
    m_zone.Use(tz);
    return GetTimeZoneInformation(&info);
  }

 private:
  ScopedTimeZone m_zone;
};

TEST_F(TimeZoneTest, ZonesWithoutDaylightTimeAreUnknown) {
  TIME_ZONE_INFORMATION info{};
  EXPECT_EQ(Query("UTC0", info), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(info.Bias, 0);
  EXPECT_EQ(info.DaylightBias, 0);
  // Changed within the same second: the answer follows TZ at once.
  EXPECT_EQ(Query("CST-8", info), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(info.Bias, -480);
  EXPECT_EQ(info.StandardBias, 0);
  EXPECT_EQ(std::wstring(info.StandardName), L"CST");
  EXPECT_EQ(Query("NPT-5:45", info), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(info.Bias, -345);
}

TEST_F(TimeZoneTest, ZoneWithDaylightTimeSaysWhichIsInForce) {
  TIME_ZONE_INFORMATION info{};
  const DWORD id = Query("EST5EDT,M3.2.0,M11.1.0", info);
  EXPECT_EQ(info.Bias, 300);
  EXPECT_EQ(info.StandardBias, 0);
  EXPECT_EQ(info.DaylightBias, -60);
  EXPECT_EQ(std::wstring(info.DaylightName), L"EDT");
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(id, local.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD);
}

TEST_F(TimeZoneTest, DaylightTimeAllYearKeepsTheStandardBias) {
  TIME_ZONE_INFORMATION info{};
  EXPECT_EQ(Query("AAA3BBB,0/0,J365/25", info), TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(info.Bias, 180);
  EXPECT_EQ(info.DaylightBias, -60);
}

}  // namespace
