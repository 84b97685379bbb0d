#include "simulator/nmea_text.h"

#include <chrono>
#include <cmath>

namespace sim {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Degrees to ddd mm.mmmm in units of 1/10000 minute, rounded once so that
// 59.99999' becomes the next whole degree instead of "60.0000".
std::string AngleFields(double degrees, int degree_digits, char positive, char negative) {
  const long long units = std::llround(std::fabs(degrees) * 60.0 * 10000.0);
  const long long whole = units / 600000;
  const long long minutes = (units % 600000) / 10000;
  const long long fraction = units % 10000;
  return Padded(whole, degree_digits) + Padded(minutes, 2) + "." + Padded(fraction, 4) + "," +
         (degrees < 0.0 ? negative : positive);
}

}  // namespace

std::string HexByte(std::uint8_t value) { return {NmeaHexDigit(value >> 4), NmeaHexDigit(value)}; }

std::string FinishSentence(std::string_view body) {
  std::string sentence;
  sentence.reserve(body.size() + 6);
  sentence += '$';
  sentence += body;
  sentence += '*';
  sentence += HexByte(NmeaChecksum(body));
  sentence += "\r\n";
  return sentence;
}

std::string Fixed(double value, int decimals, int int_digits) {
  long long scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const long long units = std::llround(std::fabs(value) * static_cast<double>(scale));
  std::string text = (value < 0.0 && units != 0) ? "-" : "";
  text += Padded(units / scale, int_digits);
  if (decimals > 0) text += "." + Padded(units % scale, decimals);
  return text;
}

std::string Padded(long long value, int digits) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  return text;
}

std::string LatitudeFields(double degrees) { return AngleFields(degrees, 2, 'N', 'S'); }

std::string LongitudeFields(double degrees) { return AngleFields(degrees, 3, 'E', 'W'); }

std::string UtcTimeField(std::int64_t utc_ms) {
  const std::int64_t of_day = ((utc_ms % kMsPerDay) + kMsPerDay) % kMsPerDay;
  const std::int64_t seconds = of_day / 1000;
  return Padded(seconds / 3600, 2) + Padded(seconds / 60 % 60, 2) + Padded(seconds % 60, 2) + "." +
         Padded(of_day % 1000 / 10, 2);
}

std::string DateField(std::int64_t utc_ms) {
  const auto days = std::chrono::floor<std::chrono::days>(
      std::chrono::sys_time<std::chrono::milliseconds>(std::chrono::milliseconds(utc_ms)));
  const std::chrono::year_month_day date{days};
  return Padded(static_cast<unsigned>(date.day()), 2) + Padded(static_cast<unsigned>(date.month()), 2) +
         Padded(static_cast<int>(date.year()) % 100, 2);
}

}  // namespace sim
