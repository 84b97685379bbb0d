#include "platform/afx/afx_main.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

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

// The name messages and the usage give the program: the application's (the
// executable's file name), not the path it was started by.
std::string ProgramName(const CWinApp* app, const char* argv0) {
  if (app != nullptr) return QString::fromWCharArray(app->m_pszAppName).toStdString();
  std::string path = argv0 != nullptr ? argv0 : "";
  return path.substr(path.find_last_of('/') + 1);
}

int RefuseCommandLine(const std::string& program, const std::string& error) {
  std::fprintf(stderr, "%s: %s\n%s", program.c_str(), error.c_str(), CommandLineUsage(program).c_str());
  return 2;
}

// When its platform plugin cannot reach a display server, the QApplication
// constructor ends the program with qFatal (abort, exit status 134) and the
// advice to reinstall the application. The environment cannot tell
// beforehand whether a display can be opened: DISPLAY may name a server that
// is gone or refuses us, and -platform, -display or QT_QPA_PLATFORM may
// choose another. So the constructor runs with a message handler that holds
// Qt's messages back and turns a fatal message that follows a complaint of
// the xcb or wayland plugin (the categories qt.qpa.xcb, qt.qpa.wayland...)
// into one line that says what to do, and exit status 1. Any other fatal
// message, and every held message once the application stands, goes out as
// Qt would have sent it.
class DisplayWatch {
 public:
  static void Begin(const std::string& program) {
    s_program = program;
    s_previous = qInstallMessageHandler(&Hold);
  }
  static void End() {
    qInstallMessageHandler(s_previous);
    Release();
  }

 private:
  struct Held {
    QtMsgType type;
    const char* file;  // the context's strings are literals
    int line;
    const char* function;
    const char* category;
    QString text;
  };

  static void Forward(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (s_previous != nullptr) {
      s_previous(type, context, text);
    } else {
      std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, text).toLocal8Bit().constData());
    }
  }

  static void Release() {
    std::lock_guard lock(s_lock);
    for (const Held& held : s_held) {
      Forward(held.type, QMessageLogContext(held.file, held.line, held.function, held.category), held.text);
    }
    s_held.clear();
  }

  static void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const std::string_view category = context.category != nullptr ? context.category : "";
    if (type != QtFatalMsg) {
      std::lock_guard lock(s_lock);
      if (type != QtDebugMsg && (category.starts_with("qt.qpa.xcb") || category.starts_with("qt.qpa.wayland"))) {
        s_unreachable = text.trimmed();
      }
      s_held.push_back(Held{type, context.file, context.line, context.function, context.category, text});
      return;
    }
    QString unreachable;
    {
      std::lock_guard lock(s_lock);
      unreachable = s_unreachable;
    }
    if (unreachable.isEmpty()) {
      Release();
      Forward(type, context, text);  // Qt aborts when this returns
      return;
    }
    if (DebugEnabled()) Release();
    std::fprintf(stderr,
                 "%s: no display (%s): set DISPLAY to an X server (or WAYLAND_DISPLAY), or run scripts/run-zelmora\n",
                 s_program.c_str(), unreachable.toLocal8Bit().constData());
    // The QApplication is half made and returning would abort: leave at once.
    // Nothing of the program's has started yet that would need closing.
    std::fflush(stdout);
    std::_Exit(1);
  }

  static inline std::string s_program;
  static inline QtMessageHandler s_previous = nullptr;
  static inline std::vector<Held> s_held;
  static inline QString s_unreachable;
  static inline std::mutex s_lock;  // Qt may log from its threads too
};

}  // namespace

int AfxWinMain(int argc, char** argv, const SimulatorStarter& startSimulator, const std::function<void()>& onGpsOnly,
               const std::function<void(const std::string&)>& onRecord,
               const std::function<bool(const std::string&)>& onReference) {
  // The whole command line is read, and --help and --version answered,
  // before anything needs a display.
  CWinApp* app = AfxGetApp();
  const std::string program = ProgramName(app, argc > 0 ? argv[0] : nullptr);
  CommandLine line;
  std::string error;
  if (!ReadCommandLine(ArgumentsOf(argc, argv), true, line, &error)) return RefuseCommandLine(program, error);
  if (line.help) {
    std::fputs(CommandLineUsage(program).c_str(), stdout);
    return 0;
  }
  if (line.version) {
    std::printf("%s %s\n", program.c_str(), ModuleFileVersion(nullptr).c_str());
    return 0;
  }
  if (line.debug) SetDebugEnabled(true);
  if (line.reference && !(onReference && onReference(*line.reference))) {
    return RefuseCommandLine(
        program, "--reference " + *line.reference + " is not LAT,LON or LAT,LON,ALT in decimal degrees and metres");
  }

  DisplayWatch::Begin(program);
  QApplication application(argc, argv);
  DisplayWatch::End();
  // Qt has taken its own options out of argv; whatever is left must be ours.
  CommandLine strict;
  if (!ReadCommandLine(ArgumentsOf(argc, argv), false, strict, &error)) return RefuseCommandLine(program, error);
  if (line.gpsOnly && onGpsOnly) onGpsOnly();
  if (!line.recordPath.empty() && onRecord) onRecord(line.recordPath);
  if (line.screen) SetScreenSize(line.screen->width, line.screen->height);
  if (!ApplyPortOptions(line.ports, startSimulator, &error)) return RefuseCommandLine(program, error);
  if (app == nullptr) return 1;
  QApplication::setApplicationName(QString::fromWCharArray(app->m_pszAppName));
  QApplication::setWindowIcon(ProgramIcon());
  // The menu entry that make install puts in share/applications.
  QGuiApplication::setDesktopFileName(QApplication::applicationName().toLower());
  StartMessagePump();
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
