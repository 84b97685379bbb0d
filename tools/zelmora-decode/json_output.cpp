#include "tools/zelmora-decode/json_output.h"

#include <charconv>
#include <cmath>

#include "acquisition/gps_record.h"
#include "display/gps_format.h"
#include "platform/core/utf8.h"

namespace {

void AppendInteger(std::string& out, long long value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendKey(std::string& out, std::string_view key) {
  out.push_back('"');
  out.append(key);
  out.append("\":");
}

void AppendShow(std::string& out, std::string_view key, const std::wstring& text) {
  AppendKey(out, key);
  AppendJsonString(out, text);
}

void AppendAltitude(std::string& out, const GPSRecordData& record) {
  out.append(",\"altitude\":");
  AppendJsonNumber(out, record.m_dAltitude);
  out.append(",\"show\":{");
  AppendShow(out, "altitude", AltitudeText(record));
  out.push_back('}');
}

void AppendFix(std::string& out, const GPSRecordData& record) {
  out.append(",\"fix\":");
  AppendInteger(out, record.m_nFixMode);
  out.append(",\"pdop\":");
  AppendJsonNumber(out, record.m_dPDOP);
  out.append(",\"used\":[");
  for (int i = 0; i < kUsedPRNCount; ++i) {
    if (i > 0) {
      out.push_back(',');
    }
    AppendInteger(out, record.m_nUsedPRN[i]);
  }
  const FixTexts texts = FixGroupTexts(record);
  out.append("],\"show\":{");
  AppendShow(out, "fix", texts.strFix);
  out.push_back(',');
  AppendShow(out, "pdop", texts.strPdop);
  out.push_back('}');
}

void AppendSatellites(std::string& out, const GPSRecordData& record) {
  out.append(",\"satellites\":[");
  for (int i = 0; i < kSatelliteCount; ++i) {
    const SatelliteInfo& satellite = record.m_Satellites[i];
    out.append(i > 0 ? ",{\"prn\":" : "{\"prn\":");
    AppendInteger(out, satellite.nPRN);
    out.append(",\"elevation\":");
    AppendJsonNumber(out, satellite.dElevation);
    out.append(",\"azimuth\":");
    AppendJsonNumber(out, satellite.dAzimuth);
    out.append(",\"snr\":");
    AppendJsonNumber(out, satellite.dSNR);
    out.append(satellite.bUsed ? ",\"used\":true}" : ",\"used\":false}");
  }
  out.push_back(']');
}

void AppendPosition(std::string& out, const GPSRecordData& record) {
  out.append(",\"date\":");
  AppendInteger(out, record.m_nDate);
  out.append(",\"time\":");
  AppendInteger(out, record.m_nTime);
  out.append(",\"speed\":");
  AppendJsonNumber(out, record.m_dSpeed);
  out.append(",\"course\":");
  AppendJsonNumber(out, record.m_dCourse);
  out.append(",\"ns\":");
  AppendJsonString(out, record.m_strNS);
  out.append(",\"ew\":");
  AppendJsonString(out, record.m_strEW);
  out.append(",\"latitude\":");
  AppendJsonNumber(out, record.m_dLatitude);
  out.append(",\"longitude\":");
  AppendJsonNumber(out, record.m_dLongitude);
  const PositionTexts texts = PositionGroupTexts(record);
  out.append(",\"show\":{");
  AppendShow(out, "date", texts.strDate);
  out.push_back(',');
  AppendShow(out, "time", texts.strTime);
  out.push_back(',');
  AppendShow(out, "speed", texts.strSpeed);
  out.push_back(',');
  AppendShow(out, "course", texts.strCourse);
  out.push_back(',');
  AppendShow(out, "latitude", texts.strLatitude);
  out.push_back(',');
  AppendShow(out, "longitude", texts.strLongitude);
  out.push_back('}');
}

}  // namespace

void AppendJsonNumber(std::string& out, double value) {
  if (std::isnan(value)) {
    out.append("\"nan\"");
  } else if (std::isinf(value)) {
    out.append(value < 0 ? "\"-inf\"" : "\"inf\"");
  } else {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
  }
}

void AppendJsonString(std::string& out, std::wstring_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (const wchar_t wc : text) {
    const auto c = static_cast<char32_t>(wc);
    if (c == U'"' || c == U'\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c < 0x20) {
      out.append("\\u00");
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    } else {
      AppendUtf8(out, c);
    }
  }
  out.push_back('"');
}

void AppendDecodedLine(std::string& out, long long nLine, int nGroup, const GPSRecordData& record) {
  out.append("{\"line\":");
  AppendInteger(out, nLine);
  out.append(",\"group\":");
  AppendInteger(out, nGroup);
  switch (nGroup) {
    case 1:
      AppendAltitude(out, record);
      break;
    case 2:
      AppendFix(out, record);
      break;
    case 3:
      AppendSatellites(out, record);
      break;
    case 4:
      AppendPosition(out, record);
      break;
    default:
      break;
  }
  out.append("}\n");
}

void AppendDroppedLine(std::string& out, long long nLine, int nReason) {
  out.append("{\"line\":");
  AppendInteger(out, nLine);
  out.append(nReason == kLineDroppedCheck ? ",\"dropped\":\"check\"}\n" : ",\"dropped\":\"fields\"}\n");
}
