#include "simulator/nmea_sentences.h"

#include "tests/simulator/nmea_checks.h"

#include <gtest/gtest.h>

namespace {

using sim_test::Fields;
using sim_test::HasValidChecksum;

sim::EpochReport ReportWith(int in_view, int used, int untracked) {
  sim::EpochReport report;
  report.utc_ms = 1'173'404'028'000;  // 2007-03-09 01:33:48
  report.fix_mode = used >= 4 ? 3 : used == 3 ? 2 : 1;
  report.latitude = 24.18605;
  report.longitude = 120.6101667;
  report.altitude_m = 12.34;
  report.geoid_separation_m = 15.0;
  report.speed_knots = 6.1;
  report.course_deg = 101.5;
  for (int i = 0; i < in_view; ++i) {
    sim::SatelliteView sat;
    sat.prn = i + 1;
    sat.elevation = 10.0 + i * 5;
    sat.azimuth = i * 25.0;
    if (i < in_view - untracked) sat.snr = 30 + i;
    sat.used = i < used;
    report.satellites.push_back(sat);
  }
  report.dilution = {1.8, 0.9, 1.5};
  return report;
}

// Strips CR LF after checking the sentence's frame.
std::string Checked(const std::string& sentence) {
  EXPECT_TRUE(sentence.ends_with("\r\n")) << sentence;
  EXPECT_LE(sentence.size(), 82u) << sentence;
  const std::string line = sentence.substr(0, sentence.size() - 2);
  EXPECT_TRUE(HasValidChecksum(line)) << line;
  return line;
}

// The sentence without its checksum, after checking its frame and checksum.
std::string Body(const std::string& sentence) {
  const std::string line = Checked(sentence);
  return line.substr(0, line.size() - 3);
}

TEST(NmeaSentences, GsaListsTwelveSlotsAndTheDilution) {
  struct Case {
    int used;
    const char* expected;
  };
  const Case cases[] = {
      {0, "$GPGSA,A,1,,,,,,,,,,,,,,,"},
      {3, "$GPGSA,A,2,01,02,03,,,,,,,,,,1.8,0.9,1.5"},
      {14, "$GPGSA,A,3,01,02,03,04,05,06,07,08,09,10,11,12,1.8,0.9,1.5"},
  };
  for (const Case& c : cases) {
    sim::EpochReport report = ReportWith(16, c.used, 0);
    if (c.used == 0) report.dilution = {};
    const std::string body = Body(sim::GsaSentence(report));
    EXPECT_EQ(body, c.expected);
    EXPECT_EQ(Fields(body).size(), 18u);
  }
}

TEST(NmeaSentences, PositionSentencesWithAndWithoutFix) {
  const sim::EpochReport fix = ReportWith(8, 6, 1);
  EXPECT_EQ(Body(sim::GgaSentence(fix)), "$GPGGA,013348.00,2411.1630,N,12036.6100,E,1,06,0.9,12.3,M,15.0,M,,");
  EXPECT_EQ(Body(sim::GllSentence(fix)), "$GPGLL,2411.1630,N,12036.6100,E,013348.00,A,A");
  EXPECT_EQ(Body(sim::RmcSentence(fix)), "$GPRMC,013348.00,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,,A");
  EXPECT_EQ(Body(sim::VtgSentence(fix)), "$GPVTG,101.50,T,,M,6.10,N,11.30,K,A");

  const sim::EpochReport none = ReportWith(2, 0, 0);
  EXPECT_EQ(Body(sim::GgaSentence(none)), "$GPGGA,013348.00,,,,,0,00,,,M,,M,,");
  EXPECT_EQ(Body(sim::GllSentence(none)), "$GPGLL,,,,,013348.00,V,N");
  EXPECT_EQ(Body(sim::RmcSentence(none)), "$GPRMC,013348.00,V,,,,,,,090307,,,N");
  EXPECT_EQ(Body(sim::VtgSentence(none)), "$GPVTG,,T,,M,,N,,K,N");

  sim::EpochReport turning = fix;
  turning.course_deg = 359.999;  // rounds to 360.00, which is 000.00
  EXPECT_EQ(Fields(Body(sim::RmcSentence(turning)))[8], "000.00");
}

}  // namespace
