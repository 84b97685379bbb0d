#include "platform/afx/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <span>

namespace {

struct OptionRow {
  const char* name;
  const char* valueName;  // null for a switch
  bool optionalValue;     // --name[=VALUE]
  bool repeatable;
  const char* help;  // lines after the first are indented under it
  bool (*read)(const std::string& value, CommandLine& line, std::string* error);
};

bool ReadScreen(const std::string& value, CommandLine& line, std::string* error) {
  int width = 0;
  int height = 0;
  if (!ParseScreenSize(value, width, height)) {
    *error = "--screen wants WIDTHxHEIGHT, e.g. 480x640";
    return false;
  }
  if (!IsSupportedScreenSize(width, height)) {
    *error = "--screen " + value + ": the pages have layouts for " + SupportedScreenSizesText() + " only";
    return false;
  }
  line.screen = ScreenSize{width, height};
  return true;
}

constexpr OptionRow kOptions[] = {
    {"screen", "WxH", false, false, "size of the simulated handheld screen (default 480x640;\nCtrl+R rotates it)",
     &ReadScreen},
    {"port", "COMn:=PATH", false, true, "the serial device (any tty) that COMn: opens",
     [](const std::string& value, CommandLine& line, std::string* error) {
       return ReadPortPin(value, line.ports, error);
     }},
    {"simulate", "COMn:", true, false, "a simulated receiver at 4800 bps as COM1: (or COMn:)",
     [](const std::string& value, CommandLine& line, std::string* error) {
       return ReadSimulatorPort(value, line.ports, error);
     }},
    {"simulate-gnss", "COMn:", true, false,
     "the same with a receiver of GPS, GLONASS, Galileo\nand BeiDou speaking NMEA 4.10",
     [](const std::string& value, CommandLine& line, std::string* error) {
       line.ports.simulatorGnss = true;
       return ReadSimulatorPort(value, line.ports, error);
     }},
    {"gps-only", nullptr, false, false, "decodes $GP sentences only, as the handheld did",
     [](const std::string&, CommandLine& line, std::string*) { return line.gpsOnly = true; }},
    {"debug", nullptr, false, false,
     "explains on standard error why ports are listed, left out,\nfail to open or are lost (as ZELMORA_DEBUG=1 does)",
     [](const std::string&, CommandLine& line, std::string*) { return line.debug = true; }},
    {"version", nullptr, false, false, "prints the program's version",
     [](const std::string&, CommandLine& line, std::string*) { return line.version = true; }},
    {"help", nullptr, false, false, "prints this text",
     [](const std::string&, CommandLine& line, std::string*) { return line.help = true; }},
};

constexpr int kOptionColumn = 21;

std::string Synopsis(const OptionRow& row) {
  std::string text = std::string("--") + row.name;
  if (row.valueName == nullptr) return text;
  if (row.optionalValue) return text + "[=" + row.valueName + "]";
  return text + " " + row.valueName;
}

}  // namespace

bool ReadCommandLine(const QStringList& arguments, bool leaveUnknown, CommandLine& line, std::string* error) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
  for (const OptionRow& row : kOptions) {
    QCommandLineOption option(QString::fromLatin1(row.name));
    if (row.valueName != nullptr) option.setValueName(QString::fromLatin1(row.valueName));
    parser.addOption(option);
  }
  // The parser knows no optional values: a bare --name of such an option
  // becomes --name= (empty value), so that it never takes the next argument.
  QStringList normalized = arguments;
  for (const OptionRow& row : kOptions) {
    if (!row.optionalValue) continue;
    QString bare = QStringLiteral("--") + QString::fromLatin1(row.name);
    for (QString& argument : normalized) {
      if (argument == bare) argument += QLatin1Char('=');
    }
  }
  std::string ignored;
  std::string& message = error != nullptr ? *error : ignored;
  if (!parser.parse(normalized)) {
    // The parser reports a missing or unexpected value before unknown options.
    bool onlyUnknown =
        !parser.unknownOptionNames().isEmpty() && parser.errorText().startsWith(QStringLiteral("Unknown option"));
    if (!leaveUnknown || !onlyUnknown) {
      message = parser.errorText().toStdString();
      return false;
    }
  }
  if (!leaveUnknown && !parser.positionalArguments().isEmpty()) {
    message = "unknown argument " + parser.positionalArguments().front().toStdString();
    return false;
  }
  for (const OptionRow& row : kOptions) {
    QString name = QString::fromLatin1(row.name);
    if (!parser.isSet(name)) continue;
    // A value option given twice: every value is read; for a single one the
    // last counts.
    QStringList values = row.valueName != nullptr ? parser.values(name) : QStringList{QString()};
    for (const QString& value : values) {
      if (!row.read(value.toStdString(), line, &message)) return false;
    }
  }
  return true;
}

std::string CommandLineUsage(const std::string& program) {
  std::string text = "usage: " + program;
  for (const OptionRow& row : kOptions) text += " [" + Synopsis(row) + "]" + (row.repeatable ? "..." : "");
  text += "\n";
  for (const OptionRow& row : kOptions) {
    std::string synopsis = Synopsis(row);
    std::string help = row.help;
    std::string indent(2 + kOptionColumn, ' ');
    text += "  " + synopsis + std::string(synopsis.size() < kOptionColumn ? kOptionColumn - synopsis.size() : 1, ' ');
    for (std::size_t start = 0; start <= help.size();) {
      std::size_t end = help.find('\n', start);
      if (end == std::string::npos) end = help.size();
      if (start > 0) text += indent;
      text += help.substr(start, end - start) + "\n";
      start = end + 1;
    }
  }
  return text;
}
