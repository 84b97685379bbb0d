#include "simulator/position_wander.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kSigmaM[3] = {PositionWander::kHorizontalSigmaM, PositionWander::kHorizontalSigmaM,
                               PositionWander::kVerticalSigmaM};

}  // namespace

PositionWander::PositionWander(std::uint32_t seed) : m_rng(seed) {
  for (int axis = 0; axis < 3; ++axis) m_errorM[axis] = kSigmaM[axis] * m_normal(m_rng);
}

void PositionWander::Advance(double seconds) {
  while (seconds > 0.0) {
    const double step = std::min(seconds, 1.0);
    const double keep = std::exp(-step / kCorrelationTimeS);
    // The draw's size keeps the variance at sigma^2: keep^2 + (1 - keep^2).
    const double fresh = std::sqrt(1.0 - keep * keep);
    for (int axis = 0; axis < 3; ++axis)
      m_errorM[axis] = keep * m_errorM[axis] + kSigmaM[axis] * fresh * m_normal(m_rng);
    seconds -= step;
  }
}

}  // namespace sim
