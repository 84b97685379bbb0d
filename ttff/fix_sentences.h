// What the TTFF test reads of a sentence: whether it reports a valid fix
// (RMC status A, GGA quality 1 or more), the position and satellites used of
// a GGA, and the satellites' C/N0 of a GSV. Any talker; a line whose
// checksum does not hold reports nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/signal_strength.h"

struct GgaFix {
  int quality = 0;
  std::optional<double> latitude;   // degrees, south negative
  std::optional<double> longitude;  // degrees, west negative
  std::optional<int> satellitesUsed;
};

struct GsvSignal {
  std::string key;  // the talker and the satellite's number: "GP12"
  int cn0 = 0;      // dB-Hz
};

// True for an RMC with status A or a GGA with quality 1 or more.
bool ReportsValidFix(std::string_view line);
// A GGA's fields, or nothing for any other line.
std::optional<GgaFix> ParseGga(std::string_view line);
// Whether a sentence whose checksum holds reports that there is no fix:
// RMC status V, or GGA quality 0.
bool ReportsNoFix(std::string_view line);
// A GSV's satellites that carry a C/N0; empty for any other line.
std::vector<GsvSignal> ParseGsv(std::string_view line);
