// Zelmora's command line, read with QCommandLineParser. One table lists the
// options (name, value, help, what a value does); the parser and the usage
// text are made from it, so a new option is one row.
#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "platform/core/port_options.h"
#include "platform/ui/screen.h"

struct CommandLine {
  bool help = false;
  bool version = false;
  bool debug = false;
  bool gpsOnly = false;  // --gps-only: decode $GP sentences only, as the handheld did
  std::optional<ScreenSize> screen;
  std::optional<std::string> reference;  // --reference: the Accuracy page's point, as given
  PortOptions ports;
  std::string recordPath;  // --record FILE: the first session is recorded into it
};

// Reads `arguments` (the program's name first) into `line`. With
// `leaveQtOptions`, Qt's own options and their values (-style fusion,
// -platform offscreen) are passed over: before the QApplication exists they
// are still there. Any other option this table does not know and any
// argument that is no option is an error. False, with a message for the
// user in `error`, for a malformed or contradictory command line.
bool ReadCommandLine(const QStringList& arguments, bool leaveQtOptions, CommandLine& line, std::string* error);

// "usage: <program> [options]" and one paragraph per option, the texts
// lined up in one column.
std::string CommandLineUsage(const std::string& program);
