#include "quality/reference_point.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The shortest text that reads back as `value` (to_chars without a precision).
std::string Shortest(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::optional<Geodetic> ParseReferencePoint(std::string_view text) {
  std::vector<double> values;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::string_view field = Trimmed(text.substr(0, comma));
    double value = 0.0;
    // from_chars reads the C locale's numbers whatever the user's locale.
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || result.ec != std::errc() || result.ptr != field.data() + field.size() ||
        !std::isfinite(value)) {
      return std::nullopt;
    }
    values.push_back(value);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (values.size() < 2 || values.size() > 3) return std::nullopt;
  if (std::abs(values[0]) > 90.0 || std::abs(values[1]) > 180.0) return std::nullopt;
  return Geodetic{values[0], values[1], values.size() == 3 ? values[2] : 0.0};
}

std::string ReferencePointText(const Geodetic& point) {
  std::string text = Shortest(point.dLatitude) + "," + Shortest(point.dLongitude);
  if (point.dAltitude != 0.0) text += "," + Shortest(point.dAltitude);
  return text;
}
