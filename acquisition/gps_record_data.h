// The GPS data record: the receiver's decoded state, values as received
// (knots, packed ddmmyy and hhmmss, unsigned degrees with the hemisphere
// letter apart). Empty fields are stored as 0, 0.0 or the empty string.
#pragma once

#include <string>

#include "acquisition/satellite_info.h"

constexpr int kUsedPRNCount = 12;
constexpr int kSatelliteCount = 12;
// Room for every satellite a receiver of four systems and SBAS can see.
constexpr int kSkyCapacity = 96;
constexpr int kUsedSetCapacity = 96;

// A satellite used in the fix: its system and its number in that system
// (SystemNumber), so that GPS 5 and Galileo 5 stay apart.
struct UsedSatellite {
  int nSystem = 0;
  int nNumber = 0;

  bool operator==(const UsedSatellite&) const = default;
};

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
  // The last $GPRMC's status was V (void): its position is a placeholder or
  // a stale fix, not a fix. Shown like any other; the positioning figures
  // do not count it.
  bool m_bPositionVoid = false;

  // How the record is filled: TRUE decodes $GP sentences only, into the
  // members above; FALSE decodes every talker and fills the merged sky and
  // the used set below too (m_Satellites then stays empty).
  BOOL m_bGpsOnly = FALSE;
  // Every satellite in view, of every talker and signal, one entry per
  // satellite, in the order their talkers were first heard.
  SatelliteInfo m_Sky[kSkyCapacity]{};
  int m_nSkyCount = 0;
  // The used satellites of the last set of consecutive GSA sentences: the
  // first GSA's PRN fields at their places (an empty field is an entry of
  // system and PRN 0), then the PRNs the others add. The PRNs as received
  // are in m_nUsedPRNs; m_nUsedPRN holds the first 12.
  UsedSatellite m_Used[kUsedSetCapacity]{};
  int m_nUsedPRNs[kUsedSetCapacity] = {};
  int m_nUsedCount = 0;

  // Every member, so that a member added later is compared too.
  bool operator==(const GPSRecordData&) const = default;
};
