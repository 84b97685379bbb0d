// What the receiver knows in one second of operation: the input of the
// sentence builders.
#pragma once

#include "simulator/orbits.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

struct SatelliteView {
  GnssSystem system = GnssSystem::kGps;
  int prn = 0;             // as the system's GSV reports it
  double elevation = 0.0;  // degrees above the horizon
  double azimuth = 0.0;    // degrees from true north
  std::optional<int> snr;  // dB-Hz; empty while the satellite is not tracked
  bool used = false;       // part of the position fix
};

struct Dilution {
  std::optional<double> pdop;
  std::optional<double> hdop;
  std::optional<double> vdop;
};

struct EpochReport {
  std::int64_t utc_ms = 0;  // milliseconds since 1970-01-01 UTC
  int fix_mode = 1;         // 1 no fix, 2 two-dimensional, 3 three-dimensional
  double latitude = 0.0;    // signed degrees, north positive
  double longitude = 0.0;   // signed degrees, east positive
  double altitude_m = 0.0;  // above mean sea level
  double geoid_separation_m = 0.0;
  double speed_knots = 0.0;
  double course_deg = 0.0;                // true
  std::vector<SatelliteView> satellites;  // in view, in the order they are reported
  Dilution dilution;
};

}  // namespace sim
