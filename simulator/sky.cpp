#include "simulator/sky.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace sim {

namespace {

constexpr int kMaxUsedPerSystem = 12;
constexpr int kMinTracked = 6;  // satellites a sky keeps trackable, for a 3D fix
constexpr double kBlockedShare = 0.2;
constexpr double kOpenBlockedBelow = 3.0;
constexpr double kMinBlockedBelow = 10.0;
constexpr double kMaxBlockedBelow = 30.0;
constexpr double kGnssMaskDeg = 5.0;
constexpr std::size_t kGnssMaxInView = 35;
constexpr double kFirstAppearS = 5.0;
constexpr double kLastAppearS = 18.0;
constexpr double kTrackDelayS = 2.0;
constexpr double kEphemerisDelayS = 12.0;
constexpr double kMinSnr = 12.0;
constexpr double kMaxSnr = 52.0;

}  // namespace

Sky::Sky(std::uint32_t seed, bool many_satellites, bool gnss)
    : m_rng(seed), m_gnss(gnss), m_manySatellites(many_satellites), m_count(PickCount(many_satellites)) {
  // The GPS profile's receiver reports GLONASS satellites in its GPS
  // sentences too when it is asked for many satellites.
  std::vector<GnssSystem> systems{GnssSystem::kGps, GnssSystem::kGlonass};
  if (m_gnss) systems = {GnssSystem::kGps, GnssSystem::kGlonass, GnssSystem::kGalileo, GnssSystem::kBeiDou};
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (GnssSystem system : systems) {
    for (const OrbitSlot& slot : Constellation(system)) {
      Satellite sat;
      sat.slot = slot;
      sat.snr_offset = -4.0 + 8.0 * unit(m_rng);
      sat.blocked_below = unit(m_rng) < kBlockedShare
                              ? kMinBlockedBelow + (kMaxBlockedBelow - kMinBlockedBelow) * unit(m_rng)
                              : kOpenBlockedBelow;
      sat.appear_s = kFirstAppearS + (kLastAppearS - kFirstAppearS) * unit(m_rng);
      m_satellites.push_back(sat);
    }
  }
  std::sort(m_satellites.begin(), m_satellites.end(), [](const Satellite& a, const Satellite& b) {
    return std::pair{a.slot.system, a.slot.prn} < std::pair{b.slot.system, b.slot.prn};
  });
}

void Sky::SetManySatellites(bool many_satellites) {
  m_manySatellites = many_satellites;
  if ((many_satellites && m_count < 13) || (!many_satellites && m_count > 14)) m_count = PickCount(many_satellites);
}

int Sky::PickCount(bool many_satellites) {
  std::uniform_int_distribution<int> count =
      many_satellites ? std::uniform_int_distribution<int>(13, 16) : std::uniform_int_distribution<int>(8, 14);
  return count(m_rng);
}

double Sky::TargetSnr(const Satellite& sat) const {
  return 28.0 + 18.0 * std::sin(std::max(sat.elevation, 0.0) * std::numbers::pi / 180.0) + sat.snr_offset;
}

void Sky::Advance(double seconds, std::int64_t utc_ms, double latitude_deg, double longitude_deg, double altitude_m) {
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  const double pull = std::min(1.0, 0.2 * seconds);
  for (Satellite& sat : m_satellites) {
    const LookAngles look = Look(sat.slot, utc_ms, latitude_deg, longitude_deg, altitude_m);
    const bool first = sat.snr == 0.0;
    sat.elevation = look.elevation_deg;
    sat.azimuth = look.azimuth_deg;
    sat.snr = first ? TargetSnr(sat) : sat.snr + (TargetSnr(sat) - sat.snr) * pull + noise(m_rng);
    sat.snr = std::clamp(sat.snr, kMinSnr, kMaxSnr);
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
  // Those above the horizon (the GNSS profile's mask), highest first.
  std::vector<const Satellite*> above;
  for (const Satellite& sat : m_satellites) {
    const bool seen = m_gnss || m_manySatellites || sat.slot.system == GnssSystem::kGps;
    if (seen && sat.elevation > (m_gnss ? kGnssMaskDeg : 0.0)) above.push_back(&sat);
  }
  std::stable_sort(above.begin(), above.end(),
                   [](const Satellite* a, const Satellite* b) { return a->elevation > b->elevation; });
  above.resize(std::min(above.size(), m_gnss ? kGnssMaxInView : static_cast<std::size_t>(m_count)));
  // The sky keeps enough open satellites for a fix: the highest ones are
  // tracked whatever blocks the low ones.
  std::vector<bool> open(above.size());
  for (std::size_t i = 0; i < above.size(); ++i)
    open[i] = static_cast<int>(i) < kMinTracked || above[i]->elevation >= above[i]->blocked_below;

  const double since_reset =
      m_coldStartMs ? static_cast<double>(t_ms - *m_coldStartMs) / 1000.0 : std::numeric_limits<double>::infinity();
  std::vector<std::pair<const Satellite*, SatelliteView>> view;
  int used[4] = {};
  for (std::size_t i = 0; i < above.size(); ++i) {
    const Satellite& sat = *above[i];
    if (since_reset < sat.appear_s) continue;
    SatelliteView entry;
    entry.system = sat.slot.system;
    entry.prn = sat.slot.prn;
    entry.elevation = sat.elevation;
    entry.azimuth = sat.azimuth;
    if (open[i] && since_reset >= sat.appear_s + kTrackDelayS) {
      entry.snr = static_cast<int>(std::lround(sat.snr));
      int& system_used = used[static_cast<int>(sat.slot.system)];
      if (since_reset >= sat.appear_s + kTrackDelayS + kEphemerisDelayS && system_used < kMaxUsedPerSystem) {
        entry.used = true;
        ++system_used;
      }
    }
    view.emplace_back(&sat, entry);
  }
  // Reported system by system, in PRN order.
  std::sort(view.begin(), view.end(), [](const auto& a, const auto& b) {
    return std::pair{a.first->slot.system, a.first->slot.prn} < std::pair{b.first->slot.system, b.first->slot.prn};
  });
  std::vector<SatelliteView> satellites;
  for (const auto& [sat, entry] : view) satellites.push_back(entry);
  return satellites;
}

}  // namespace sim
