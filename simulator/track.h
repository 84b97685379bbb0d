// The receiver's journey: a vehicle driving legs of varying speed and turn
// rate, with a slowly changing altitude.
#pragma once

#include <cstdint>
#include <random>

namespace sim {

class Track {
 public:
  explicit Track(std::uint32_t seed);

  void Advance(double seconds);

  double Latitude() const { return m_latitude; }
  double Longitude() const { return m_longitude; }
  double AltitudeM() const { return m_altitudeM; }
  double SpeedKnots() const;
  double CourseDeg() const { return m_headingDeg; }

 private:
  void Step(double seconds);
  void NextLeg();

  std::mt19937 m_rng;
  double m_latitude;
  double m_longitude;
  double m_altitudeM;
  double m_speedMps = 0.0;
  double m_headingDeg;
  double m_targetSpeedMps = 0.0;
  double m_turnRateDps = 0.0;
  double m_climbRateMps = 0.0;
  double m_legLeftS = 0.0;
};

}  // namespace sim
