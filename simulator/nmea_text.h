// Field formats of NMEA-0183 output. Every number is formatted from integers,
// so the text does not depend on the process locale (a German locale would
// otherwise turn the decimal point into a comma).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "nmea/checksum.h"

namespace sim {

// Two upper-case hex digits.
std::string HexByte(std::uint8_t value);

// "$" body "*" two upper-case hex digits CR LF.
std::string FinishSentence(std::string_view body);

// value rounded to decimals places, the integer part zero-padded to
// int_digits digits: Fixed(5.25, 1, 3) is "005.3" (ties away from zero).
std::string Fixed(double value, int decimals, int int_digits = 1);

// value zero-padded to digits digits.
std::string Padded(long long value, int digits);

// Signed decimal degrees as "ddmm.mmmm,N" / "dddmm.mmmm,E".
std::string LatitudeFields(double degrees);
std::string LongitudeFields(double degrees);

// UTC (milliseconds since 1970) as "hhmmss.ss" and as "ddmmyy".
std::string UtcTimeField(std::int64_t utc_ms);
std::string DateField(std::int64_t utc_ms);

}  // namespace sim
