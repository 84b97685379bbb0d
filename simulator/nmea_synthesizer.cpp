#include "simulator/nmea_synthesizer.h"

#include "simulator/dilution.h"
#include "simulator/nmea_sentences.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr std::uint32_t kTrackSeed = 20070309;
constexpr std::uint32_t kSkySeed = 1946;
constexpr std::uint32_t kWanderSeed = 1884;
constexpr double kEarthRadiusM = 6'371'000.0;
constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
constexpr double kGeoidSeparationM = -19.6;

}  // namespace

NmeaSynthesizer::NmeaSynthesizer(std::int64_t utc_start_ms, bool gnss)
    : m_utcStartMs(utc_start_ms),
      m_gnss(gnss),
      m_track(kTrackSeed),
      m_sky(kSkySeed, false, gnss),
      m_wander(kWanderSeed) {}

void NmeaSynthesizer::SetManySatellites(bool many_satellites) { m_sky.SetManySatellites(many_satellites); }

void NmeaSynthesizer::ColdStart(std::uint64_t t_ms) { m_sky.ColdStart(t_ms); }

void NmeaSynthesizer::HoldFix(std::uint64_t t_ms, std::uint64_t until_ms, bool lose_signals) {
  m_holdFromMs = t_ms;
  m_holdUntilMs = until_ms;
  m_signalsFromMs = lose_signals ? t_ms + (until_ms - t_ms) / 2 : t_ms;
}

EpochReport NmeaSynthesizer::Report(std::uint64_t t_ms) {
  const double seconds = static_cast<double>(t_ms - m_lastMs) / 1000.0;
  m_lastMs = t_ms;
  if (!m_stationary) m_track.Advance(seconds);
  m_wander.Advance(seconds);
  EpochReport report;
  report.utc_ms = m_utcStartMs + static_cast<std::int64_t>(t_ms);
  m_sky.Advance(seconds, report.utc_ms, m_track.Latitude(), m_track.Longitude(), m_track.AltitudeM());

  report.satellites = m_sky.View(t_ms);
  if (t_ms >= m_holdFromMs && t_ms < m_holdUntilMs) {
    for (SatelliteView& sat : report.satellites) {
      sat.used = false;
      if (t_ms < m_signalsFromMs) sat.snr.reset();
    }
  }
  const auto used = std::count_if(report.satellites.begin(), report.satellites.end(),
                                  [](const SatelliteView& sat) { return sat.used; });
  report.fix_mode = used >= 4 ? 3 : used == 3 ? 2 : 1;
  if (report.fix_mode == 1) {
    for (SatelliteView& sat : report.satellites) sat.used = false;
  }
  // The sky is seen from where the receiver is; the fix it reports strays.
  report.latitude = m_track.Latitude() + m_wander.NorthM() / kEarthRadiusM * kDegreesPerRadian;
  report.longitude = m_track.Longitude() + m_wander.EastM() /
                                               (kEarthRadiusM * std::cos(report.latitude / kDegreesPerRadian)) *
                                               kDegreesPerRadian;
  report.altitude_m = m_track.AltitudeM() + m_wander.UpM();
  report.geoid_separation_m = kGeoidSeparationM;
  report.speed_knots = m_track.SpeedKnots();
  report.course_deg = m_track.CourseDeg();
  report.dilution = ComputeDilution(report.satellites, report.fix_mode);
  return report;
}

std::vector<SentenceGroup> NmeaSynthesizer::Epoch(std::uint64_t t_ms) {
  const EpochReport report = Report(t_ms);
  if (m_gnss) {
    // Each system's GSV is a group of its own with a priority of its own,
    // so that a slow line leaves out some systems' skies and sends them
    // first the next second, in turn.
    std::vector<SentenceGroup> groups{{"RMC", 0, {RmcSentence(report, "GN")}},
                                      {"VTG", 8, {VtgSentence(report, "GN")}},
                                      {"GGA", 1, {GgaSentence(report, "GN")}},
                                      {"GSA", 2, {}}};
    const GnssSystem systems[] = {GnssSystem::kGps, GnssSystem::kGlonass, GnssSystem::kGalileo, GnssSystem::kBeiDou};
    const char* const gsv_types[] = {"GPGSV", "GLGSV", "GAGSV", "GBGSV"};
    for (GnssSystem system : systems) groups[3].sentences.push_back(GnssGsaSentence(report, system));
    for (std::size_t i = 0; i < 4; ++i)
      groups.push_back({gsv_types[i], 3 + static_cast<int>(i), GnssGsvSentences(report, systems[i])});
    groups.push_back({"GLL", 7, {GllSentence(report, "GN")}});
    return groups;
  }
  return {
      {"GGA", 1, {GgaSentence(report)}}, {"GLL", 4, {GllSentence(report)}}, {"GSA", 2, {GsaSentence(report)}},
      {"GSV", 3, GsvSentences(report)},  {"RMC", 0, {RmcSentence(report)}}, {"VTG", 5, {VtgSentence(report)}},
  };
}

}  // namespace sim
