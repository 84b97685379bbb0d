#include "tests/support/demo_record.h"

#include <algorithm>

#include <ostream>

#include "acquisition/gps_record.h"
#include "platform/core/utf8.h"
#include "resources/string_table.h"

GPSRecordData DemoRecord() {
  CGPSRecord record;
  CFieldArray fields;
  for (UINT id = IDS_DEMO_GGA; id <= IDS_DEMO_RMC; ++id) {
    record.DecodeLine(FindStringResource(id), fields);
  }
  return record.Snapshot();
}

void PrintTo(const SatelliteInfo& satellite, std::ostream* out) {
  *out << "{nPRN " << satellite.nPRN << ", dElevation " << satellite.dElevation << ", dAzimuth " << satellite.dAzimuth
       << ", dSNR " << satellite.dSNR << ", bUsed " << satellite.bUsed << ", nSystem " << satellite.nSystem << "}";
}

void PrintTo(const GPSRecordData& record, std::ostream* out) {
  // Enough digits that two doubles that differ print differently.
  const std::streamsize precision = out->precision(17);
  *out << "{m_nDate " << record.m_nDate << ", m_nTime " << record.m_nTime << ", m_dSpeed " << record.m_dSpeed
       << ", m_dCourse " << record.m_dCourse << ", m_strNS \"" << WideToUtf8(record.m_strNS) << "\", m_strEW \""
       << WideToUtf8(record.m_strEW) << "\", m_dLatitude " << record.m_dLatitude << ", m_dLongitude "
       << record.m_dLongitude << ", m_dAltitude " << record.m_dAltitude << ", m_nUsedPRN {";
  for (int i = 0; i < kUsedPRNCount; ++i) *out << (i == 0 ? "" : " ") << record.m_nUsedPRN[i];
  *out << "}, m_Satellites {";
  for (int i = 0; i < kSatelliteCount; ++i) {
    *out << (i == 0 ? "" : ", ");
    PrintTo(record.m_Satellites[i], out);
  }
  *out << "}, m_nFixMode " << record.m_nFixMode << ", m_dPDOP " << record.m_dPDOP << ", m_strRawText \""
       << WideToUtf8(record.m_strRawText) << "\", m_bGpsOnly " << record.m_bGpsOnly << ", m_Sky {";
  // The merged sky and the used set: the entries in use, then whether the
  // rest is empty (a stale entry behind the count shows as such).
  for (int i = 0; i < record.m_nSkyCount && i < kSkyCapacity; ++i) {
    *out << (i == 0 ? "" : ", ");
    PrintTo(record.m_Sky[i], out);
  }
  bool skyTailEmpty = true;
  for (int i = std::max(record.m_nSkyCount, 0); i < kSkyCapacity; ++i)
    skyTailEmpty &= record.m_Sky[i] == SatelliteInfo{};
  *out << (skyTailEmpty ? "" : ", stale entries after the count") << "}, m_nSkyCount " << record.m_nSkyCount
       << ", m_Used {";
  bool usedTailEmpty = true;
  for (int i = 0; i < kUsedSetCapacity; ++i) {
    if (i < record.m_nUsedCount) {
      *out << (i == 0 ? "" : " ") << record.m_Used[i].nSystem << ":" << record.m_Used[i].nNumber << "/"
           << record.m_nUsedPRNs[i];
    } else {
      usedTailEmpty &= record.m_Used[i] == UsedSatellite{} && record.m_nUsedPRNs[i] == 0;
    }
  }
  *out << (usedTailEmpty ? "" : ", stale entries after the count") << "}, m_nUsedCount " << record.m_nUsedCount << "}";
  out->precision(precision);
}
