// The satellites the receiver sees: their drifting positions and signal
// strengths, and their reacquisition after a cold start.
#pragma once

#include "simulator/epoch_report.h"

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace sim {

class Sky {
 public:
  // 8 to 14 satellites, or 13 to 16 with many_satellites.
  Sky(std::uint32_t seed, bool many_satellites);

  void SetManySatellites(bool many_satellites);
  void Advance(double seconds);

  // Forgets every satellite as of t_ms: the sky is empty for a few seconds,
  // then satellites come into view one by one, are tracked two seconds
  // later and can be used for a fix twelve seconds after that.
  void ColdStart(std::uint64_t t_ms);

  // The satellites in view at t_ms, by PRN. Used marks every satellite
  // that could take part in a fix (at most 12).
  std::vector<SatelliteView> View(std::uint64_t t_ms) const;

 private:
  struct Satellite {
    int prn = 0;
    double elevation = 0.0;
    double azimuth = 0.0;
    double elevation_rate = 0.0;
    double azimuth_rate = 0.0;
    double snr = 0.0;
    double snr_offset = 0.0;
    bool trackable = true;  // false: in view but blocked, never tracked
    double appear_s = 0.0;  // seconds after a cold start it comes into view
  };

  int PickCount(bool many_satellites);
  void Resize(int count);
  Satellite MakeSatellite();
  double TargetSnr(const Satellite& sat) const;

  std::mt19937 m_rng;
  bool m_manySatellites;
  std::vector<Satellite> m_satellites;
  std::optional<std::uint64_t> m_coldStartMs;
};

}  // namespace sim
