#include "bench/decode/nmea_log.h"

#include <cstdio>
#include <string>
#include <vector>

#include "nmea/checksum.h"

namespace {

std::string WithChecksum(const std::string& body) {
  const std::uint8_t sum = NmeaChecksum(body);
  return "$" + body + "*" + NmeaHexDigit(sum >> 4) + NmeaHexDigit(sum) + "\r\n";
}

std::vector<std::string> Epoch(long long n) {
  char buffer[160];
  const int second = static_cast<int>(n % 86400);
  const int hh = second / 3600, mm = second / 60 % 60, ss = second % 60;
  const double lat = 2411.1630 + static_cast<double>(n % 1000) * 0.0137;
  const double lon = 12036.6100 + static_cast<double>(n % 977) * 0.0211;
  std::vector<std::string> out;
  std::snprintf(buffer, sizeof buffer, "GPGGA,%02d%02d%02d.000,%.4f,N,%.4f,E,1,08,1.1,%.1f,M,15.2,M,,0000", hh, mm, ss,
                lat, lon, 120.0 + static_cast<double>(n % 50));
  out.push_back(WithChecksum(buffer));
  out.push_back(WithChecksum("GPGSA,A,3,01,03,05,07,09,11,13,15,,,,,1.8,1.1,1.4"));
  for (int m = 1; m <= 3; ++m) {
    std::string body = "GPGSV,3," + std::to_string(m) + ",12";
    for (int k = 0; k < 4; ++k) {
      const int prn = (m - 1) * 8 + 2 * k + 1;
      std::snprintf(buffer, sizeof buffer, ",%02d,%02d,%03d,%02d", prn, static_cast<int>((n + prn * 7) % 90),
                    static_cast<int>((n + prn * 29) % 360), static_cast<int>((n + prn) % 50));
      body += buffer;
    }
    out.push_back(WithChecksum(body));
  }
  std::snprintf(buffer, sizeof buffer, "GPRMC,%02d%02d%02d.000,A,%.4f,N,%.4f,E,%.2f,%.2f,090307,,,A", hh, mm, ss, lat,
                lon, static_cast<double>(n % 300) * 0.1, static_cast<double>(n % 3600) * 0.1);
  out.push_back(WithChecksum(buffer));
  std::snprintf(buffer, sizeof buffer, "GPGLL,%.4f,N,%.4f,E,%02d%02d%02d.000,A,A", lat, lon, hh, mm, ss);
  out.push_back(WithChecksum(buffer));
  out.push_back(WithChecksum("GPVTG,101.50,T,,M,6.10,N,11.30,K,A"));
  return out;
}

}  // namespace

std::string GenerateNmeaLog(long long sentences) {
  std::string log;
  log.reserve(static_cast<std::size_t>(sentences) * 72);
  for (long long n = 0, written = 0; written < sentences; ++n) {
    for (const std::string& sentence : Epoch(n)) {
      if (written++ < sentences) {
        log += sentence;
      }
    }
  }
  return log;
}
