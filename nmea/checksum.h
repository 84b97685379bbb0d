// The checksums of what receivers and the program exchange: the NMEA-0183
// sentence checksum, shared by the decoder, the simulated receiver and the
// programs that write sentences for tests, benchmarks and fuzzing, and the
// UBX frame checksum of the receiver commands.
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

// The 8-bit Fletcher checksum of a u-blox UBX frame over `bytes` (class, id,
// length and payload): CK_A is the running sum of the bytes, CK_B the
// running sum of CK_A, both modulo 256. Returned as CK_A << 8 | CK_B.
constexpr std::uint16_t UbxChecksum(std::string_view bytes) {
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  for (char c : bytes) {
    a = static_cast<std::uint8_t>(a + static_cast<std::uint8_t>(c));
    b = static_cast<std::uint8_t>(b + a);
  }
  return static_cast<std::uint16_t>(a << 8 | b);
}
