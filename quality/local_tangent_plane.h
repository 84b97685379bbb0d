// Positions on the WGS-84 ellipsoid, the Earth-centred Earth-fixed (ECEF)
// frame and the local tangent plane (east, north, up) of a reference point:
// the few lines of geodesy the positioning figures need. The formulas are
// those of J. Farrell and M. Barth, "The Global Positioning System and
// Inertial Navigation" (as restated in "Conversion of Geodetic coordinates
// to the Local Tangent Plane", v2.01); the ellipsoid's defining constants
// a = 6378137 m and 1/f = 298.257223563 are WGS-84's (NIMA TR8350.2).
#pragma once

struct Geodetic {
  double dLatitude = 0.0;   // degrees, south negative
  double dLongitude = 0.0;  // degrees, west negative
  double dAltitude = 0.0;   // metres, used as the height above the ellipsoid

  bool operator==(const Geodetic&) const = default;
};

struct Ecef {
  double x = 0.0;  // metres
  double y = 0.0;
  double z = 0.0;
};

struct Enu {
  double dEast = 0.0;  // metres
  double dNorth = 0.0;
  double dUp = 0.0;
};

Ecef EcefOfGeodetic(const Geodetic& point);
// The inverse, by fixed-point iteration on the latitude (converges to well
// below a millimetre near the Earth's surface in five steps).
Geodetic GeodeticOfEcef(const Ecef& point);

// The east, north and up axes at a reference point, for turning ECEF
// differences into local ones with nine multiplications.
class CLocalFrame {
 public:
  explicit CLocalFrame(const Geodetic& reference);
  // The local coordinates of the ECEF difference `d` (a point minus the
  // reference, or any two points).
  Enu Rotate(double dx, double dy, double dz) const;
  const Ecef& Origin() const { return m_origin; }

 private:
  Ecef m_origin;
  double m_east[3];
  double m_north[3];
  double m_up[3];
};
