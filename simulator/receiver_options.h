// How the simulated receiver is set up, what can go wrong with it on demand,
// and what it has done.
#pragma once

#include "receivers/receiver_family.h"

#include <cstdint>
#include <string>

namespace sim {

struct Faults {
  // Share of sentences, in percent (0 to 100), sent with a wrong checksum.
  unsigned corrupt_percent = 0;
  // Each second one sentence is cut in two by a pause longer than the
  // program's 200 ms poll, so its halves arrive in different reads.
  bool split_lines = false;
  // Every this many seconds a burst of noise (bytes without "$") goes out
  // between two sentences; 0 for never.
  unsigned noise_every_s = 0;
  // 13 to 16 satellites in view instead of 8 to 14 (four GSV messages).
  bool many_satellites = false;
};

struct ReceiverOptions {
  std::uint32_t baud = 4800;
  // Epochs (fixes) a second: 1 to 10, as receivers are set to; each epoch
  // sends the whole set of sentences.
  std::uint32_t rate_hz = 1;
  // A receiver of GPS, GLONASS, Galileo and BeiDou speaking NMEA 4.10
  // instead of a GPS receiver of NMEA 2.3.
  bool gnss = false;
  // Stands at one point instead of driving its track (its fixes wander
  // around that point all the same), as a receiver under test on a mark.
  bool stationary = false;
  // A recorded NMEA log to play instead of synthesised sentences, at its
  // own pace times replay_speed, over and over or, without replay_loop,
  // once (then the receiver is silent).
  std::string replay_path;
  bool replay_loop = true;
  double replay_speed = 1.0;
  // UTC of the receiver's start, in seconds since 1970 (the receiver keeps
  // time from there on its own clock).
  std::int64_t utc_start_s = 1'710'000'000;
  // The receiver falls silent silence_after_ms after its start, for
  // silence_for_ms (0: never).
  std::uint64_t silence_after_ms = 0;
  std::uint32_t silence_for_ms = 0;
  Faults faults;
  // The receiver family it behaves as (an id of receivers/receiver_family.h:
  // "mediatek", "ublox", ...): its power-up lines, its probe's reply, its
  // starts. Empty: the designed receiver, which takes the SiRF cold start
  // only.
  std::string family;
  // Draws the times to first fix after a family's starts.
  std::uint32_t seed = 1;
  // Divides every start's time to first fix, so that tests run fast.
  double time_scale = 1.0;
};

struct ReceiverStats {
  std::uint64_t sentences_sent = 0;        // complete sentences put on the line
  std::uint64_t bytes_sent = 0;            // bytes delivered to the program's side
  std::uint64_t bytes_received = 0;        // bytes the program wrote
  std::uint64_t cold_starts = 0;           // cold-start commands honoured
  std::uint64_t starts[kStartKinds] = {};  // a family's start commands honoured, by StartKind
  std::uint64_t last_ttff_ms = 0;          // the time to first fix drawn for the last start, scaled
  std::uint32_t line_speed = 0;            // the speed the program's side is set to
};

}  // namespace sim
