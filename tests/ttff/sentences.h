// Sentences for the TTFF tests, closed with their checksum.
#pragma once

#include <string>

#include "nmea/checksum.h"

inline std::string Sentence(const std::string& body) {
  const std::uint8_t sum = NmeaChecksum(body);
  return "$" + body + "*" + NmeaHexDigit(sum >> 4) + NmeaHexDigit(sum) + "\r\n";
}

// A new epoch's UTC time on every call ("120001", "120002", ...), so that
// each made-up sentence is of an epoch of its own unless a test names one.
inline std::string NextEpochTime() {
  static int seconds = 0;
  ++seconds;
  const int s = seconds % 86400;
  const std::string text = std::to_string(1000000 + (s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60);
  return text.substr(1);
}

// 48 deg 07.038' N, 11 deg 31.000' E, 8 satellites used.
inline std::string GgaWithQuality(int quality, const std::string& time = NextEpochTime()) {
  return Sentence("GPGGA," + time + ",4807.038,N,01131.000,E," + std::to_string(quality) + ",08,0.9,545.4,M,46.9,M,,");
}
inline std::string RmcWithStatus(char status, const std::string& time = NextEpochTime()) {
  return Sentence("GPRMC," + time + "," + status + ",4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
}
