#include "platform/afx/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <algorithm>
#include <iterator>

namespace {

struct OptionRow {
  const char* name;
  const char* valueName;  // null for a switch
  bool optionalValue;     // --name[=VALUE]
  const char* help;       // lines after the first are indented under it
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
    {"screen", "WxH", false, "size of the simulated handheld screen (default\n480x640; Ctrl+R rotates it)",
     &ReadScreen},
    {"port", "COMn:=PATH", false,
     "the serial device (any tty) or network source\n(tcp://, udp://, gpsd://; see README) that\nCOMn: opens (n from 1 "
     "to 9; once for each number)",
     [](const std::string& value, CommandLine& line, std::string* error) {
       return ReadPortPin(value, line.ports, error);
     }},
    {"simulate", "COMn:", true, "a simulated receiver at 4800 bps as COM1: (or COMn:)",
     [](const std::string& value, CommandLine& line, std::string* error) {
       return ReadSimulatorPort(value, line.ports, error);
     }},
    {"simulate-gnss", "COMn:", true, "the same with a receiver of GPS, GLONASS, Galileo\nand BeiDou speaking NMEA 4.10",
     [](const std::string& value, CommandLine& line, std::string* error) {
       return ReadSimulatorPort(value, line.ports, error, true);
     }},
    {"simulate-family", "NAME", false,
     "the simulated receiver behaves as a receiver of\nthat family: its banner, its answer to the probe,\nits hot, "
     "warm, cold and factory starts (sirf,\nmediatek, ublox, quectel-pqtm, quectel-pair,\nteseo, casic)",
     [](const std::string& value, CommandLine& line, std::string* error) {
       return ReadSimulatorFamily(value, line.ports, error);
     }},
    {"replay", "FILE[=COMn:]", false,
     "a simulated receiver as COM1: (or COMn:) that plays\na recorded log at its own pace: a Zelmora\nrecording "
     "read by read at its receive times,\nany other NMEA log at its sentences' UTC times",
     [](const std::string& value, CommandLine& line, std::string* error) {
       return ReadReplay(value, line.ports, error);
     }},
    {"replay-speed", "FACTOR", false, "plays the log that many times faster (0.1 to 100)",
     [](const std::string& value, CommandLine& line, std::string* error) {
       return ReadReplaySpeed(value, line.ports, error);
     }},
    {"replay-once", nullptr, false, "plays the log once, then the receiver is silent\n(else it starts over)",
     [](const std::string&, CommandLine& line, std::string*) { return line.ports.replayOnce = true; }},
    {"record", "FILE", false,
     "records the session from Start GPS into FILE: every\nbyte received, with its time (else the Setup\npage's "
     "Record button names the file)",
     [](const std::string& value, CommandLine& line, std::string* error) {
       if (value.empty()) {
         *error = "--record wants a FILE";
         return false;
       }
       line.recordPath = value;
       return true;
     }},
    {"simulate-stationary", nullptr, false,
     "the simulated receiver stands at one point instead\nof driving; its fixes wander a few metres around it",
     [](const std::string&, CommandLine& line, std::string*) { return line.ports.simulatorStationary = true; }},
    {"reference", "POINT", false,
     "the Accuracy page measures from POINT, LAT,LON or\nLAT,LON,ALT (decimal degrees, metres), instead of\nthe mean "
     "of the fixes",
     [](const std::string& value, CommandLine& line, std::string*) {
       line.reference = value;
       return true;
     }},
    {"gps-only", nullptr, false, "decodes $GP sentences only, as the handheld did",
     [](const std::string&, CommandLine& line, std::string*) { return line.gpsOnly = true; }},
    {"debug", nullptr, false,
     "explains on standard error why ports are listed,\nleft out, fail to open or are lost\n(as ZELMORA_DEBUG=1 does)",
     [](const std::string&, CommandLine& line, std::string*) { return line.debug = true; }},
    {"version", nullptr, false, "prints the program's version",
     [](const std::string&, CommandLine& line, std::string*) { return line.version = true; }},
    {"help", nullptr, false, "prints this text",
     [](const std::string&, CommandLine& line, std::string*) { return line.help = true; }},
};

// Qt's own options, with one dash or two, which QApplication takes out of
// argv: those of QGuiApplication, QApplication and the xcb platform plugin.
// Before the QApplication exists they are passed over with their values. A
// name here that Qt does not take after all (-geometry off X11) is still in
// argv once the QApplication stands, and refused then.
struct QtOption {
  const char* name;
  bool value;  // takes the next argument (or =VALUE)
};

constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowtitle", true},
    {"qwindowicon", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"name", true},
    {"visual", true},
    {"qmljsdebugger", false},
    {"reverse", false},
    {"widgetcount", false},
    {"testability", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

QStringList WithoutQtOptions(const QStringList& arguments) {
  QStringList rest;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (i == 0 || !argument.startsWith(QLatin1Char('-')) || argument == QStringLiteral("--")) {
      rest.push_back(argument);
      continue;
    }
    QStringView name = QStringView(argument).mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    if (equals >= 0) name = name.left(equals);
    const auto* qt = std::find_if(std::begin(kQtOptions), std::end(kQtOptions),
                                  [&](const QtOption& option) { return name == QLatin1String(option.name); });
    if (qt == std::end(kQtOptions)) {
      rest.push_back(argument);
    } else if (qt->value && equals < 0) {
      ++i;
    }
  }
  return rest;
}

std::string Synopsis(const OptionRow& row) {
  std::string text = std::string("--") + row.name;
  if (row.valueName == nullptr) return text;
  if (row.optionalValue) return text + "[=" + row.valueName + "]";
  return text + " " + row.valueName;
}

}  // namespace

bool ReadCommandLine(const QStringList& arguments, bool leaveQtOptions, CommandLine& line, std::string* error) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
  for (const OptionRow& row : kOptions) {
    QCommandLineOption option(QString::fromLatin1(row.name));
    if (row.valueName != nullptr) option.setValueName(QString::fromLatin1(row.valueName));
    parser.addOption(option);
  }
  // The parser knows no optional values: a bare --name of such an option
  // becomes --name= (empty value), so that it never takes the next argument.
  QStringList normalized = leaveQtOptions ? WithoutQtOptions(arguments) : arguments;
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
    message = parser.errorText().toStdString();
    return false;
  }
  if (!parser.positionalArguments().isEmpty()) {
    message = "unknown argument " + parser.positionalArguments().front().toStdString();
    return false;
  }
  for (const OptionRow& row : kOptions) {
    QString name = QString::fromLatin1(row.name);
    if (!parser.isSet(name)) continue;
    // A value option given twice: every value is read, and a --port or
    // --simulate value that contradicts an earlier one is refused; for
    // --screen the last counts.
    QStringList values = row.valueName != nullptr ? parser.values(name) : QStringList{QString()};
    for (const QString& value : values) {
      if (!row.read(value.toStdString(), line, &message)) return false;
    }
  }
  return CheckPortOptions(line.ports, &message);
}

std::string CommandLineUsage(const std::string& program) {
  std::size_t column = 0;
  for (const OptionRow& row : kOptions) column = std::max(column, Synopsis(row).size() + 2);
  const std::string indent(2 + column, ' ');
  std::string text = "usage: " + program + " [options]\n";
  for (const OptionRow& row : kOptions) {
    const std::string synopsis = Synopsis(row);
    const std::string help = row.help;
    text += "  " + synopsis + std::string(column - synopsis.size(), ' ');
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
