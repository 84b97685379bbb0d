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
  PortOptions ports;
};

// Reads `arguments` (the program's name first) into `line`. With
// `leaveUnknown`, options this table does not know and arguments that are no
// option are left alone: before the QApplication exists they may be Qt's own
// (-style fusion). Without it they are errors. False, with a message for the
// user in `error`, for a malformed command line.
bool ReadCommandLine(const QStringList& arguments, bool leaveUnknown, CommandLine& line, std::string* error);

// "usage: <program> [--screen WxH] ..." and one paragraph per option.
std::string CommandLineUsage(const std::string& program);
