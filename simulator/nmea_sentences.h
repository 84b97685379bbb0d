// The sentences a GPS receiver of the NMEA-0183 2.3 era sends each second,
// built from one EpochReport. Each result is a whole sentence with checksum
// and CR LF; GSV is a series of messages of four satellites each.
#pragma once

#include "simulator/epoch_report.h"

#include <string>
#include <vector>

namespace sim {

std::string GgaSentence(const EpochReport& report);
std::string GllSentence(const EpochReport& report);
std::string GsaSentence(const EpochReport& report);
std::vector<std::string> GsvSentences(const EpochReport& report);
std::string RmcSentence(const EpochReport& report);
std::string VtgSentence(const EpochReport& report);

}  // namespace sim
