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

Sky::Sky(std::uint32_t seed, bool many_satellites) : rng_(seed), many_satellites_(many_satellites) {
  Resize(PickCount(many_satellites));
}

void Sky::SetManySatellites(bool many_satellites) {
  many_satellites_ = many_satellites;
  const int count = static_cast<int>(satellites_.size());
  if ((many_satellites && count < 13) || (!many_satellites && count > 14)) Resize(PickCount(many_satellites));
}

int Sky::PickCount(bool many_satellites) {
  std::uniform_int_distribution<int> count =
      many_satellites ? std::uniform_int_distribution<int>(13, 16) : std::uniform_int_distribution<int>(8, 14);
  return count(rng_);
}

void Sky::Resize(int count) {
  while (static_cast<int>(satellites_.size()) > count) {
    std::uniform_int_distribution<std::size_t> pick(0, satellites_.size() - 1);
    satellites_.erase(satellites_.begin() + static_cast<std::ptrdiff_t>(pick(rng_)));
  }
  while (static_cast<int>(satellites_.size()) < count) satellites_.push_back(MakeSatellite());
  std::sort(satellites_.begin(), satellites_.end(),
            [](const Satellite& a, const Satellite& b) { return a.prn < b.prn; });
}

Sky::Satellite Sky::MakeSatellite() {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> prn(1, kMaxPrn);
  Satellite sat;
  do {
    sat.prn = prn(rng_);
  } while (std::any_of(satellites_.begin(), satellites_.end(), [&](const Satellite& s) { return s.prn == sat.prn; }));

  const auto trackable =
      std::count_if(satellites_.begin(), satellites_.end(), [](const Satellite& s) { return s.trackable; });
  sat.trackable = trackable < kAlwaysTrackable || unit(rng_) < kTrackableShare;
  const double low = sat.trackable ? kMinTrackedElevation : kMinBlockedElevation;
  const double high = sat.trackable ? kMaxTrackedElevation : kMaxBlockedElevation;
  sat.elevation = low + (high - low) * unit(rng_);
  sat.azimuth = 360.0 * unit(rng_);
  sat.elevation_rate = -0.05 + 0.1 * unit(rng_);
  sat.azimuth_rate = -0.1 + 0.2 * unit(rng_);
  sat.snr_offset = -4.0 + 8.0 * unit(rng_);
  sat.snr = TargetSnr(sat);
  sat.appear_s = kFirstAppearS + (kLastAppearS - kFirstAppearS) * unit(rng_);
  return sat;
}

double Sky::TargetSnr(const Satellite& sat) const {
  return 28.0 + 18.0 * std::sin(sat.elevation * std::numbers::pi / 180.0) + sat.snr_offset;
}

void Sky::Advance(double seconds) {
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  for (Satellite& sat : satellites_) {
    const double low = sat.trackable ? kMinTrackedElevation : kMinBlockedElevation;
    const double high = sat.trackable ? kMaxTrackedElevation : kMaxBlockedElevation;
    sat.elevation += sat.elevation_rate * seconds;
    if (sat.elevation < low || sat.elevation > high) {
      sat.elevation = std::clamp(sat.elevation, low, high);
      sat.elevation_rate = -sat.elevation_rate;
    }
    sat.azimuth = std::fmod(sat.azimuth + sat.azimuth_rate * seconds + 360.0, 360.0);
    const double pull = std::min(1.0, 0.2 * seconds);
    sat.snr = std::clamp(sat.snr + (TargetSnr(sat) - sat.snr) * pull + noise(rng_), kMinSnr, kMaxSnr);
  }
}

void Sky::ColdStart(std::uint64_t t_ms) {
  cold_start_ms_ = t_ms;
  // Spread the satellites evenly over the acquisition window, in an order
  // that has nothing to do with their PRNs.
  std::vector<double> times;
  const std::size_t count = satellites_.size();
  for (std::size_t i = 0; i < count; ++i)
    times.push_back(kFirstAppearS + (kLastAppearS - kFirstAppearS) * static_cast<double>(i) /
                                        static_cast<double>(std::max<std::size_t>(count - 1, 1)));
  std::shuffle(times.begin(), times.end(), rng_);
  for (std::size_t i = 0; i < count; ++i) satellites_[i].appear_s = times[i];
}

std::vector<SatelliteView> Sky::View(std::uint64_t t_ms) const {
  const double since_reset =
      cold_start_ms_ ? static_cast<double>(t_ms - *cold_start_ms_) / 1000.0 : std::numeric_limits<double>::infinity();
  std::vector<SatelliteView> view;
  std::vector<std::size_t> usable;
  for (const Satellite& sat : satellites_) {
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
