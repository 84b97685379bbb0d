// The sentences a GPS receiver of the NMEA-0183 2.3 era sends each second,
// built from one EpochReport, and those of a multi-constellation receiver of
// NMEA 4.10 (talker GN, one GSA per system with its system ID, GSV per
// system's talker with a signal ID). Each result is a whole sentence with
// checksum and CR LF; GSV is a series of messages of four satellites each.
#pragma once

#include "simulator/epoch_report.h"

#include <string>
#include <string_view>
#include <vector>

namespace sim {

// `talker` is the two letters after "$": "GP" or "GN".
std::string GgaSentence(const EpochReport& report, std::string_view talker = "GP");
std::string GllSentence(const EpochReport& report, std::string_view talker = "GP");
std::string GsaSentence(const EpochReport& report);
std::vector<std::string> GsvSentences(const EpochReport& report);
std::string RmcSentence(const EpochReport& report, std::string_view talker = "GP");
std::string VtgSentence(const EpochReport& report, std::string_view talker = "GP");

// NMEA 4.10: $GNGSA of one system's used satellites, ended by its system ID
// (1 GPS, 2 GLONASS, 3 Galileo, 4 BeiDou).
std::string GnssGsaSentence(const EpochReport& report, GnssSystem system);
// NMEA 4.10: the GSV series of one system (talker GP, GL, GA or GB), each
// message ended by the signal ID (1 L1 C/A, G1 C/A, B1I; 7 Galileo E1).
std::vector<std::string> GnssGsvSentences(const EpochReport& report, GnssSystem system);

}  // namespace sim
