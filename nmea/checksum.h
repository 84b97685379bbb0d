// The checksum of an NMEA-0183 sentence, shared by the decoder, the
// simulated receiver and the programs that write sentences for tests,
// benchmarks and fuzzing.
#pragma once

#include <cstdint>
#include <string_view>

namespace nmea_detail {

template <class Char>
constexpr std::uint8_t XorOfBytes(std::basic_string_view<Char> body) {
  std::uint8_t sum = 0;
  // The low byte of each character, as the XOR's low byte depends on no more.
  for (Char c : body) sum ^= static_cast<std::uint8_t>(c);
  return sum;
}

}  // namespace nmea_detail

// The XOR of every character of `body`, the text between "$" and "*".
constexpr std::uint8_t NmeaChecksum(std::string_view body) { return nmea_detail::XorOfBytes(body); }
constexpr std::uint8_t NmeaChecksum(std::wstring_view body) { return nmea_detail::XorOfBytes(body); }

// The upper-case hex digit of the low four bits of `value`, as a sentence
// writes its checksum: NmeaHexDigit(sum >> 4), then NmeaHexDigit(sum).
constexpr char NmeaHexDigit(unsigned value) { return "0123456789ABCDEF"[value & 0xF]; }
