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
    : m_rng(seed), m_latitude(45.52310), m_longitude(-122.67650), m_altitudeM(51.0), m_headingDeg(84.0) {
  NextLeg();
}

double Track::SpeedKnots() const { return m_speedMps * kKnotsPerMps; }

void Track::Advance(double seconds) {
  // Whole-second steps keep the path the same however the time is sliced.
  while (seconds > 0.0) {
    const double step = std::min(seconds, 1.0);
    Step(step);
    seconds -= step;
  }
}

void Track::Step(double seconds) {
  m_legLeftS -= seconds;
  if (m_legLeftS <= 0.0) NextLeg();

  const double change =
      std::clamp(m_targetSpeedMps - m_speedMps, -kAccelerationMps2 * seconds, kAccelerationMps2 * seconds);
  m_speedMps += change;
  if (m_speedMps > 0.5) m_headingDeg = std::fmod(m_headingDeg + m_turnRateDps * seconds + 360.0, 360.0);

  m_altitudeM += m_climbRateMps * seconds;
  if (m_altitudeM < kMinAltitudeM || m_altitudeM > kMaxAltitudeM) {
    m_altitudeM = std::clamp(m_altitudeM, kMinAltitudeM, kMaxAltitudeM);
    m_climbRateMps = -m_climbRateMps;
  }

  const double distance = m_speedMps * seconds;
  const double heading = Radians(m_headingDeg);
  m_latitude += distance * std::cos(heading) / kEarthRadiusM * 180.0 / std::numbers::pi;
  m_longitude +=
      distance * std::sin(heading) / (kEarthRadiusM * std::cos(Radians(m_latitude))) * 180.0 / std::numbers::pi;
}

void Track::NextLeg() {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  m_legLeftS = 10.0 + 30.0 * unit(m_rng);
  // Now and then the vehicle stops; otherwise it drives at 10 to 90 km/h.
  m_targetSpeedMps = unit(m_rng) < 0.1 ? 0.0 : 3.0 + 22.0 * unit(m_rng);
  m_turnRateDps = unit(m_rng) < 0.5 ? 0.0 : -4.0 + 8.0 * unit(m_rng);
  m_climbRateMps = -0.5 + unit(m_rng);
}

}  // namespace sim
