#include "simulator/track.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr double kEarthRadiusM = 6'371'000.0;
constexpr double kKnotsPerMps = 3600.0 / 1852.0;
constexpr double kAccelerationMps2 = 1.0;
constexpr double kMinAltitudeM = 5.0;
constexpr double kMaxAltitudeM = 120.0;

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

}  // namespace

Track::Track(std::uint32_t seed)
    : rng_(seed), latitude_(45.52310), longitude_(-122.67650), altitude_m_(51.0), heading_deg_(84.0) {
  NextLeg();
}

double Track::SpeedKnots() const { return speed_mps_ * kKnotsPerMps; }

void Track::Advance(double seconds) {
  // Whole-second steps keep the path the same however the time is sliced.
  while (seconds > 0.0) {
    const double step = std::min(seconds, 1.0);
    Step(step);
    seconds -= step;
  }
}

void Track::Step(double seconds) {
  leg_left_s_ -= seconds;
  if (leg_left_s_ <= 0.0) NextLeg();

  const double change =
      std::clamp(target_speed_mps_ - speed_mps_, -kAccelerationMps2 * seconds, kAccelerationMps2 * seconds);
  speed_mps_ += change;
  if (speed_mps_ > 0.5) heading_deg_ = std::fmod(heading_deg_ + turn_rate_dps_ * seconds + 360.0, 360.0);

  altitude_m_ += climb_rate_mps_ * seconds;
  if (altitude_m_ < kMinAltitudeM || altitude_m_ > kMaxAltitudeM) {
    altitude_m_ = std::clamp(altitude_m_, kMinAltitudeM, kMaxAltitudeM);
    climb_rate_mps_ = -climb_rate_mps_;
  }

  const double distance = speed_mps_ * seconds;
  const double heading = Radians(heading_deg_);
  latitude_ += distance * std::cos(heading) / kEarthRadiusM * 180.0 / std::numbers::pi;
  longitude_ +=
      distance * std::sin(heading) / (kEarthRadiusM * std::cos(Radians(latitude_))) * 180.0 / std::numbers::pi;
}

void Track::NextLeg() {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  leg_left_s_ = 10.0 + 30.0 * unit(rng_);
  // Now and then the vehicle stops; otherwise it drives at 10 to 90 km/h.
  target_speed_mps_ = unit(rng_) < 0.1 ? 0.0 : 3.0 + 22.0 * unit(rng_);
  turn_rate_dps_ = unit(rng_) < 0.5 ? 0.0 : -4.0 + 8.0 * unit(rng_);
  climb_rate_mps_ = -0.5 + unit(rng_);
}

}  // namespace sim
