// What the sky plot and the signal bars show of a record. A sky of GPS
// satellites alone, at most twelve, looks as on the handheld: plain PRN
// labels and one bar slot per table entry in table order. Any other sky
// (other systems, SBAS, more than twelve satellites) marks each satellite
// with its system's shape and its number beside it (display/sky_markers.h,
// display/sky_labels.h), gives the bars to the used satellites first and
// then to the others by SNR, and shows how many are in view and used.
#pragma once

#include <string>

#include "acquisition/gps_record_data.h"
#include "platform/core/win_types.h"

struct SkyPlan {
  const SatelliteInfo* pSky = nullptr;  // the satellites of the sky plot; null for an empty plot
  int nSkyCount = 0;
  BOOL bSystems = FALSE;       // markers tell the systems; the counts are shown
  int nSlot[kSatelliteCount];  // the pSky entry of each bar slot, -1 for a slot without one
  int nInView = 0;             // satellites in view
  int nUsed = 0;               // satellites in view used in the fix
};

// The handheld's view of a 12-entry table (null: empty views).
SkyPlan PlanTable(const SatelliteInfo* pSatellites);

// The view of a record: its 12-entry table when it was decoded $GP only,
// else its merged sky. The plan points into the record.
SkyPlan PlanSky(const GPSRecordData& record);

// A satellite's name as a screen reader says it: the PRN as "%.2d" ("05",
// "120"), or with the system's letter before its number in that system
// ("G05", "R72", "E11", "C23", "S131").
std::wstring SkyLabel(const SatelliteInfo& satellite, BOOL bSystems);

// A bar's label: the PRN as "%.2d", or with bSystems the number in the
// satellite's system ("05", "70", "11", "23", "129"); its colour tells the
// system.
std::wstring BarLabel(const SatelliteInfo& satellite, BOOL bSystems);

// The colour of a system's markers, numbers and bar labels, from a palette
// that colour-blind readers tell apart, dark enough for small text on
// white: GPS blue, GLONASS vermilion, Galileo bluish green, BeiDou reddish
// purple, QZSS ochre, SBAS grey, NavIC black, unknown light grey.
COLORREF SystemColor(int nSystem);

// The counts in the sky plot's bottom corners, short enough for the
// smallest plot: "23 seen" (in view), "14 used".
std::wstring InViewText(int nInView);
std::wstring UsedText(int nUsed);
