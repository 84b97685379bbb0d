#include "platform/afx/afx_main.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/afx/win_app.h"
#include "platform/core/registry.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_application.h"

namespace {

void PrintUsage(const char* program) {
  std::fprintf(stderr,
               "usage: %s [--screen WxH] [--port COMn:=PATH]... [--simulate[-gnss][=COMn:]] [--gps-only]\n"
               "  --screen WxH         size of the simulated handheld screen (default 480x640;\n"
               "                       Ctrl+R rotates it)\n"
               "  --port COMn:=PATH    the serial device (any tty) that COMn: opens\n"
               "  --simulate[=COMn:]   a simulated receiver at 4800 bps as COM1: (or COMn:)\n"
               "  --simulate-gnss[=COMn:]  the same with a receiver of GPS, GLONASS, Galileo\n"
               "                       and BeiDou speaking NMEA 4.10\n"
               "  --gps-only           decode $GP sentences only, as the handheld did\n",
               program);
}

// Reads the options this layer knows; false for anything else.
bool ReadArguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    std::string size;
    if (argument == "--screen" && i + 1 < argc) {
      size = argv[++i];
    } else if (argument.rfind("--screen=", 0) == 0) {
      size = argument.substr(std::strlen("--screen="));
    } else {
      std::fprintf(stderr, "%s: unknown argument %s\n", argv[0], argument.c_str());
      return false;
    }
    int width = 0;
    int height = 0;
    if (!ParseScreenSize(size, width, height) || !SetScreenSize(width, height)) {
      std::fprintf(stderr, "%s: --screen wants WIDTHxHEIGHT, e.g. 480x640\n", argv[0]);
      return false;
    }
  }
  return true;
}

}  // namespace

int AfxWinMain(int argc, char** argv, const SimulatorStarter& startSimulator) {
  std::string error;
  if (!ParsePortOptions(argc, argv, startSimulator, &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
    PrintUsage(argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  if (!ReadArguments(argc, argv)) {
    PrintUsage(argv[0]);
    return 2;
  }
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  QApplication::setApplicationName(QString::fromWCharArray(app->m_pszAppName));
  StartMessagePump();
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
