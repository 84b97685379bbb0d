// A generated receiver log for the benchmarks.
#pragma once

#include <string>

// `sentences` NMEA sentences, each ended by CR LF, in epochs as a receiver
// sends them once a second: GGA, GSA, three GSV, RMC, GLL and VTG (the last
// two are not decoded). Time, position, sky and signal change every epoch.
std::string GenerateNmeaLog(long long sentences);
