#include "display/sky_description.h"

#include <gtest/gtest.h>

#include "acquisition/gnss_system.h"

namespace {

SatelliteInfo Satellite(int nSystem, int nPRN, double dSNR, bool bUsed) {
  SatelliteInfo satellite;
  satellite.nSystem = nSystem;
  satellite.nPRN = nPRN;
  satellite.dSNR = dSNR;
  satellite.bUsed = bUsed ? TRUE : FALSE;
  return satellite;
}

GPSRecordData MergedSky(std::initializer_list<SatelliteInfo> satellites) {
  GPSRecordData record;
  record.m_bGpsOnly = FALSE;
  for (const SatelliteInfo& satellite : satellites) record.m_Sky[record.m_nSkyCount++] = satellite;
  return record;
}

}  // namespace

TEST(SkyDescription, NamesTheCountsAndTheStrongestWithTheirSystems) {
  GPSRecordData record =
      MergedSky({Satellite(kSystemGPS, 5, 45.0, true), Satellite(kSystemGLONASS, 72, 44.4, true),
                 Satellite(kSystemGalileo, 311, 0.0, false), Satellite(kSystemBeiDou, 223, 44.6, false)});
  // 44.6 rounds to 45 and is weaker than 45.0 only by its fraction: the order
  // is by the signal itself, the text by its rounding.
  EXPECT_EQ(SkyDescription(PlanSky(record)),
            L"4 satellites in view, 2 used; strongest G05 45 dB, C23 45 dB, R72 44 dB");
  EXPECT_EQ(SignalBarsDescription(PlanSky(record)), L"G05 45 dB used, R72 44 dB used, C23 45 dB, E11 not tracked");
}

TEST(SkyDescription, NamesAtMostFiveSatellitesStrongestFirst) {
  GPSRecordData record;
  record.m_bGpsOnly = TRUE;
  const int prns[] = {1, 3, 5, 7, 9, 11, 13};
  const double snrs[] = {10, 21, 26, 25, 46, 8, 49};
  for (int i = 0; i < 7; ++i) record.m_Satellites[i] = Satellite(kSystemUnknown, prns[i], snrs[i], i < 3);
  // The handheld's table draws plain PRNs, and so the description names them.
  EXPECT_EQ(SkyDescription(PlanSky(record)),
            L"7 satellites in view, 3 used; strongest 13 49 dB, 09 46 dB, 05 26 dB, 07 25 dB, 03 21 dB");
}

TEST(SkyDescription, AnEmptySkySaysSo) {
  EXPECT_EQ(SkyDescription(PlanTable(nullptr)), L"No satellites in view");
  EXPECT_EQ(SignalBarsDescription(PlanTable(nullptr)), L"No satellites");
  GPSRecordData record = MergedSky({Satellite(kSystemGPS, 12, 0.0, false)});
  EXPECT_EQ(SkyDescription(PlanSky(record)), L"1 satellite in view, 0 used");
}
