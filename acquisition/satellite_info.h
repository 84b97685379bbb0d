// One satellite in view, as the receiver's GSV reported it.
#pragma once

#include "platform/core/win_types.h"

struct SatelliteInfo {
  int nPRN = 0;             // 0 marks an empty entry
  double dElevation = 0.0;  // degrees
  double dAzimuth = 0.0;    // degrees from true north
  double dSNR = 0.0;        // dB-Hz; 0 when the receiver does not track it
  BOOL bUsed = FALSE;       // its PRN was among the used PRNs when its GSV came
  int nSystem = 0;          // kSystem* of acquisition/gnss_system.h; 0 unknown

  bool operator==(const SatelliteInfo&) const = default;
};
