// The satellites the receiver sees: nominal orbits seen from the receiver's
// position at its UTC time, their signal strengths, and their reacquisition
// after a cold start. The GPS profile sees GPS alone, as a receiver of the
// NMEA-0183 2.3 era; the GNSS profile sees GPS, GLONASS, Galileo and BeiDou.
#pragma once

#include "simulator/epoch_report.h"
#include "simulator/orbits.h"

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace sim {

class Sky {
 public:
  // GPS profile: 8 to 14 GPS satellites in view, or 13 to 16 GPS and
  // GLONASS satellites with many_satellites (as GPS+GLONASS receivers of
  // NMEA 2.3 reported them, GLONASS as PRN 65 to 88), the highest of those
  // above the horizon. GNSS profile:
  // every satellite of the four systems above the elevation mask, at most 35.
  Sky(std::uint32_t seed, bool many_satellites, bool gnss = false);

  void SetManySatellites(bool many_satellites);

  // Moves the satellites on to utc_ms, seen from the position, and lets
  // their signals drift over `seconds`.
  void Advance(double seconds, std::int64_t utc_ms, double latitude_deg, double longitude_deg, double altitude_m);

  // Forgets every satellite as of t_ms: the sky is empty for a few seconds,
  // then satellites come into view one by one, are tracked two seconds
  // later and can be used for a fix twelve seconds after that.
  void ColdStart(std::uint64_t t_ms);

  // The satellites in view at t_ms (receiver time), system by system in PRN
  // order. Used marks the satellites that could take part in a fix: at most
  // 12 per system, the highest first.
  std::vector<SatelliteView> View(std::uint64_t t_ms) const;

 private:
  struct Satellite {
    OrbitSlot slot;
    double elevation = 0.0;
    double azimuth = 0.0;
    double snr = 0.0;
    double snr_offset = 0.0;
    double blocked_below = 0.0;  // not tracked below this elevation (buildings, trees)
    double appear_s = 0.0;       // seconds after a cold start it comes into view
  };

  int PickCount(bool many_satellites);
  double TargetSnr(const Satellite& sat) const;

  std::mt19937 m_rng;
  bool m_gnss;
  bool m_manySatellites;
  int m_count;  // GPS profile: how many satellites are in view
  std::vector<Satellite> m_satellites;
  std::optional<std::uint64_t> m_coldStartMs;
};

}  // namespace sim
