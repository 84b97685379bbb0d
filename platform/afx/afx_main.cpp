#include "platform/afx/afx_main.h"

#include <QApplication>
#include <cstdio>
#include <string>

#include "platform/afx/command_line.h"
#include "platform/core/diagnostics.h"
#include "platform/afx/win_app.h"
#include "platform/core/registry.h"
#include "platform/core/resources.h"
#include "platform/ui/resource_images.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_application.h"

namespace {

QStringList ArgumentsOf(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(QString::fromLocal8Bit(argv[i]));
  return arguments;
}

int RefuseCommandLine(const char* program, const std::string& error) {
  std::fprintf(stderr, "%s: %s\n%s", program, error.c_str(), CommandLineUsage(program).c_str());
  return 2;
}

}  // namespace

int AfxWinMain(int argc, char** argv, const SimulatorStarter& startSimulator, const std::function<void()>& onGpsOnly) {
  // --help and --version are answered before anything needs a display.
  CommandLine line;
  std::string error;
  if (!ReadCommandLine(ArgumentsOf(argc, argv), true, line, &error)) return RefuseCommandLine(argv[0], error);
  CWinApp* app = AfxGetApp();
  if (line.help) {
    std::fputs(CommandLineUsage(argv[0]).c_str(), stdout);
    return 0;
  }
  if (line.version) {
    std::string name = app != nullptr ? QString::fromWCharArray(app->m_pszAppName).toStdString() : argv[0];
    std::printf("%s %s\n", name.c_str(), ModuleFileVersion(nullptr).c_str());
    return 0;
  }

  QApplication application(argc, argv);
  // Qt has taken its own options out of argv; whatever is left must be ours.
  CommandLine strict;
  if (!ReadCommandLine(ArgumentsOf(argc, argv), false, strict, &error)) return RefuseCommandLine(argv[0], error);
  if (line.debug) SetDebugEnabled(true);
  if (line.gpsOnly && onGpsOnly) onGpsOnly();
  if (line.screen) SetScreenSize(line.screen->width, line.screen->height);
  if (!ApplyPortOptions(line.ports, startSimulator, &error)) return RefuseCommandLine(argv[0], error);
  if (app == nullptr) return 1;
  QApplication::setApplicationName(QString::fromWCharArray(app->m_pszAppName));
  QApplication::setWindowIcon(ProgramIcon());
  // The menu entry that make install puts in share/applications.
  QGuiApplication::setDesktopFileName(QApplication::applicationName().toLower());
  StartMessagePump();
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
