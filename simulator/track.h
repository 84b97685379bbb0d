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

  double Latitude() const { return latitude_; }
  double Longitude() const { return longitude_; }
  double AltitudeM() const { return altitude_m_; }
  double SpeedKnots() const;
  double CourseDeg() const { return heading_deg_; }

 private:
  void Step(double seconds);
  void NextLeg();

  std::mt19937 rng_;
  double latitude_;
  double longitude_;
  double altitude_m_;
  double speed_mps_ = 0.0;
  double heading_deg_;
  double target_speed_mps_ = 0.0;
  double turn_rate_dps_ = 0.0;
  double climb_rate_mps_ = 0.0;
  double leg_left_s_ = 0.0;
};

}  // namespace sim
