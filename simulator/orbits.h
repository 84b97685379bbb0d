// Nominal satellite orbits: where the satellites of GPS (the 24-slot
// constellation of six planes at 55 degrees and six more in the planes'
// widest gaps), GLONASS (three planes of eight at 64.8 degrees), Galileo
// (Walker 24/3/1 at 56 degrees) and BeiDou (Walker 24/3/1 at 55 degrees,
// geostationary and inclined geosynchronous satellites) stand at a given UTC
// time, seen from a point on the Earth. Orbits are circular and unperturbed:
// close enough to real skies to look like them, not for navigation.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

enum class GnssSystem { kGps, kGlonass, kGalileo, kBeiDou };

struct OrbitSlot {
  GnssSystem system = GnssSystem::kGps;
  int prn = 0;                    // the number the receiver reports in its system's GSV
  double radius_km = 0.0;         // semi-major axis of the circular orbit
  double inclination_deg = 0.0;   //
  double node_deg = 0.0;          // right ascension of the ascending node at the epoch
  double latitude_arg_deg = 0.0;  // argument of latitude at the epoch
  bool geosynchronous = false;    // turns with the Earth: its node is an Earth-fixed longitude
};

// The slots of one system.
std::vector<OrbitSlot> Constellation(GnssSystem system);

struct LookAngles {
  double elevation_deg = 0.0;  // above the horizon; negative below it
  double azimuth_deg = 0.0;    // from true north, clockwise, [0, 360)
};

// Where the satellite stands at utc_ms, seen from latitude and longitude
// (degrees, north and east positive) at altitude_m.
LookAngles Look(const OrbitSlot& slot, std::int64_t utc_ms, double latitude_deg, double longitude_deg,
                double altitude_m);

}  // namespace sim
