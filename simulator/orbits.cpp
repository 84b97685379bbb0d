#include "simulator/orbits.h"

#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr double kMu = 398600.4418;             // km^3/s^2, the Earth's gravitational parameter
constexpr double kEarthRate = 7.2921151467e-5;  // rad/s
constexpr double kEarthRadiusKm = 6371.0;
constexpr double kGeoRadiusKm = 42164.0;
constexpr std::int64_t kJ2000UnixS = 946'728'000;  // 2000-01-01 12:00 UTC
constexpr double kGmstAtJ2000Deg = 280.46061837;
// The GPS slot table's epoch, 1993-07-01 00:00 UTC; the other systems use J2000.
constexpr std::int64_t kGpsTableUnixS = 741'484'800;

constexpr double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }
constexpr double Degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

// The nominal 24 slots: plane A to F, nodes 60 degrees apart, and the
// argument of latitude of each of the plane's four slots.
struct GpsPlane {
  double node_deg;
  double slots_deg[4];
  int prns[5];  // the four slots' PRNs and the PRN of the plane's fifth satellite
};
constexpr GpsPlane kGpsPlanes[] = {
    {272.847, {268.126, 161.786, 11.676, 41.806}, {9, 31, 8, 7, 24}},
    {332.847, {80.956, 173.336, 309.976, 204.376}, {2, 4, 28, 30, 27}},
    {32.847, {111.876, 11.796, 339.666, 241.556}, {29, 3, 19, 16, 17}},
    {92.847, {135.226, 265.446, 35.156, 167.356}, {1, 6, 11, 21, 25}},
    {152.847, {197.046, 302.596, 66.066, 333.686}, {20, 22, 5, 18, 10}},
    {212.847, {238.886, 345.226, 105.206, 135.346}, {32, 26, 14, 15, 13}},
};

double Wrap360(double degrees) {
  const double wrapped = std::fmod(degrees, 360.0);
  return wrapped < 0.0 ? wrapped + 360.0 : wrapped;
}

// The argument of latitude halfway across the widest gap between a plane's slots.
double WidestGapMiddle(const double (&slots)[4]) {
  double best_gap = -1.0;
  double middle = 0.0;
  for (double from : slots) {
    double gap = 360.0;
    for (double to : slots) {
      const double ahead = Wrap360(to - from);
      if (ahead > 0.0 && ahead < gap) gap = ahead;
    }
    if (gap > best_gap) {
      best_gap = gap;
      middle = Wrap360(from + gap / 2.0);
    }
  }
  return middle;
}

std::vector<OrbitSlot> Gps() {
  std::vector<OrbitSlot> slots;
  // Half a sidereal day: 26,559.7 km.
  for (const GpsPlane& plane : kGpsPlanes) {
    for (int k = 0; k < 5; ++k) {
      OrbitSlot slot;
      slot.system = GnssSystem::kGps;
      slot.prn = plane.prns[k];
      slot.radius_km = 26559.7;
      slot.inclination_deg = 55.0;
      slot.node_deg = plane.node_deg;
      slot.latitude_arg_deg = k < 4 ? plane.slots_deg[k] : WidestGapMiddle(plane.slots_deg);
      slots.push_back(slot);
    }
  }
  return slots;
}

// A Walker constellation of `planes` planes of `per_plane` satellites, the
// planes' first slots `phase_deg` apart from plane to plane.
std::vector<OrbitSlot> Walker(GnssSystem system, int first_prn, int planes, int per_plane, double radius_km,
                              double inclination_deg, double phase_deg, double node0_deg) {
  std::vector<OrbitSlot> slots;
  for (int p = 0; p < planes; ++p) {
    for (int k = 0; k < per_plane; ++k) {
      OrbitSlot slot;
      slot.system = system;
      slot.prn = first_prn + p * per_plane + k;
      slot.radius_km = radius_km;
      slot.inclination_deg = inclination_deg;
      slot.node_deg = node0_deg + 360.0 * p / planes;
      slot.latitude_arg_deg = Wrap360(360.0 * k / per_plane + phase_deg * p);
      slots.push_back(slot);
    }
  }
  return slots;
}

std::vector<OrbitSlot> BeiDou() {
  // MEO: PRN 19 onwards.
  std::vector<OrbitSlot> slots = Walker(GnssSystem::kBeiDou, 19, 3, 8, 27906.1, 55.0, 15.0, 0.0);
  // Geostationary, PRN 1 to 5, at their longitudes.
  const double geo_longitudes[] = {140.0, 80.0, 110.5, 160.0, 58.75};
  for (int i = 0; i < 5; ++i) {
    OrbitSlot slot;
    slot.system = GnssSystem::kBeiDou;
    slot.prn = i + 1;
    slot.radius_km = kGeoRadiusKm;
    slot.node_deg = geo_longitudes[i];
    slot.geosynchronous = true;
    slots.push_back(slot);
  }
  // Inclined geosynchronous, PRN 6 to 10: three crossing the equator at
  // 118 degrees east, two at 95 degrees east.
  const double igso[][2] = {{118.0, 0.0}, {118.0, 120.0}, {118.0, 240.0}, {95.0, 60.0}, {95.0, 180.0}};
  for (int i = 0; i < 5; ++i) {
    OrbitSlot slot;
    slot.system = GnssSystem::kBeiDou;
    slot.prn = i + 6;
    slot.radius_km = kGeoRadiusKm;
    slot.inclination_deg = 55.0;
    slot.node_deg = igso[i][0];
    slot.latitude_arg_deg = igso[i][1];
    slot.geosynchronous = true;
    slots.push_back(slot);
  }
  return slots;
}

}  // namespace

std::vector<OrbitSlot> Constellation(GnssSystem system) {
  switch (system) {
    case GnssSystem::kGps:
      return Gps();
    case GnssSystem::kGlonass:
      // Slots 1 to 24 are PRN 65 to 88; 45 degrees apart in a plane, 15
      // degrees from plane to plane.
      return Walker(GnssSystem::kGlonass, 65, 3, 8, 25508.2, 64.8, 15.0, 251.0);
    case GnssSystem::kGalileo:
      return Walker(GnssSystem::kGalileo, 1, 3, 8, 29599.8, 56.0, 15.0, 317.6);
    case GnssSystem::kBeiDou:
      return BeiDou();
  }
  return {};
}

LookAngles Look(const OrbitSlot& slot, std::int64_t utc_ms, double latitude_deg, double longitude_deg,
                double altitude_m) {
  const double t = static_cast<double>(utc_ms) / 1000.0;
  // The satellite in the Earth-fixed frame: its node turns back with the
  // Earth's rotation, unless the orbit is geosynchronous and the node is an
  // Earth-fixed longitude already.
  double node = 0.0;
  double u = 0.0;
  if (slot.geosynchronous) {
    // Geosynchronous: the satellite goes round once a sidereal day, as the
    // Earth turns, and crosses the equator northward at the node's longitude.
    const double turned = kEarthRate * (t - static_cast<double>(kJ2000UnixS));
    u = Radians(slot.latitude_arg_deg) + turned;
    node = Radians(slot.node_deg - slot.latitude_arg_deg) - turned;
  } else {
    const double epoch = static_cast<double>(slot.system == GnssSystem::kGps ? kGpsTableUnixS : kJ2000UnixS);
    const double motion = std::sqrt(kMu / (slot.radius_km * slot.radius_km * slot.radius_km));
    u = Radians(slot.latitude_arg_deg) + motion * (t - epoch);
    const double gmst = Radians(kGmstAtJ2000Deg) + kEarthRate * (t - static_cast<double>(kJ2000UnixS));
    node = Radians(slot.node_deg) - gmst;
  }
  const double inclination = Radians(slot.inclination_deg);
  const double r = slot.radius_km;
  const double sat[3] = {r * (std::cos(u) * std::cos(node) - std::sin(u) * std::cos(inclination) * std::sin(node)),
                         r * (std::cos(u) * std::sin(node) + std::sin(u) * std::cos(inclination) * std::cos(node)),
                         r * std::sin(u) * std::sin(inclination)};

  // The observer on a spherical Earth, and the east-north-up axes there.
  const double lat = Radians(latitude_deg);
  const double lon = Radians(longitude_deg);
  const double ground = kEarthRadiusKm + altitude_m / 1000.0;
  const double up[3] = {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
  const double east[3] = {-std::sin(lon), std::cos(lon), 0.0};
  const double north[3] = {-std::sin(lat) * std::cos(lon), -std::sin(lat) * std::sin(lon), std::cos(lat)};
  double d[3];
  for (int i = 0; i < 3; ++i) d[i] = sat[i] - ground * up[i];
  const auto dot = [&](const double(&axis)[3]) { return d[0] * axis[0] + d[1] * axis[1] + d[2] * axis[2]; };
  const double e = dot(east);
  const double n = dot(north);
  const double z = dot(up);
  LookAngles look;
  look.elevation_deg = Degrees(std::atan2(z, std::hypot(e, n)));
  look.azimuth_deg = Wrap360(Degrees(std::atan2(e, n)));
  return look;
}

}  // namespace sim
