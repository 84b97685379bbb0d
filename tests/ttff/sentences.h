// Sentences for the TTFF tests, closed with their checksum.
#pragma once

#include <string>

#include "nmea/checksum.h"

inline std::string Sentence(const std::string& body) {
  const std::uint8_t sum = NmeaChecksum(body);
  return "$" + body + "*" + NmeaHexDigit(sum >> 4) + NmeaHexDigit(sum) + "\r\n";
}

// 48 deg 07.038' N, 11 deg 31.000' E, 8 satellites used.
inline std::string GgaWithQuality(int quality) {
  return Sentence("GPGGA,123519,4807.038,N,01131.000,E," + std::to_string(quality) + ",08,0.9,545.4,M,46.9,M,,");
}
inline std::string RmcWithStatus(char status) {
  return Sentence(std::string("GPRMC,123519,") + status + ",4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
}
