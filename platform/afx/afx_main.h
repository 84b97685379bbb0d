// The program's entry: the framework's start-up around the application
// object.
#pragma once

#include <functional>

#include "platform/core/port_options.h"

// Reads the command line (command_line.h): --help and --version print and
// return 0 before a display is needed. Else creates the QApplication with the
// program's icon, sets the screen (--screen WxH), enters the port options
// (--port COMn:=PATH, --simulate[=COMn:] and --simulate-gnss[=COMn:], which
// run `startSimulator`) into the COM device table, calls `onGpsOnly` for
// --gps-only, starts the user-interface message pump, calls the
// application object's InitInstance and then ExitInstance (or Run when
// InitInstance returns TRUE) and returns the exit code. The settings stay in
// the user's registry file, the registry's HKEY_CURRENT_USER. A command line
// that cannot be read prints the usage and gives 2.
int AfxWinMain(int argc, char** argv, const SimulatorStarter& startSimulator,
               const std::function<void()>& onGpsOnly = {});
