#include "display/gps_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

#include "acquisition/gps_record.h"
#include "resources/string_table.h"
#include "tests/support/demo_record.h"
#include "tests/support/time_zone.h"

namespace {

// Runs each test in a time zone of its choosing and restores TZ after.
class FormatTest : public testing::Test {
 protected:
  void UseZone(const char* tz) { m_zone.Use(tz); }

 private:
  ScopedTimeZone m_zone{"UTC0"};
};

TEST_F(FormatTest, DemoSentencesShowTheirTexts) {
  const GPSRecordData record = DemoRecord();
  EXPECT_EQ(AltitudeText(record), L"0.0");
  const FixTexts fix = FixGroupTexts(record);
  EXPECT_EQ(fix.strFix, L"3D");
  EXPECT_EQ(fix.strPdop, L"7.5");
  const PositionTexts position = PositionGroupTexts(record);
  EXPECT_EQ(position.strDate, L"2007/03/09");
  EXPECT_EQ(position.strTime, L"01:33:48");
  EXPECT_EQ(position.strSpeed, L"11.3 km/h");
  EXPECT_EQ(position.strCourse, L"E 101\u00B0");
  EXPECT_EQ(position.strLatitude, L"N 24\u00B011'9\"");
  EXPECT_EQ(position.strLongitude, L"E 120\u00B036'36\"");
}

TEST_F(FormatTest, DateAndTimeFollowTheZone) {
  UseZone("CST-8");  // bias -480
  DateTimeTexts texts = FormatDateTime(90307, 13348);
  EXPECT_EQ(texts.strDate, L"2007/03/09");
  EXPECT_EQ(texts.strTime, L"09:33:48");
  UseZone("CET-1");  // bias -60: the last second of 2099 runs into the next year
  texts = FormatDateTime(311299, 235959);
  EXPECT_EQ(texts.strDate, L"2100/01/01");
  EXPECT_EQ(texts.strTime, L"00:59:59");
  UseZone("HST10");  // west of Greenwich: back into February of a leap year
  texts = FormatDateTime(10308, 50000);
  EXPECT_EQ(texts.strDate, L"2008/02/29");
  EXPECT_EQ(texts.strTime, L"19:00:00");
  UseZone("AAA3BBB,0/0,J365/25");  // daylight time all year: bias 180 - 60
  EXPECT_EQ(UtcToLocal(7200), 0);
}

TEST_F(FormatTest, InvalidDateOrTimeShowsNothing) {
  const struct {
    int date;
    int time;
    const wchar_t* expectedDate;
  } cases[] = {
      {0, 13348, L""},       // no date received yet
      {90307, 246000, L""},  // hour 24
      {90307, 6000, L""},    // minute 60
      {90307, 60, L""},      // second 60
      {91307, 13348, L""},   // month 13
      {320307, 13348, L""},  // day 32
      {-90307, 13348, L""},
      {90307, -1, L""},            // "-000001" is no time
      {1090307, 13348, L""},       // seven digits
      {310207, 0, L"2007/03/03"},  // a day past the month's end runs on
  };
  for (const auto& c : cases) {
    const DateTimeTexts texts = FormatDateTime(c.date, c.time);
    EXPECT_EQ(texts.strDate, c.expectedDate) << "case " << (&c - cases);
    EXPECT_EQ(texts.strTime.empty(), *c.expectedDate == L'\0') << "case " << (&c - cases);
  }
}

TEST_F(FormatTest, CourseShowsCompassPointAndWholeDegrees) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double course;
    const wchar_t* expected;
  } cases[] = {
      {0.0, L"N 0\u00B0"},
      {22.4, L"N 22\u00B0"},
      {22.5, L"NE 22\u00B0"},
      {101.5, L"E 101\u00B0"},
      {337.49, L"NW 337\u00B0"},
      {337.5, L"N 337\u00B0"},
      {359.9, L"N 359\u00B0"},
      {360.0, L"N 360\u00B0"},
      {725.0, L"N 725\u00B0"},
      {-60.0, L"NW -60\u00B0"},
      {-0.5, L"N 0\u00B0"},
      {-22.6, L"NW -22\u00B0"},
      {-360.0, L"N -360\u00B0"},
      {-405.0, L"NW -405\u00B0"},
      {1e300, L"NW 2147483647\u00B0"},
      {-inf, L"N -2147483648\u00B0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatCourse(c.course), c.expected) << "course " << c.course;
  }
}

TEST_F(FormatTest, SpeedFixAndCoordinates) {
  EXPECT_EQ(FormatSpeed(0.0), L"0.0 km/h");
  EXPECT_EQ(FormatSpeed(150.0), L"277.8 km/h");
  EXPECT_EQ(FormatSpeed(std::numeric_limits<double>::infinity()), L"") << "no speed, not inf km/h";
  EXPECT_EQ(FormatSpeed(1e308), L"") << "beyond a double in km/h";
  EXPECT_EQ(FormatFix(0), L"No Fix");
  EXPECT_EQ(FormatFix(1), L"No Fix");
  EXPECT_EQ(FormatFix(2), L"2D");
  EXPECT_EQ(FormatFix(7), L"No Fix");
  EXPECT_EQ(FormatCoordinate(0.0, L"", L"N"), L"N 0\u00B00'0\"");
  EXPECT_EQ(FormatCoordinate(48.5, L"S", L"N"), L"S 48\u00B030'0\"");
  EXPECT_EQ(FormatCoordinate(11.5, L"", L"E"), L"E 11\u00B030'0\"");
  EXPECT_EQ(FormatDms(-1.5), L"-1\u00B0-30'0\"");  // not split into sign and magnitude
  EXPECT_EQ(FormatDms(std::numeric_limits<double>::infinity()), L"2147483647\u00B02147483647'2147483647\"");
}

TEST_F(FormatTest, TextsIgnoreTheUsersLocale) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/install-deps makes it)";
  }
  const GPSRecordData record = DemoRecord();
  const FixTexts fix = FixGroupTexts(record);
  const PositionTexts position = PositionGroupTexts(record);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(fix.strPdop, L"7.5");
  EXPECT_EQ(position.strSpeed, L"11.3 km/h");
  EXPECT_EQ(position.strLongitude, L"E 120\u00B036'36\"");
}

}  // namespace
