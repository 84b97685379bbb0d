// The program's entry: the framework's start-up around the application
// object.
#pragma once

#include <functional>
#include <string>

#include "platform/core/port_options.h"

// Reads the command line (command_line.h) before a display is needed:
// --help and --version print and return 0, a command line that cannot be
// read prints the usage and gives 2. Else creates the QApplication (when no
// display can be opened: one line that says so, and exit status 1) with the
// program's icon, sets the screen (--screen WxH), enters the port options
// (--port COMn:=PATH; --simulate[=COMn:], --simulate-gnss[=COMn:] and
// --replay FILE[=COMn:], which run `startSimulator`) into the COM device
// table, calls `onGpsOnly` for --gps-only, `onRecord` with --record's file
// and `onReference` with --reference's value (false refuses it as a
// malformed command line), starts the user-interface message pump, calls the
// application object's InitInstance and then ExitInstance (or Run when
// InitInstance returns TRUE) and returns the exit code. The settings stay in
// the user's registry file, the registry's HKEY_CURRENT_USER.
int AfxWinMain(int argc, char** argv, const SimulatorStarter& startSimulator,
               const std::function<void()>& onGpsOnly = {},
               const std::function<void(const std::string&)>& onRecord = {},
               const std::function<bool(const std::string&)>& onReference = {});
