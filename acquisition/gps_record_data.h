// The GPS data record: the receiver's decoded state, values as received
// (knots, packed ddmmyy and hhmmss, unsigned degrees with the hemisphere
// letter apart). Empty fields are stored as 0, 0.0 or the empty string.
#pragma once

#include <string>

#include "acquisition/satellite_info.h"

constexpr int kUsedPRNCount = 12;
constexpr int kSatelliteCount = 12;

struct GPSRecordData {
  int m_nDate = 0;                                // UTC ddmmyy as a decimal number ("090307" is 90307)
  int m_nTime = 0;                                // UTC hhmmss as a decimal number, fraction dropped
  double m_dSpeed = 0.0;                          // knots
  double m_dCourse = 0.0;                         // degrees true
  std::wstring m_strNS{};                         // "N", "S" or empty, as received
  std::wstring m_strEW{};                         // "E", "W" or empty, as received
  double m_dLatitude = 0.0;                       // decimal degrees, without sign
  double m_dLongitude = 0.0;                      // decimal degrees, without sign
  double m_dAltitude = 0.0;                       // as received; its unit is not read
  int m_nUsedPRN[kUsedPRNCount] = {};             // PRNs used in the fix, 0 for none
  SatelliteInfo m_Satellites[kSatelliteCount]{};  // three blocks of four, one per $GPGSV message
  int m_nFixMode = 0;                             // 1 no fix, 2 2D, 3 3D; 0 before the first $GPGSA
  double m_dPDOP = 0.0;
  std::wstring m_strRawText{};  // the last characters of the received lines, each ended by CR LF

  // Every member, so that a member added later is compared too.
  bool operator==(const GPSRecordData&) const = default;
};
