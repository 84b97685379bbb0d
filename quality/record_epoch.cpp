#include "quality/record_epoch.h"

#include <vector>

#include "acquisition/gnss_system.h"
#include "acquisition/gps_messages.h"
#include "acquisition/signal_strength.h"

QualityEpoch EpochOfRecord(const GPSRecordData& record) {
  QualityEpoch epoch;
  // An RMC without a position, or one whose status says void (a receiver
  // after a cold boot sends a placeholder position so), has no fix whatever
  // the last GSA said.
  const bool position = !record.m_strNS.empty() && !record.m_strEW.empty() && !record.m_bPositionVoid;
  epoch.bFix = position && (record.m_nFixMode >= 2 || record.m_nFixMode == 0);
  epoch.position.dLatitude = record.m_strNS == L"S" ? -record.m_dLatitude : record.m_dLatitude;
  epoch.position.dLongitude = record.m_strEW == L"W" ? -record.m_dLongitude : record.m_dLongitude;
  epoch.position.dAltitude = record.m_dAltitude;
  epoch.nDate = record.m_nDate;
  epoch.nTime = record.m_nTime;

  const SatelliteInfo* sky = record.m_bGpsOnly ? record.m_Satellites : record.m_Sky;
  const int count = record.m_bGpsOnly ? kSatelliteCount : record.m_nSkyCount;
  std::vector<double> cn0s;
  for (int i = 0; i < count; ++i) {
    const SatelliteInfo& satellite = sky[i];
    if (satellite.nPRN == 0) continue;
    const int system = record.m_bGpsOnly ? kSystemGPS : satellite.nSystem;
    SystemCounts& counts = epoch.systems[system >= 0 && system < kQualitySystems ? system : kSystemUnknown];
    ++counts.nInView;
    if (satellite.bUsed) {
      ++counts.nUsed;
      ++epoch.nUsed;
    }
    if (satellite.dSNR > 0.0) cn0s.push_back(satellite.dSNR);
  }
  epoch.strongestFourCn0 = MeanOfStrongestFour(cn0s);
  return epoch;
}

bool CEpochFeed::EndsEpoch(int nGroup) {
  if (nGroup == kGroupAltitude) m_bAltitudeKnown = true;
  return nGroup == kGroupPosition && m_bAltitudeKnown;
}
