#include "simulator/sky.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace sim {

namespace {

constexpr int kMaxPrn = 32;
constexpr int kMaxUsed = 12;
constexpr int kAlwaysTrackable = 6;  // enough for a 3D fix in every sky
constexpr double kTrackableShare = 0.8;
constexpr double kMinTrackedElevation = 12.0;
constexpr double kMaxTrackedElevation = 85.0;
constexpr double kMinBlockedElevation = 3.0;
constexpr double kMaxBlockedElevation = 25.0;
constexpr double kFirstAppearS = 5.0;
constexpr double kLastAppearS = 18.0;
constexpr double kTrackDelayS = 2.0;
constexpr double kEphemerisDelayS = 12.0;
constexpr double kMinSnr = 12.0;
constexpr double kMaxSnr = 52.0;

}  // namespace

Sky::Sky(std::uint32_t seed, bool many_satellites) : m_rng(seed), m_manySatellites(many_satellites) {
  Resize(PickCount(many_satellites));
}

void Sky::SetManySatellites(bool many_satellites) {
  m_manySatellites = many_satellites;
  const int count = static_cast<int>(m_satellites.size());
  if ((many_satellites && count < 13) || (!many_satellites && count > 14)) Resize(PickCount(many_satellites));
}

int Sky::PickCount(bool many_satellites) {
  std::uniform_int_distribution<int> count =
      many_satellites ? std::uniform_int_distribution<int>(13, 16) : std::uniform_int_distribution<int>(8, 14);
  return count(m_rng);
}

void Sky::Resize(int count) {
  while (static_cast<int>(m_satellites.size()) > count) {
    std::uniform_int_distribution<std::size_t> pick(0, m_satellites.size() - 1);
    m_satellites.erase(m_satellites.begin() + static_cast<std::ptrdiff_t>(pick(m_rng)));
  }
  while (static_cast<int>(m_satellites.size()) < count) m_satellites.push_back(MakeSatellite());
  std::sort(m_satellites.begin(), m_satellites.end(),
            [](const Satellite& a, const Satellite& b) { return a.prn < b.prn; });
}

Sky::Satellite Sky::MakeSatellite() {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> prn(1, kMaxPrn);
  Satellite sat;
  do {
    sat.prn = prn(m_rng);
  } while (std::any_of(m_satellites.begin(), m_satellites.end(), [&](const Satellite& s) { return s.prn == sat.prn; }));

  const auto trackable =
      std::count_if(m_satellites.begin(), m_satellites.end(), [](const Satellite& s) { return s.trackable; });
  sat.trackable = trackable < kAlwaysTrackable || unit(m_rng) < kTrackableShare;
  const double low = sat.trackable ? kMinTrackedElevation : kMinBlockedElevation;
  const double high = sat.trackable ? kMaxTrackedElevation : kMaxBlockedElevation;
  sat.elevation = low + (high - low) * unit(m_rng);
  sat.azimuth = 360.0 * unit(m_rng);
  sat.elevation_rate = -0.05 + 0.1 * unit(m_rng);
  sat.azimuth_rate = -0.1 + 0.2 * unit(m_rng);
  sat.snr_offset = -4.0 + 8.0 * unit(m_rng);
  sat.snr = TargetSnr(sat);
  sat.appear_s = kFirstAppearS + (kLastAppearS - kFirstAppearS) * unit(m_rng);
  return sat;
}

double Sky::TargetSnr(const Satellite& sat) const {
  return 28.0 + 18.0 * std::sin(sat.elevation * std::numbers::pi / 180.0) + sat.snr_offset;
}

void Sky::Advance(double seconds) {
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  for (Satellite& sat : m_satellites) {
    const double low = sat.trackable ? kMinTrackedElevation : kMinBlockedElevation;
    const double high = sat.trackable ? kMaxTrackedElevation : kMaxBlockedElevation;
    sat.elevation += sat.elevation_rate * seconds;
    if (sat.elevation < low || sat.elevation > high) {
      sat.elevation = std::clamp(sat.elevation, low, high);
      sat.elevation_rate = -sat.elevation_rate;
    }
    sat.azimuth = std::fmod(sat.azimuth + sat.azimuth_rate * seconds + 360.0, 360.0);
    const double pull = std::min(1.0, 0.2 * seconds);
    sat.snr = std::clamp(sat.snr + (TargetSnr(sat) - sat.snr) * pull + noise(m_rng), kMinSnr, kMaxSnr);
  }
}

void Sky::ColdStart(std::uint64_t t_ms) {
  m_coldStartMs = t_ms;
  // Spread the satellites evenly over the acquisition window, in an order
  // that has nothing to do with their PRNs.
  std::vector<double> times;
  const std::size_t count = m_satellites.size();
  for (std::size_t i = 0; i < count; ++i)
    times.push_back(kFirstAppearS + (kLastAppearS - kFirstAppearS) * static_cast<double>(i) /
                                        static_cast<double>(std::max<std::size_t>(count - 1, 1)));
  std::shuffle(times.begin(), times.end(), m_rng);
  for (std::size_t i = 0; i < count; ++i) m_satellites[i].appear_s = times[i];
}

std::vector<SatelliteView> Sky::View(std::uint64_t t_ms) const {
  const double since_reset =
      m_coldStartMs ? static_cast<double>(t_ms - *m_coldStartMs) / 1000.0 : std::numeric_limits<double>::infinity();
  std::vector<SatelliteView> view;
  std::vector<std::size_t> usable;
  for (const Satellite& sat : m_satellites) {
    if (since_reset < sat.appear_s) continue;
    SatelliteView entry;
    entry.prn = sat.prn;
    entry.elevation = sat.elevation;
    entry.azimuth = sat.azimuth;
    if (sat.trackable && since_reset >= sat.appear_s + kTrackDelayS) {
      entry.snr = static_cast<int>(std::lround(sat.snr));
      if (since_reset >= sat.appear_s + kTrackDelayS + kEphemerisDelayS) usable.push_back(view.size());
    }
    view.push_back(entry);
  }
  // A receiver has 12 channels for the fix: it takes the highest satellites.
  std::sort(usable.begin(), usable.end(),
            [&](std::size_t a, std::size_t b) { return view[a].elevation > view[b].elevation; });
  for (std::size_t i = 0; i < usable.size() && i < kMaxUsed; ++i) view[usable[i]].used = true;
  return view;
}

}  // namespace sim
