#include "nmea/sentence.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

// Lines as receivers sent them (with the checksums they carried), and the
// ways a line fails; narrow and wide lines answer alike.
TEST(NmeaSentence, ChecksumHoldsOnlyForTheWholeUpperCaseChecksum) {
  const struct {
    std::string_view line;
    bool holds;
  } cases[] = {
      {"$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*62", true},
      {"$GNGSA,A,3,80,71,73,79,69,,,,,,,,1.83,1.09,1.47,2*09", true},
      {"$PMTK011,MTKGPS*08", true},
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", true},
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48", false},  // another sum
      {"$PMTK011,MTKGPS*8", false},                                                  // one digit
      {"$GNGSA,A,3,80,71,73,79,69,,,,,,,,1.83,1.09,1.47,2*09 ", false},              // a blank after it
      {"$GPGSV,1,1,00*79", true},
      {"$GPGSV,1,1,00*7a", false},  // lower-case digits
      {"GPGSV,1,1,00*79", false},   // no "$"
      {"$*00", true},
      {"$*0", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NmeaChecksumHolds(c.line), c.holds) << c.line;
    const std::wstring wide(c.line.begin(), c.line.end());
    EXPECT_EQ(NmeaChecksumHolds(wide), c.holds) << "wide " << c.line;
  }
}

TEST(NmeaSentence, HeadsOfTheDecodedTypesOfAnyTalker) {
  const struct {
    std::string_view line;
    int type;
  } cases[] = {
      {"$GPGGA,013345", 0}, {"$GNGSA,A,3", 1}, {"$BDGSV,1", 2},
      {"$GARMC,", 3},       {"$GLGSV,", 2},    {"$GPGGA", -1},  // no comma
      {"$gpgga,", -1},                                          // lower case
      {"$G1GGA,", -1},                                          // a digit in the talker
      {"$GPGLL,4916", -1},                                      // a type not decoded
      {"$PSRF104,0", -1},   {"GPGGA,$", -1},   {"", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NmeaDecodedTypeOfHead(c.line), c.type) << c.line;
    const std::wstring wide(c.line.begin(), c.line.end());
    EXPECT_EQ(NmeaDecodedTypeOfHead(wide), c.type) << "wide " << c.line;
  }
  EXPECT_TRUE(NmeaHasTalker(std::string_view("$GN")));
  EXPECT_FALSE(NmeaHasTalker(std::wstring_view(L"$G")));
}

}  // namespace
