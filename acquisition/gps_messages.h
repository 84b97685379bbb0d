// The reader thread's private messages to its owner window, and the groups
// of the GPS data record that WM_GPSUPDATE announces. Both messages carry
// lParam 0.
#pragma once

#include "platform/core/win_types.h"

// wParam: the GpsUpdateGroup whose members changed.
constexpr UINT WM_GPSUPDATE = 0x07FD;
// The receiver fell silent; wParam 0.
constexpr UINT WM_GPSLOST = 0x07FE;

// WM_GPSUPDATE's wParam, and what the decoder reports for a sentence.
enum GpsUpdateGroup : int {
  kGroupRawText = 0,     // m_strRawText: a line arrived
  kGroupAltitude = 1,    // m_dAltitude, from GGA
  kGroupFix = 2,         // m_nFixMode, m_dPDOP and the used satellites, from GSA
  kGroupSatellites = 3,  // the satellites in view, from GSV
  kGroupPosition = 4,    // date, time, position, speed and course, from RMC
};
// The groups a sentence fills: kGroupAltitude to kGroupPosition.
constexpr int kDecodedGroupCount = 4;
