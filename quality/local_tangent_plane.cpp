#include "quality/local_tangent_plane.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kSemiMajorAxis = 6378137.0;
constexpr double kFlattening = 1.0 / 298.257223563;
constexpr double kEccentricitySquared = kFlattening * (2.0 - kFlattening);
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

// The prime vertical radius of curvature at a latitude.
double PrimeVerticalRadius(double sinLatitude) {
  return kSemiMajorAxis / std::sqrt(1.0 - kEccentricitySquared * sinLatitude * sinLatitude);
}

}  // namespace

Ecef EcefOfGeodetic(const Geodetic& point) {
  const double lat = point.dLatitude * kRadiansPerDegree;
  const double lon = point.dLongitude * kRadiansPerDegree;
  const double n = PrimeVerticalRadius(std::sin(lat));
  const double h = point.dAltitude;
  return {(n + h) * std::cos(lat) * std::cos(lon), (n + h) * std::cos(lat) * std::sin(lon),
          (n * (1.0 - kEccentricitySquared) + h) * std::sin(lat)};
}

Geodetic GeodeticOfEcef(const Ecef& point) {
  const double p = std::hypot(point.x, point.y);
  const double lon = std::atan2(point.y, point.x);
  double lat = std::atan2(point.z, p * (1.0 - kEccentricitySquared));
  double h = 0.0;
  for (int i = 0; i < 5; ++i) {
    const double n = PrimeVerticalRadius(std::sin(lat));
    // Away from the poles the height comes from the distance to the axis;
    // near them, from the distance along it.
    h = std::abs(std::cos(lat)) > 1e-3 ? p / std::cos(lat) - n
                                       : point.z / std::sin(lat) - n * (1.0 - kEccentricitySquared);
    lat = std::atan2(point.z, p * (1.0 - kEccentricitySquared * n / (n + h)));
  }
  return {lat / kRadiansPerDegree, lon / kRadiansPerDegree, h};
}

CLocalFrame::CLocalFrame(const Geodetic& reference) : m_origin(EcefOfGeodetic(reference)) {
  const double lat = reference.dLatitude * kRadiansPerDegree;
  const double lon = reference.dLongitude * kRadiansPerDegree;
  const double sinLat = std::sin(lat), cosLat = std::cos(lat);
  const double sinLon = std::sin(lon), cosLon = std::cos(lon);
  m_east[0] = -sinLon;
  m_east[1] = cosLon;
  m_east[2] = 0.0;
  m_north[0] = -sinLat * cosLon;
  m_north[1] = -sinLat * sinLon;
  m_north[2] = cosLat;
  m_up[0] = cosLat * cosLon;
  m_up[1] = cosLat * sinLon;
  m_up[2] = sinLat;
}

Enu CLocalFrame::Rotate(double dx, double dy, double dz) const {
  return {m_east[0] * dx + m_east[1] * dy + m_east[2] * dz, m_north[0] * dx + m_north[1] * dy + m_north[2] * dz,
          m_up[0] * dx + m_up[1] * dy + m_up[2] * dz};
}
