// The simulated sky on nominal orbits, seen from the receiver's track.
#include "simulator/orbits.h"
#include "simulator/sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <utility>

namespace {

constexpr std::int64_t kUtcStartMs = 1'710'000'000'000;
constexpr double kLatitude = 45.5231;
constexpr double kLongitude = -122.6765;

// Angle between two directions on the sky, in degrees.
double Separation(const sim::SatelliteView& a, const sim::SatelliteView& b) {
  const double k = 3.14159265358979 / 180.0;
  const double cosine = std::sin(a.elevation * k) * std::sin(b.elevation * k) +
                        std::cos(a.elevation * k) * std::cos(b.elevation * k) * std::cos((a.azimuth - b.azimuth) * k);
  return std::acos(std::clamp(cosine, -1.0, 1.0)) / k;
}

int Key(const sim::SatelliteView& sat) { return static_cast<int>(sat.system) * 1000 + sat.prn; }

TEST(Orbits, SatellitesStandWhereTheirOrbitsPutThem) {
  const auto beidou = sim::Constellation(sim::GnssSystem::kBeiDou);
  const auto geo = std::find_if(beidou.begin(), beidou.end(), [](const sim::OrbitSlot& s) { return s.prn == 3; });
  ASSERT_NE(geo, beidou.end());
  // A geostationary satellite stands still over its longitude, in the zenith at the equator.
  for (std::int64_t hours : {0, 5, 17}) {
    EXPECT_NEAR(sim::Look(*geo, kUtcStartMs + hours * 3'600'000, 0.0, 110.5, 0.0).elevation_deg, 90.0, 0.01);
  }
  // A GPS satellite is back at the same place after a sidereal day, not
  // after a solar day; nominal slots count 24 of 30 in six planes.
  const auto gps = sim::Constellation(sim::GnssSystem::kGps);
  EXPECT_EQ(gps.size(), 30u);
  const sim::LookAngles now = sim::Look(gps[0], kUtcStartMs, kLatitude, kLongitude, 0.0);
  const sim::LookAngles sidereal = sim::Look(gps[0], kUtcStartMs + 86'164'091, kLatitude, kLongitude, 0.0);
  EXPECT_NEAR(now.elevation_deg, sidereal.elevation_deg, 0.5);
  EXPECT_NEAR(now.azimuth_deg, sidereal.azimuth_deg, 0.5);
}

TEST(Sky, ProfilesSeeTheirSatellitesSpreadOverTheSky) {
  const struct {
    bool gnss, many;
    std::size_t min_in_view, max_in_view;
  } profiles[] = {{false, false, 8, 14}, {false, true, 13, 16}, {true, false, 20, 35}};
  for (const auto& p : profiles) {
    SCOPED_TRACE(testing::Message() << "gnss " << p.gnss << " many " << p.many);
    sim::Sky sky(1946, p.many, p.gnss);
    bool systems[4] = {};
    // Satellites may pass each other, but none sit on top of each other
    // for ten minutes as the old fixed sky's did for a whole session.
    std::set<std::pair<int, int>> close, was_close;
    // Every ten minutes of a day.
    for (std::int64_t step = 0; step < 144; ++step) {
      sky.Advance(600.0, kUtcStartMs + step * 600'000, kLatitude, kLongitude, 51.0);
      const std::vector<sim::SatelliteView> view = sky.View(static_cast<std::uint64_t>(step) * 600'000);
      ASSERT_GE(view.size(), p.min_in_view) << "at minute " << step * 10;
      ASSERT_LE(view.size(), p.max_in_view) << "at minute " << step * 10;
      EXPECT_GE(std::count_if(view.begin(), view.end(), [](const auto& s) { return s.used; }), 4);
      for (std::size_t i = 0; i < view.size(); ++i) {
        systems[static_cast<int>(view[i].system)] = true;
        EXPECT_GE(view[i].elevation, 0.0);
        for (std::size_t j = 0; j < i; ++j) {
          if (Separation(view[i], view[j]) > 1.0) continue;
          const std::pair<int, int> pair{Key(view[i]), Key(view[j])};
          EXPECT_FALSE(was_close.contains(pair)) << pair.first << " and " << pair.second;
          close.insert(pair);
        }
      }
      was_close.swap(close);
      close.clear();
    }
    EXPECT_EQ(std::count(systems, systems + 4, true), p.gnss ? 4 : (p.many ? 2 : 1));
  }
}

}  // namespace
