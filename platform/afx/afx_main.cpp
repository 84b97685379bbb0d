#include "platform/afx/afx_main.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <string>

#include "platform/afx/command_line.h"
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

// The file version of the module's version record (VS_FIXEDFILEINFO, found
// by its signature), "a.b.c.d"; empty without one.
std::string FileVersion() {
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_VERSION);
  const auto* data = static_cast<const BYTE*>(LoadResource(nullptr, resource));
  DWORD size = SizeofResource(nullptr, resource);
  auto dword = [data](DWORD at) {
    return static_cast<DWORD>(data[at] | data[at + 1] << 8 | data[at + 2] << 16 |
                              static_cast<DWORD>(data[at + 3]) << 24);
  };
  for (DWORD at = 0; data != nullptr && at + 16 <= size; at += 4) {
    if (dword(at) != 0xFEEF04BD) continue;
    DWORD high = dword(at + 8);
    DWORD low = dword(at + 12);
    return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16) + "." +
           std::to_string(low & 0xFFFF);
  }
  return {};
}

// The program's icon is the module's first icon group, as the handheld's
// shell takes it for the executable.
QIcon ProgramIcon() {
  const ResourceModule* module = ResourceModule::FromHandle(nullptr);
  if (module == nullptr) return {};
  for (const ResourceEntry& entry : module->Entries()) {
    if (entry.type != RT_GROUP_ICON) continue;
    QImage image = LoadIconImage(nullptr, entry.name);
    if (!image.isNull()) return QIcon(QPixmap::fromImage(image));
  }
  return {};
}

}  // namespace

int AfxWinMain(int argc, char** argv, const SimulatorStarter& startSimulator) {
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
    std::printf("%s %s\n", name.c_str(), FileVersion().c_str());
    return 0;
  }

  QApplication application(argc, argv);
  // Qt has taken its own options out of argv; whatever is left must be ours.
  CommandLine strict;
  if (!ReadCommandLine(ArgumentsOf(argc, argv), false, strict, &error)) return RefuseCommandLine(argv[0], error);
  if (line.screen) SetScreenSize(line.screen->width, line.screen->height);
  if (!ApplyPortOptions(line.ports, startSimulator, &error)) return RefuseCommandLine(argv[0], error);
  if (app == nullptr) return 1;
  QApplication::setApplicationName(QString::fromWCharArray(app->m_pszAppName));
  QApplication::setWindowIcon(ProgramIcon());
  StartMessagePump();
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
