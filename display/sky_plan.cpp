#include "display/sky_plan.h"

#include <algorithm>

#include "acquisition/gnss_system.h"
#include "platform/core/numbers.h"

SkyPlan PlanTable(const SatelliteInfo* pSatellites) {
  SkyPlan plan;
  plan.pSky = pSatellites;
  plan.nSkyCount = pSatellites != nullptr ? kSatelliteCount : 0;
  for (int i = 0; i < kSatelliteCount; ++i) {
    plan.nSlot[i] = pSatellites != nullptr && pSatellites[i].nPRN != 0 ? i : -1;
  }
  return plan;
}

SkyPlan PlanSky(const GPSRecordData& record) {
  if (record.m_bGpsOnly) {
    return PlanTable(record.m_Satellites);
  }
  SkyPlan plan;
  plan.pSky = record.m_Sky;
  plan.nSkyCount = record.m_nSkyCount;
  plan.nInView = record.m_nSkyCount;
  for (int i = 0; i < record.m_nSkyCount; ++i) {
    plan.nUsed += record.m_Sky[i].bUsed ? 1 : 0;
  }
  const bool gpsAlone = std::all_of(record.m_Sky, record.m_Sky + record.m_nSkyCount,
                                    [](const SatelliteInfo& satellite) { return satellite.nSystem == kSystemGPS; });
  plan.bSystems = gpsAlone && record.m_nSkyCount <= kSatelliteCount ? FALSE : TRUE;

  int order[kSkyCapacity];
  for (int i = 0; i < record.m_nSkyCount; ++i) {
    order[i] = i;
  }
  if (plan.bSystems) {
    // Used satellites first, in the sky's order; then the others, strongest first.
    std::stable_sort(order, order + record.m_nSkyCount, [&](int a, int b) {
      const SatelliteInfo& first = record.m_Sky[a];
      const SatelliteInfo& second = record.m_Sky[b];
      if (first.bUsed != second.bUsed) {
        return first.bUsed != FALSE;
      }
      return !first.bUsed && first.dSNR > second.dSNR;
    });
  }
  for (int i = 0; i < kSatelliteCount; ++i) {
    plan.nSlot[i] = i < record.m_nSkyCount ? order[i] : -1;
  }
  return plan;
}

std::wstring SkyLabel(const SatelliteInfo& satellite, BOOL bSystems) {
  if (!bSystems) {
    return FormatText(L"%.2d", {satellite.nPRN});
  }
  return std::wstring(1, SystemLetter(satellite.nSystem)) +
         FormatText(L"%.2d", {SystemNumber(satellite.nSystem, satellite.nPRN)});
}

std::wstring BarLabel(const SatelliteInfo& satellite, BOOL bSystems) {
  return FormatText(L"%.2d", {bSystems ? SystemNumber(satellite.nSystem, satellite.nPRN) : satellite.nPRN});
}

COLORREF SystemColor(int nSystem) {
  switch (nSystem) {
    case kSystemGPS:
      return RGB(0, 114, 178);
    case kSystemGLONASS:
      return RGB(213, 94, 0);
    case kSystemGalileo:
      return RGB(0, 148, 108);
    case kSystemBeiDou:
      return RGB(170, 68, 153);
    case kSystemQZSS:
      return RGB(170, 120, 0);
    case kSystemSBAS:
      return RGB(110, 110, 110);
    case kSystemNavIC:
      return RGB(0, 0, 0);
    default:
      return RGB(150, 150, 150);
  }
}

std::wstring InViewText(int nInView) { return FormatText(L"%d seen", {nInView}); }

std::wstring UsedText(int nUsed) { return FormatText(L"%d used", {nUsed}); }
