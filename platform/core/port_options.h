// The command-line options that fill the COM device table:
//   --port COMn:=PATH     pins COMn: to the tty at PATH (also --port=COMn:=PATH;
//                         repeatable; any tty: /dev/ttyUSB0, /dev/pts/3, /dev/rfcomm0)
//   --simulate            runs the simulated receiver and pins it as COM1:
//   --simulate=COMn:      ... as COMn:
// The program calls ParsePortOptions once at start-up, before Qt sees the
// arguments, with a hook that starts the simulated receiver.
#pragma once

#include <functional>
#include <string>

// Starts the simulated receiver for "COM<number>:" and returns the path of
// its pseudo-terminal, or an empty string when it could not be started.
using SimulatorStarter = std::function<std::string(unsigned number)>;

// Reads the options above from argv, enters them into ComDeviceTable::Active()
// and removes them from argv (argc updated, argv[argc] stays NULL), leaving
// every other argument in its order. For --simulate it calls `startSimulator`.
// False, with a message for the user in `error`, for a malformed option, a
// --port path that exists but is no serial device (a file, /dev/ptmx ...;
// see CheckSerialDevicePath; the path is not opened), a missing hook or a simulator that did not start; the table may
// then hold the pins read before the fault.
bool ParsePortOptions(int& argc, char** argv, const SimulatorStarter& startSimulator, std::string* error);
