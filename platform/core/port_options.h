// The values of the command-line options that fill the COM device table:
//   --port COMn:=PATH         pins COMn: to the tty at PATH (repeatable; any
//                             tty: /dev/ttyUSB0, /dev/pts/3, /dev/rfcomm0)
//   --port COMn:=URL          pins COMn: to a network source: tcp://HOST:PORT,
//                             udp://[ADDRESS]:PORT, gpsd://HOST[:PORT][/DEVICE]
//   --simulate[=COMn:]        runs the simulated receiver and pins it as COM1:
//                             (or COMn:)
//   --simulate-gnss[=COMn:]   the same, the receiver of four constellations
//   --simulate-family NAME    the simulated receiver behaves as a receiver of
//                             that family (its banner, probe reply, starts)
//   --replay FILE[=COMn:]     the simulated receiver plays a recorded log as
//                             COM1: (or COMn:)
//   --replay-speed FACTOR     plays it that many times faster (0.1 to 100)
//   --replay-once             plays it once instead of over and over
// n is from 1 to 9, each COM number has one device and there is one simulated
// receiver: a value that contradicts an earlier one is refused, naming both.
// The program's command line hands each value here, then applies them all
// once at start-up with a hook that starts the simulated receiver.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct PortOptions;

// Starts the simulated receiver for "COM<number>:" as `options` ask (of four
// constellations, as a receiver of a family, standing at one point instead
// of driving, or playing a log) and returns the path of its pseudo-terminal,
// or an empty string when it could not be started.
using SimulatorStarter = std::function<std::string(unsigned number, const PortOptions& options)>;

struct PortOptions {
  std::vector<std::pair<unsigned, std::string>> pins;  // port number, tty path
  std::optional<unsigned> simulator;                   // the simulated receiver's port number
  bool simulatorGnss = false;                          // it speaks NMEA 4.10 of four constellations (--simulate-gnss)
  std::string simulatorOption;                         // as given: "--simulate", "--simulate-gnss=COM2:"
  std::string simulatorFamily;                         // --simulate-family: the family's id, or empty
  std::string replayPath;                              // --replay: the log it plays, or empty
  double replaySpeed = 1.0;                            // --replay-speed
  bool replayOnce = false;                             // --replay-once
  bool replaySpeedGiven = false;
  bool simulatorStationary = false;  // --simulate-stationary: it stands at one point
};

// The family ids the program's simulated receiver knows, set once at
// start-up by the program that has one; --simulate-family takes only these.
void SetSimulatorFamilies(std::vector<std::string> ids);

// Reads one --port value, "COMn:=PATH" or "COMn:=URL" (the colon may be left
// out, n from 1 to 9), into `options`. False, with a message for the user,
// otherwise, for a COM number an earlier pin or the simulated receiver has,
// for a path that exists but is no serial device (a file, /dev/ptmx ...; see
// CheckSerialDevicePath; the path is not opened), and for a URL of the three
// schemes that does not read (ParseNetworkSource; nothing is connected).
bool ReadPortPin(const std::string& value, PortOptions& options, std::string* error);
// Reads one --simulate value (--simulate-gnss with `multiConstellation`):
// "COMn:", or empty for COM1:. False, with a message, for a second simulated
// receiver and for a COM number a pin has.
bool ReadSimulatorPort(const std::string& value, PortOptions& options, std::string* error,
                       bool multiConstellation = false);
// Reads the --simulate-family value: one of the ids SetSimulatorFamilies
// gave. False, with a message listing them, for any other name.
bool ReadSimulatorFamily(const std::string& value, PortOptions& options, std::string* error);
// Reads one --replay value: "FILE" or "FILE=COMn:" (COM1: when no port is
// named). False, with a message, for a file that cannot be read, a second
// simulated receiver and a COM number a pin has.
bool ReadReplay(const std::string& value, PortOptions& options, std::string* error);
// Reads the --replay-speed value, a factor from 0.1 to 100 ("2", "0.5").
bool ReadReplaySpeed(const std::string& value, PortOptions& options, std::string* error);
// False, with a message, for options that contradict each other as a whole:
// --simulate-family or --simulate-stationary without a simulated receiver,
// --replay-speed or --replay-once without --replay.
bool CheckPortOptions(const PortOptions& options, std::string* error);
// Enters the pins into ComDeviceTable::Active() and, for --simulate, starts
// the simulated receiver with `startSimulator` and pins its pseudo-terminal.
// False, with a message, for a missing hook or a simulator that did not
// start; the pins are in the table then.
bool ApplyPortOptions(const PortOptions& options, const SimulatorStarter& startSimulator, std::string* error);
