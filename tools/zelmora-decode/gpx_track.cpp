#include "tools/zelmora-decode/gpx_track.h"

#include <charconv>
#include <vector>

#include "nmea/sentence.h"

// The element names, their order within a point, and the value ranges
// follow the GPX 1.1 schema (topografix.com/GPX/1/1/gpx.xsd, "GPX 1.1
// Schema Documentation"): wptType's sequence ele, time, ..., fix, sat, hdop,
// vdop, pdop; fixType one of none, 2d, 3d, dgps, pps; latitudeType
// -90 to 90, longitudeType -180 up to but without 180.

namespace {

std::vector<std::string_view> Fields(std::string_view line) {
  line = line.substr(0, line.rfind('*'));
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t comma = line.find(',');
    fields.push_back(line.substr(0, comma));
    if (comma == std::string_view::npos) return fields;
    line.remove_prefix(comma + 1);
  }
}

std::optional<double> Number(std::string_view text) {
  double value = 0.0;
  if (text.empty()) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "ddmm.mmmm" (or "dddmm.mmmm") and its hemisphere letter to signed degrees.
std::optional<double> Degrees(std::string_view text, std::string_view hemisphere, char negative, double limit) {
  const std::optional<double> value = Number(text);
  if (!value || *value < 0.0 || hemisphere.size() != 1) return std::nullopt;
  const double whole = static_cast<double>(static_cast<long long>(*value / 100.0));
  const double minutes = *value - whole * 100.0;
  if (minutes >= 60.0) return std::nullopt;
  double degrees = whole + minutes / 60.0;
  if (degrees > limit) return std::nullopt;
  if (hemisphere[0] == negative) {
    degrees = -degrees;
  } else if (hemisphere[0] != (negative == 'S' ? 'N' : 'E')) {
    return std::nullopt;
  }
  return degrees;
}

void AppendNumber(std::string& out, double value, int precision) {
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision);
  if (error == std::errc()) out.append(text, end);
}

void AppendElement(std::string& out, const char* name, const std::optional<double>& value, int precision) {
  // xsd:decimal knows no infinities; a receiver's "1e999" is left out.
  if (!value || !(*value > -1e15 && *value < 1e15)) return;
  out += std::string("<") + name + ">";
  AppendNumber(out, *value, precision);
  out += std::string("</") + name + ">";
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// "hhmmss[.sss]" to "hh:mm:ss[.sss]"; empty when it is not such a time.
std::string TimeOfDay(std::string_view time) {
  const std::string_view fraction = time.size() > 6 ? time.substr(6) : std::string_view();
  if (time.size() < 6 || !AllDigits(time.substr(0, 6))) return {};
  if (!fraction.empty() && (fraction[0] != '.' || (fraction.size() > 1 && !AllDigits(fraction.substr(1))))) return {};
  if (time.substr(0, 2) > "23" || time.substr(2, 2) > "59" || time.substr(4, 2) > "60") return {};
  std::string text =
      std::string(time.substr(0, 2)) + ":" + std::string(time.substr(2, 2)) + ":" + std::string(time.substr(4, 2));
  if (fraction.size() > 1) text += fraction;
  return text;
}

}  // namespace

void CGpxTrack::AddLine(std::string_view line) {
  if (!NmeaChecksumHolds(line) || line.size() < 7) return;
  const std::string_view type = line.substr(3, 3);
  const std::vector<std::string_view> f = Fields(line);
  // $GPGGA,013348.00,2411.163,N,12036.610,E,1,08,1.0,35.2,M,15.1,M,,*hh
  if (type == "GGA" && f.size() >= 10) {
    StartEpoch(f[1]);
    m_epoch.latitude = Degrees(f[2], f[3], 'S', 90.0);
    m_epoch.longitude = Degrees(f[4], f[5], 'W', 180.0);
    const std::optional<double> quality = Number(f[6]);
    m_epoch.quality = quality && *quality >= 0 && *quality <= 9 ? static_cast<int>(*quality) : 0;
    const std::optional<double> satellites = Number(f[7]);
    if (satellites && *satellites >= 0 && *satellites < 1000) m_epoch.satellites = static_cast<int>(*satellites);
    m_epoch.hdop = Number(f[8]);
    m_epoch.altitude = Number(f[9]);
    // $GPRMC,013348.00,A,2411.163,N,12036.610,E,6.1,101.5,090307,,,A*hh
  } else if (type == "RMC" && f.size() >= 10) {
    StartEpoch(f[1]);
    m_epoch.status = f[2].size() == 1 ? f[2][0] : 'V';
    if (!m_epoch.latitude) m_epoch.latitude = Degrees(f[3], f[4], 'S', 90.0);
    if (!m_epoch.longitude) m_epoch.longitude = Degrees(f[5], f[6], 'W', 180.0);
    const std::string_view date = f[9];
    if (date.size() == 6 && AllDigits(date) && date.substr(0, 2) != "00" && date.substr(2, 2) != "00" &&
        date.substr(0, 2) <= "31" && date.substr(2, 2) <= "12") {
      // Two-digit years: 80 to 99 are the 1900s (GPS time began in 1980).
      const std::string century = date.substr(4, 2) >= "80" ? "19" : "20";
      m_date = century + std::string(date.substr(4, 2)) + "-" + std::string(date.substr(2, 2)) + "-" +
               std::string(date.substr(0, 2));
    }
    // $GPGSA,A,3,01,03,05,07,09,11,13,15,17,19,21,23,7.5,5.5,5.1*hh
  } else if (type == "GSA" && f.size() >= 18) {
    const std::optional<double> mode = Number(f[2]);
    if (mode && *mode >= 1 && *mode <= 3) m_epoch.fixMode = static_cast<int>(*mode);
    m_epoch.pdop = Number(f[15]);
    m_epoch.hdop = m_epoch.hdop ? m_epoch.hdop : Number(f[16]);
    m_epoch.vdop = Number(f[17]);
  }
}

void CGpxTrack::StartEpoch(std::string_view time) {
  if (time == m_epoch.time) return;
  CloseEpoch();
  m_epoch = Epoch{};
  m_epoch.time = std::string(time);
}

void CGpxTrack::CloseEpoch() {
  const bool hasFix = m_epoch.quality > 0 || (m_epoch.quality < 0 && m_epoch.status == 'A');
  if (!hasFix || !m_epoch.latitude || !m_epoch.longitude) {
    if (!m_epoch.time.empty() || m_epoch.quality == 0 || m_epoch.status == 'V') CloseSegment();
    return;
  }
  if (!m_bInSegment) {
    m_points += "<trkseg>\n";
    m_bInSegment = true;
  }
  double longitude = *m_epoch.longitude;
  if (longitude >= 180.0) longitude -= 360.0;
  m_points += "<trkpt lat=\"";
  AppendNumber(m_points, *m_epoch.latitude, 7);
  m_points += "\" lon=\"";
  AppendNumber(m_points, longitude, 7);
  m_points += "\">";
  AppendElement(m_points, "ele", m_epoch.altitude, 1);
  const std::string time = TimeOfDay(m_epoch.time);
  if (!time.empty() && !m_date.empty()) m_points += "<time>" + m_date + "T" + time + "Z</time>";
  const char* fix = m_epoch.quality == 2   ? "dgps"
                    : m_epoch.quality == 3 ? "pps"
                    : m_epoch.fixMode == 3 ? "3d"
                    : m_epoch.fixMode == 2 ? "2d"
                                           : nullptr;
  if (fix != nullptr) m_points += std::string("<fix>") + fix + "</fix>";
  if (m_epoch.satellites >= 0) m_points += "<sat>" + std::to_string(m_epoch.satellites) + "</sat>";
  AppendElement(m_points, "hdop", m_epoch.hdop, 2);
  AppendElement(m_points, "vdop", m_epoch.vdop, 2);
  AppendElement(m_points, "pdop", m_epoch.pdop, 2);
  m_points += "</trkpt>\n";
  ++m_nPoints;
}

void CGpxTrack::CloseSegment() {
  if (m_bInSegment) m_points += "</trkseg>\n";
  m_bInSegment = false;
}

std::string CGpxTrack::Finish() {
  CloseEpoch();
  m_epoch = Epoch{};
  CloseSegment();
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"zelmora-decode\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
      "<trk>\n";
  out += m_points;
  m_points.clear();
  out += "</trk>\n</gpx>\n";
  return out;
}
