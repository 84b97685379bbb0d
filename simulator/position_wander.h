// How far a receiver's fixes stray from where it is: per axis (east, north,
// up) a first-order Gauss-Markov process, the usual model of the slowly
// varying errors of a stand-alone fix (atmosphere, multipath, orbit and
// clock): each second the error keeps exp(-1/tau) of itself and gains a
// seeded normal draw sized so that its spread stays sigma.
#pragma once

#include <cstdint>
#include <random>

namespace sim {

class PositionWander {
 public:
  // A consumer receiver under open sky: 1.5 m a horizontal axis (CEP50 about
  // 1.8 m, 2DRMS about 4.2 m), 3 m vertically, correlated over a minute.
  static constexpr double kHorizontalSigmaM = 1.5;
  static constexpr double kVerticalSigmaM = 3.0;
  static constexpr double kCorrelationTimeS = 60.0;

  // Starts from a draw of the process's steady spread.
  explicit PositionWander(std::uint32_t seed);

  // Moves the errors on by `seconds`, in whole-second steps (a step of what
  // is left below one second at the end), so the path is the same however
  // the time is sliced.
  void Advance(double seconds);

  double EastM() const { return m_errorM[0]; }
  double NorthM() const { return m_errorM[1]; }
  double UpM() const { return m_errorM[2]; }

 private:
  std::mt19937 m_rng;
  std::normal_distribution<double> m_normal{0.0, 1.0};
  double m_errorM[3] = {};
};

}  // namespace sim
