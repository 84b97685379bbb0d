// The simulated receiver a program starts for its command line's
// --simulate, --simulate-gnss, --simulate-family, --simulate-stationary and --replay
// (platform/core/port_options.h): one receiver for the program's whole run.
#pragma once

#include <string>

#include "platform/core/port_options.h"

// A SimulatorStarter: a pseudo-terminal talking NMEA at 4800 bps, its clock
// starting at the current UTC time; of four constellations, or as a
// receiver of a family, as `options` ask. With a log to play, at the speed
// its recording names (else 4800 bps), faster by the replay speed, over and
// over unless asked for once. The pseudo-terminal's path, or empty when the
// receiver did not start (the reason on standard error).
std::string StartProgramSimulator(unsigned number, const PortOptions& options);
