#include "nmea/checksum.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

// Sentences as receivers sent them, with the checksums they carried.
TEST(NmeaChecksum, MatchesTheChecksumsOfRealSentences) {
  const std::string_view sentences[] = {
      "$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*62",
      "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
      "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39",
      "$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75",
  };
  for (std::string_view sentence : sentences) {
    const std::string_view body = sentence.substr(1, sentence.size() - 4);
    const std::uint8_t sum = NmeaChecksum(body);
    EXPECT_EQ(std::string({NmeaHexDigit(sum >> 4), NmeaHexDigit(sum)}), sentence.substr(sentence.size() - 2))
        << sentence;
    const std::wstring wide(body.begin(), body.end());
    EXPECT_EQ(NmeaChecksum(wide), sum) << "the wide line of " << sentence;
  }
}

}  // namespace
