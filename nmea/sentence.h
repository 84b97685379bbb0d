// What makes a line an NMEA-0183 sentence, shared by the reader (is this a
// sentence at all?), the decoder (which sentence, and does its checksum
// hold?) and the receiver scan (does this port talk NMEA?). Narrow and wide
// lines alike, without their CR LF.
#pragma once

#include <cstddef>
#include <string_view>

#include "nmea/checksum.h"

// The sentence types the program decodes, in the order the decoder tries
// them: altitude, fix, satellites, position and time.
inline constexpr std::string_view kNmeaDecodedTypes[] = {"GGA", "GSA", "GSV", "RMC"};
constexpr int kNmeaDecodedTypeCount = 4;

namespace nmea_detail {

template <class Char>
constexpr bool IsUpperLetter(Char c) {
  return c >= Char('A') && c <= Char('Z');
}

template <class Char>
constexpr bool HasTalker(std::basic_string_view<Char> line) {
  return line.size() >= 3 && line[0] == Char('$') && IsUpperLetter(line[1]) && IsUpperLetter(line[2]);
}

template <class Char>
constexpr int DecodedTypeOfHead(std::basic_string_view<Char> line) {
  if (line.size() < 7 || !HasTalker(line) || line[6] != Char(',')) return -1;
  for (int type = 0; type < kNmeaDecodedTypeCount; ++type) {
    const std::string_view name = kNmeaDecodedTypes[type];
    if (line[3] == Char(name[0]) && line[4] == Char(name[1]) && line[5] == Char(name[2])) return type;
  }
  return -1;
}

template <class Char>
constexpr bool ChecksumHolds(std::basic_string_view<Char> line) {
  const std::size_t length = line.size();
  if (length < 4 || line[0] != Char('$') || line[length - 3] != Char('*')) return false;
  const std::uint8_t sum = XorOfBytes(line.substr(1, length - 4));
  return line[length - 2] == Char(NmeaHexDigit(sum >> 4)) && line[length - 1] == Char(NmeaHexDigit(sum));
}

}  // namespace nmea_detail

// "$" and a talker of two upper-case letters ("$GP", "$GN", "$BD" ...).
constexpr bool NmeaHasTalker(std::string_view line) { return nmea_detail::HasTalker(line); }
constexpr bool NmeaHasTalker(std::wstring_view line) { return nmea_detail::HasTalker(line); }

// The index in kNmeaDecodedTypes of the type that the line's head
// "$" + talker + type + "," names, of any talker; -1 for any other line.
constexpr int NmeaDecodedTypeOfHead(std::string_view line) { return nmea_detail::DecodedTypeOfHead(line); }
constexpr int NmeaDecodedTypeOfHead(std::wstring_view line) { return nmea_detail::DecodedTypeOfHead(line); }

// True when the line starts with "$" and ends with "*" and the two
// upper-case hexadecimal digits of the XOR of the characters in between.
// Lower-case digits, or anything after them, fail.
constexpr bool NmeaChecksumHolds(std::string_view line) { return nmea_detail::ChecksumHolds(line); }
constexpr bool NmeaChecksumHolds(std::wstring_view line) { return nmea_detail::ChecksumHolds(line); }
