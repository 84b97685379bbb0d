// What the simulated receiver does as a receiver of one family: the lines it
// sends at power-up, the reply to its family's probe with the firmware
// version in it, the acknowledgement of a start, and how long a start of
// each kind takes to the first fix.
#pragma once

#include "receivers/receiver_family.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// The families' ids, as a command line takes them: "sirf, mediatek, ...".
std::string FamilyIdList();

// The lines (with checksum and CR LF) the family sends at power-up and after
// each start; none for a family that announces nothing.
std::vector<std::string> PowerUpLines(const ReceiverFamily& family);

// The firmware version the simulated receiver reports, as the probe's reply
// carries it (for u-blox: MON-VER's software version).
std::string SimulatedFirmwareVersion(const ReceiverFamily& family);

// The bytes of the reply to the family's probe: a sentence starting with the
// family's reply head, or u-blox's MON-VER frame. Empty when it has no probe.
std::string ProbeReplyBytes(const ReceiverFamily& family);

// The bytes acknowledging the family's start of `kind`; empty where the
// family acknowledges none.
std::string StartAckBytes(const ReceiverFamily& family, StartKind kind);

// The time to first fix after a start of `kind`, drawn evenly from
// [min_ms, max_ms] before the time scale divides it.
struct TtffRange {
  std::uint32_t min_ms = 0;
  std::uint32_t max_ms = 0;
};
TtffRange StartTtffRange(const ReceiverFamily& family, StartKind kind);

}  // namespace sim
