// The program's entry: the framework's start-up around the application
// object.
#pragma once

// Creates the QApplication, reads the command line (--screen WxH, --port
// COMn:=PATH, --simulate[=COMn:]), starts the user-interface message pump,
// calls the application object's InitInstance and then ExitInstance (or Run
// when InitInstance returns TRUE) and returns the exit code. A command line
// that cannot be read prints the usage and gives 2.
int AfxWinMain(int argc, char** argv);
