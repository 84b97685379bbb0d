// Dilution of precision from the geometry of the satellites used in a fix.
#pragma once

#include "simulator/epoch_report.h"

#include <vector>

namespace sim {

// A three-dimensional fix gives PDOP, HDOP and VDOP; a two-dimensional fix
// (altitude held) gives HDOP, reported as PDOP too; no fix, too few or
// degenerate satellites give nothing.
Dilution ComputeDilution(const std::vector<SatelliteView>& satellites, int fix_mode);

}  // namespace sim
