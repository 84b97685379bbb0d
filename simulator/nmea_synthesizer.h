// The receiver's navigation output, synthesised: once a second a report of
// position, motion and sky, turned into the sentences of one epoch.
#pragma once

#include "simulator/epoch_report.h"
#include "simulator/position_wander.h"
#include "simulator/sky.h"
#include "simulator/track.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// The sentences of one type in one epoch (GSV has several). A lower priority
// number is more important when the line cannot carry everything.
struct SentenceGroup {
  std::string type;
  int priority = 0;
  std::vector<std::string> sentences;
};

class NmeaSynthesizer {
 public:
  // utc_start_ms: the UTC time of receiver time 0. gnss: a receiver of
  // GPS, GLONASS, Galileo and BeiDou speaking NMEA 4.10, else a GPS
  // receiver of NMEA 2.3.
  explicit NmeaSynthesizer(std::int64_t utc_start_ms, bool gnss = false);

  void SetManySatellites(bool many_satellites);
  // A receiver that stands at the track's start instead of driving it; its
  // fixes still wander around that point.
  void SetStationary(bool stationary) { m_stationary = stationary; }
  void ColdStart(std::uint64_t t_ms);
  // No fix from t_ms until until_ms: the satellites stay in view but none
  // is used; with lose_signals none is tracked either for the first half.
  void HoldFix(std::uint64_t t_ms, std::uint64_t until_ms, bool lose_signals);

  // The epoch at receiver time t_ms (milliseconds since start, never
  // earlier than the previous call) as sentence groups in the order the
  // receiver sends them: GGA, GLL, GSA, GSV, RMC, VTG (GNSS: RMC, VTG,
  // GGA, one GSA per system, GSV per system, GLL).
  std::vector<SentenceGroup> Epoch(std::uint64_t t_ms);

 private:
  // What the receiver knows at t_ms; moves the track and sky on to t_ms.
  EpochReport Report(std::uint64_t t_ms);

  std::int64_t m_utcStartMs;
  bool m_gnss;
  std::uint64_t m_lastMs = 0;
  std::uint64_t m_holdFromMs = 0;
  std::uint64_t m_holdUntilMs = 0;
  std::uint64_t m_signalsFromMs = 0;
  bool m_stationary = false;
  Track m_track;
  Sky m_sky;
  // The fixes' error, added to the track's position in the sentences.
  PositionWander m_wander;
};

}  // namespace sim
