// Checks on NMEA text written independently of the code under test.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "nmea/checksum.h"

namespace sim_test {

// True for "$...*HH" (no CR LF) whose HH is the XOR of the characters
// between "$" and "*" in upper-case hex.
inline bool HasValidChecksum(std::string_view line) {
  if (line.size() < 4 || line[0] != '$' || line[line.size() - 3] != '*') return false;
  const std::uint8_t sum = NmeaChecksum(line.substr(1, line.size() - 4));
  return line[line.size() - 2] == NmeaHexDigit(sum >> 4) && line[line.size() - 1] == NmeaHexDigit(sum);
}

// The lines of a byte stream cut at CR LF, without it; what follows the last
// CR LF goes to rest.
inline std::vector<std::string> Lines(std::string_view stream, std::string* rest = nullptr) {
  std::vector<std::string> lines;
  for (std::size_t end; (end = stream.find("\r\n")) != std::string_view::npos; stream.remove_prefix(end + 2))
    lines.emplace_back(stream.substr(0, end));
  if (rest) *rest = std::string(stream);
  return lines;
}

// The comma-separated fields of a sentence, the checksum cut off.
inline std::vector<std::string> Fields(std::string_view line) {
  line = line.substr(0, line.find('*'));
  std::vector<std::string> fields;
  for (std::size_t comma; (comma = line.find(',')) != std::string_view::npos; line.remove_prefix(comma + 1))
    fields.emplace_back(line.substr(0, comma));
  fields.emplace_back(line);
  return fields;
}

// Seconds of the day of an "hhmmss[.ss]" field.
inline int SecondsOfDay(const std::string& hhmmss) {
  return std::stoi(hhmmss.substr(0, 2)) * 3600 + std::stoi(hhmmss.substr(2, 2)) * 60 + std::stoi(hhmmss.substr(4, 2));
}

}  // namespace sim_test
