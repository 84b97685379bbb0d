#include "simulator/nmea_text.h"

#include <clocale>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/canned_epoch.h"

namespace {

TEST(NmeaText, FinishSentenceMatchesKnownReceiverOutput) {
  // Bodies of sentences with the checksums their receivers sent.
  const std::string_view sentences[] = {
      CannedSentence(0),  // GGA
      CannedSentence(5),  // RMC
      "$PSRF104,0,0,0,96000,237759,1946,12,4*1D",
      "$GPGSV,3,3,11,24,24,310,18,06,07,167,19,13,37,229,*44",
  };
  for (std::string_view sentence : sentences) {
    const std::string_view body = sentence.substr(1, sentence.size() - 4);
    EXPECT_EQ(sim::FinishSentence(body), std::string(sentence) + "\r\n");
  }
}

TEST(NmeaText, AnglesRoundOnceAndCarryIntoTheDegree) {
  struct Case {
    double degrees;
    const char* latitude;
    const char* longitude;
  };
  const Case cases[] = {
      {24.18605, "2411.1630,N", "02411.1630,E"},   {-45.5231, "4531.3860,S", "04531.3860,W"},
      {0.0, "0000.0000,N", "00000.0000,E"},        {-0.5, "0030.0000,S", "00030.0000,W"},
      {45.9999999, "4600.0000,N", "04600.0000,E"},  // 59.999994' is the next degree
      {8.00000001, "0800.0000,N", "00800.0000,E"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sim::LatitudeFields(c.degrees), c.latitude) << c.degrees;
    EXPECT_EQ(sim::LongitudeFields(c.degrees), c.longitude) << c.degrees;
  }
  EXPECT_EQ(sim::LongitudeFields(-122.6765), "12240.5900,W");
}

TEST(NmeaText, FixedIsLocaleProof) {
  // Under a locale with a decimal comma printf would write "5,3".
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.utf8");
  struct Case {
    double value;
    int decimals;
    int digits;
    const char* text;
  };
  const Case cases[] = {
      {5.25, 1, 3, "005.3"},     {-19.6, 1, 1, "-19.6"}, {-0.04, 1, 1, "0.0"},
      {359.996, 2, 3, "360.00"}, {7.0, 0, 2, "07"},      {1.875, 2, 1, "1.88"},
  };
  for (const Case& c : cases) EXPECT_EQ(sim::Fixed(c.value, c.decimals, c.digits), c.text) << c.value;
  if (german) std::setlocale(LC_NUMERIC, "C");
}

TEST(NmeaText, TimeAndDateFields) {
  struct Case {
    std::int64_t utc_ms;
    const char* time;
    const char* date;
  };
  const Case cases[] = {
      {0, "000000.00", "010170"},
      {1'173'404'028'000, "013348.00", "090307"},  // 2007-03-09 01:33:48
      {1'709'251'199'990, "235959.99", "290224"},  // leap day 2024, last centisecond
      {1'709'251'200'000, "000000.00", "010324"},
      {4'102'444'800'000, "000000.00", "010100"},  // 2100-01-01
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sim::UtcTimeField(c.utc_ms), c.time) << c.utc_ms;
    EXPECT_EQ(sim::DateField(c.utc_ms), c.date) << c.utc_ms;
  }
}

}  // namespace
