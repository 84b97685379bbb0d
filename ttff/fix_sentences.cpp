#include "ttff/fix_sentences.h"

#include <algorithm>
#include <charconv>
#include <functional>

#include "nmea/sentence.h"
#include "platform/core/numbers.h"

namespace {

// The fields of a sentence whose checksum holds, the head ("$GPGGA") first;
// empty otherwise.
std::vector<std::string_view> Fields(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (!NmeaChecksumHolds(line)) return {};
  line.remove_suffix(3);  // "*hh"
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

bool IsType(const std::vector<std::string_view>& fields, std::string_view type) {
  return !fields.empty() && fields[0].size() == 6 && NmeaHasTalker(fields[0]) && fields[0].substr(3) == type;
}

std::optional<int> Integer(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> Number(std::string_view text) {
  // Plain decimals ("4807.038"), read whatever the user's locale: strtod
  // under a decimal comma would stop at the point.
  if (text.empty() || text.size() > 20 || text.find_first_not_of("+-.0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  return WcsToDouble(std::wstring(text.begin(), text.end()));
}

// "ddmm.mmmm" (or "dddmm.mmmm") and its hemisphere, in degrees.
std::optional<double> Angle(std::string_view value, std::string_view hemisphere, char negative) {
  const std::optional<double> raw = Number(value);
  if (!raw || hemisphere.size() != 1) return std::nullopt;
  const double degrees = static_cast<int>(*raw / 100) + (*raw - 100 * static_cast<int>(*raw / 100)) / 60;
  return hemisphere[0] == negative ? -degrees : degrees;
}

}  // namespace

bool ReportsValidFix(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line);
  if (IsType(fields, "RMC")) return fields.size() > 2 && fields[2] == "A";
  if (const std::optional<GgaFix> gga = ParseGga(line)) return gga->quality >= 1;
  return false;
}

std::optional<GgaFix> ParseGga(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line);
  if (!IsType(fields, "GGA") || fields.size() < 8) return std::nullopt;
  GgaFix fix;
  fix.quality = Integer(fields[6]).value_or(0);
  fix.latitude = Angle(fields[2], fields[3], 'S');
  fix.longitude = Angle(fields[4], fields[5], 'W');
  fix.satellitesUsed = Integer(fields[7]);
  return fix;
}

bool ReportsNoFix(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line);
  if (IsType(fields, "RMC")) return fields.size() > 2 && fields[2] == "V";
  if (const std::optional<GgaFix> gga = ParseGga(line)) return gga->quality == 0;
  return false;
}

std::vector<GsvSignal> ParseGsv(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line);
  std::vector<GsvSignal> signals;
  if (!IsType(fields, "GSV")) return signals;
  // Four fields a satellite from the fifth on (number, elevation, azimuth,
  // C/N0); NMEA 4.10 adds one signal id at the end.
  for (std::size_t at = 4; at + 4 <= fields.size(); at += 4) {
    const std::optional<int> number = Integer(fields[at]);
    const std::optional<int> cn0 = Integer(fields[at + 3]);
    if (number && cn0) signals.push_back({std::string(fields[0].substr(1, 2)) + std::to_string(*number), *cn0});
  }
  return signals;
}
