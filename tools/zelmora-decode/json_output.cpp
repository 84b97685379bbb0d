#include "tools/zelmora-decode/json_output.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "acquisition/gnss_system.h"
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
  // Every used PRN of the set; the twelve slots of the handheld's table are
  // always written, so a set of up to twelve reads as that table.
  const int count = record.m_bGpsOnly ? kUsedPRNCount : std::max(record.m_nUsedCount, kUsedPRNCount);
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      out.push_back(',');
    }
    AppendInteger(out,
                  record.m_bGpsOnly ? record.m_nUsedPRN[i] : (i < record.m_nUsedCount ? record.m_nUsedPRNs[i] : 0));
  }
  const FixTexts texts = FixGroupTexts(record);
  out.append("],\"show\":{");
  AppendShow(out, "fix", texts.strFix);
  out.push_back(',');
  AppendShow(out, "pdop", texts.strPdop);
  out.push_back('}');
}

void AppendSatellite(std::string& out, const SatelliteInfo& satellite, bool withSystem) {
  out.append("{\"prn\":");
  AppendInteger(out, satellite.nPRN);
  out.append(",\"elevation\":");
  AppendJsonNumber(out, satellite.dElevation);
  out.append(",\"azimuth\":");
  AppendJsonNumber(out, satellite.dAzimuth);
  out.append(",\"snr\":");
  AppendJsonNumber(out, satellite.dSNR);
  out.append(satellite.bUsed ? ",\"used\":true" : ",\"used\":false");
  if (withSystem) {
    out.append(",\"system\":\"");
    out.append(SystemName(satellite.nSystem));
    out.push_back('"');
  }
  out.push_back('}');
}

// With --gps-only the handheld's twelve entries, else every satellite in view.
void AppendSatellites(std::string& out, const GPSRecordData& record) {
  out.append(",\"satellites\":[");
  const bool gpsOnly = record.m_bGpsOnly != FALSE;
  const SatelliteInfo* table = gpsOnly ? record.m_Satellites : record.m_Sky;
  const int count = gpsOnly ? kSatelliteCount : record.m_nSkyCount;
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      out.push_back(',');
    }
    AppendSatellite(out, table[i], !gpsOnly);
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
    case kGroupAltitude:
      AppendAltitude(out, record);
      break;
    case kGroupFix:
      AppendFix(out, record);
      break;
    case kGroupSatellites:
      AppendSatellites(out, record);
      break;
    case kGroupPosition:
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
