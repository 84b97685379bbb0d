// One epoch of the demo fix as a receiver sends it: the six canned sentences
// of demo mode (GGA, GSA, three GSV, RMC; 9 March 2007, 24.186 N 120.610 E,
// twelve satellites in view), each ended by CR LF. The program's own copy is
// its string table (IDS_DEMO_GGA to IDS_DEMO_RMC), which tests/resources
// checks against this one; tests and benchmarks take their bytes from here.
#pragma once

#include <string_view>

inline constexpr std::string_view kCannedEpoch =
    "$GPGGA,013345,2411.1630,N,12036.6100,E,1,07,2.0,0.0,M,,,,0000*17\r\n"
    "$GPGSA,A,3,01,03,05,07,09,11,13,15,17,19,21,23,7.5,6.9,5.4*3D\r\n"
    "$GPGSV,3,1,12,01,06,157,10,03,62,104,21,05,20,208,26,07,56,057,25*74\r\n"
    "$GPGSV,3,2,12,09,86,250,46,11,17,120,08,13,89,164,49,15,08,225,04*74\r\n"
    "$GPGSV,3,3,12,17,39,335,02,19,80,104,11,21,69,147,10,23,56,217,22*7D\r\n"
    "$GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,*1C\r\n";
inline constexpr int kCannedEpochLines = 6;

// Sentence `index` (0 to 5, in the order above) without its CR LF.
constexpr std::string_view CannedSentence(int index) {
  std::string_view rest = kCannedEpoch;
  for (int i = 0; i < index; ++i) rest.remove_prefix(rest.find("\r\n") + 2);
  return rest.substr(0, rest.find("\r\n"));
}

// The epoch's last sentence, the RMC, alone with its CR LF.
inline constexpr std::string_view kCannedRmc = kCannedEpoch.substr(kCannedEpoch.find("$GPRMC"));
