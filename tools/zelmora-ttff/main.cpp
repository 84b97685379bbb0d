// zelmora-ttff: the time-to-first-fix test on a serial receiver. Identifies
// the receiver (unless told its family), then runs the test of ttff/: one
// JSON line per run and a summary line on standard output, the CSV file's
// path on standard error. SIGINT or SIGTERM stops the test cleanly: the
// runs so far are summarised and saved.

#include <getopt.h>

#include <atomic>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "acquisition/byte_lines.h"
#include "platform/core/clock.h"
#include "platform/core/com_device_table.h"
#include "platform/core/last_error.h"
#include "receivers/receiver_family.h"
#include "serial/serial_com.h"
#include "ttff/identification.h"
#include "ttff/ttff_csv.h"
#include "ttff/ttff_runner.h"

namespace {

constexpr const char* kUsage =
    "Usage: zelmora-ttff --port PATH --kind hot|warm|cold|factory [options]\n"
    "Measures the receiver's time to first fix: writes its start command of that\n"
    "kind and times the first sentence after it that reports a valid fix (RMC\n"
    "status A or GGA quality 1 or more), N times, 5 to 15 seconds apart.\n"
    "Prints one JSON line per run and a summary line, and saves the runs as CSV\n"
    "under $XDG_DATA_HOME/zelmora (else ~/.local/share/zelmora). Ctrl+C stops.\n"
    "\n"
    "  --port PATH       the receiver's tty (/dev/ttyUSB0 ...)\n"
    "  --speed BPS       its line speed (default 4800)\n"
    "  --kind KIND       hot, warm, cold or factory\n"
    "  --runs N          runs, 1 to 100 (default 10)\n"
    "  --timeout SEC     a run without a fix after SEC seconds is a timeout\n"
    "                    (default 120)\n"
    "  --family NAME     skip identification: sirf, mediatek, ublox, quectel-pqtm,\n"
    "                    quectel-pair, teseo or casic\n"
    "  --seed N          seed of the waits between runs (default: from the clock)\n"
    "  --help            show this text\n";

std::atomic<bool> g_stop{false};

extern "C" void OnSignal(int) { g_stop = true; }

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

struct Options {
  std::string port;
  DWORD speed = 4800;
  std::optional<StartKind> kind;
  int runs = 10;
  std::uint32_t timeoutSeconds = 120;
  const ReceiverFamily* family = nullptr;
  std::optional<std::uint32_t> seed;
};

// Fills options from the arguments; false with a message in error.
bool ParseArguments(int argc, char** argv, Options& options, bool& help, std::string& error) {
  enum { kPort = 1, kSpeed, kKind, kRuns, kTimeout, kFamily, kSeed, kHelp };
  static const option kOptions[] = {{"port", required_argument, nullptr, kPort},
                                    {"speed", required_argument, nullptr, kSpeed},
                                    {"kind", required_argument, nullptr, kKind},
                                    {"runs", required_argument, nullptr, kRuns},
                                    {"timeout", required_argument, nullptr, kTimeout},
                                    {"family", required_argument, nullptr, kFamily},
                                    {"seed", required_argument, nullptr, kSeed},
                                    {"help", no_argument, nullptr, kHelp},
                                    {nullptr, 0, nullptr, 0}};
  opterr = 0;
  int code;
  while ((code = getopt_long(argc, argv, "", kOptions, nullptr)) != -1) {
    const std::string_view value = optarg ? optarg : "";
    const std::string name = optind > 0 && optind <= argc ? argv[optind - 1] : "";
    auto bad = [&](const char* what) {
      error = "bad value \"" + std::string(value) + "\" for " + name.substr(0, name.find('=')) + ": " + what;
      return false;
    };
    switch (code) {
      case kPort:
        options.port = value;
        break;
      case kSpeed: {
        const auto speed = ParseNumber<DWORD>(value);
        if (!speed || *speed == 0) return bad("a speed in bits per second");
        options.speed = *speed;
        break;
      }
      case kKind:
        options.kind = StartKindOfName(value);
        if (!options.kind) return bad("hot, warm, cold or factory");
        break;
      case kRuns: {
        const auto runs = ParseNumber<int>(value);
        if (!runs || *runs < 1 || *runs > CTtffRunner::kMaxRuns) return bad("1 to 100 runs");
        options.runs = *runs;
        break;
      }
      case kTimeout: {
        const auto seconds = ParseNumber<std::uint32_t>(value);
        if (!seconds || *seconds == 0 || *seconds > 3600) return bad("1 to 3600 seconds");
        options.timeoutSeconds = *seconds;
        break;
      }
      case kFamily:
        options.family = FindReceiverFamily(value);
        if (!options.family) return bad("sirf, mediatek, ublox, quectel-pqtm, quectel-pair, teseo or casic");
        break;
      case kSeed: {
        const auto seed = ParseNumber<std::uint32_t>(value);
        if (!seed) return bad("a number from 0 to 4294967295");
        options.seed = *seed;
        break;
      }
      case kHelp:
        help = true;
        return true;
      default:
        error = "unknown option " + std::string(argv[optind - 1]);
        return false;
    }
  }
  if (optind < argc) {
    error = "unexpected argument " + std::string(argv[optind]);
    return false;
  }
  if (options.port.empty()) {
    error = "--port names no tty";
    return false;
  }
  if (!options.kind) {
    error = "--kind is missing";
    return false;
  }
  return true;
}

std::string ReasonOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return "no such device";
    case ERROR_ACCESS_DENIED:
      return "permission denied (is the user in the dialout group?)";
    case ERROR_SHARING_VIOLATION:
      return "in use by another program";
    case ERROR_INVALID_PARAMETER:
      return "not a serial device, or the speed is not supported";
    default:
      return "error " + std::to_string(error);
  }
}

// The port with the test's reads and writes: lines are handed on with the
// tick at which their first byte was read.
class CPort {
 public:
  bool Open(const std::string& path, DWORD speed, std::string& error) {
    // CSerialCom opens COM names: the tty is pinned as the last of them.
    ComDeviceTable::Active().PinPort(kHighestComNumber, path);
    const std::wstring name = L"COM" + std::to_wstring(kHighestComNumber) + L":";
    if (m_com.Open(name.c_str(), speed, 8, NOPARITY, ONESTOPBIT)) return true;
    error = "cannot open " + path + " at " + std::to_string(speed) + " bit/s: " + ReasonOf(GetLastError());
    return false;
  }

  // Reads what has arrived; `onBytes` hears each read, `onLine` each line
  // completed. False when nothing had arrived.
  template <class OnBytes, class OnLine>
  bool Read(OnBytes onBytes, OnLine onLine) {
    char buffer[4096];
    DWORD count = 0;
    if (!m_com.Read(buffer, sizeof buffer, &count) || count == 0) return false;
    const std::uint32_t now = GetTickCount();
    onBytes(std::string_view(buffer, count), now);
    m_lines.Feed(std::string_view(buffer, count), now, onLine);
    return true;
  }

  bool Write(const std::string& bytes) {
    DWORD offset = 0;
    while (offset < bytes.size()) {
      DWORD written = 0;
      if (!m_com.Write(bytes.data() + offset, static_cast<DWORD>(bytes.size() - offset), &written)) return false;
      offset += written;
    }
    return true;
  }

 private:
  CSerialCom m_com;
  CByteLines m_lines;
};

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') json.push_back('\\');
    json.push_back(c);
  }
  return json + "\"";
}

std::string RunJson(const TtffRunRecord& run, const ReceiverFamily& family) {
  std::string json = "{\"run\":" + std::to_string(run.number) + ",\"family\":" + JsonString(family.name) +
                     ",\"family_id\":" + JsonString(run.family) + ",\"kind\":" + JsonString(StartKindName(run.kind)) +
                     ",\"sent\":" + JsonString(run.commandHex) +
                     ",\"utc_start\":" + JsonString(UtcText(run.utcStartMs));
  if (run.timedOut) {
    json += ",\"timeout\":true";
  } else {
    json += ",\"ttff\":" + TtffSecondsText(run.ttffSeconds);
  }
  if (run.latitude) json += ",\"latitude\":" + DegreesText(*run.latitude);
  if (run.longitude) json += ",\"longitude\":" + DegreesText(*run.longitude);
  if (run.satellitesUsed) json += ",\"satellites_used\":" + std::to_string(*run.satellitesUsed);
  if (run.meanCn0) json += ",\"mean_cn0_top4\":" + Cn0Text(*run.meanCn0);
  return json + "}";
}

std::string SummaryJson(const TtffSummary& summary, const ReceiverFamily& family, StartKind kind, std::uint32_t seed) {
  std::string json = "{\"summary\":true,\"family\":" + JsonString(family.name) +
                     ",\"family_id\":" + JsonString(family.id) + ",\"kind\":" + JsonString(StartKindName(kind)) +
                     ",\"valid\":" + JsonString(std::to_string(summary.valid) + " of " + std::to_string(summary.runs)) +
                     ",\"runs\":" + std::to_string(summary.runs) +
                     ",\"requested\":" + std::to_string(summary.requested) +
                     ",\"timeouts\":" + std::to_string(summary.timeouts);
  auto number = [&](const char* name, const std::optional<double>& value) {
    json += ",\"" + std::string(name) + "\":" + (value ? TtffSecondsText(*value) : std::string("null"));
  };
  number("mean", summary.mean);
  number("median", summary.median);
  number("stddev", summary.standardDeviation);
  number("min", summary.minimum);
  number("max", summary.maximum);
  json += ",\"stopped\":" + std::string(summary.stopped ? "true" : "false") + ",\"seed\":" + std::to_string(seed);
  return json + "}";
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  bool help = false;
  std::string error;
  if (!ParseArguments(argc, argv, options, help, error)) {
    std::fprintf(stderr, "zelmora-ttff: %s\n%s", error.c_str(), kUsage);
    return 1;
  }
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  CPort port;
  if (!port.Open(options.port, options.speed, error)) {
    std::fprintf(stderr, "zelmora-ttff: %s\n", error.c_str());
    return 1;
  }

  const ReceiverFamily* family = options.family;
  if (family == nullptr) {
    std::fprintf(stderr, "zelmora-ttff: identifying the receiver on %s ...\n", options.port.c_str());
    CIdentification identification;
    identification.Start(GetTickCount());
    while (!identification.Done() && !g_stop) {
      const bool read =
          port.Read([&](std::string_view bytes, std::uint32_t now) { identification.OnBytes(bytes, now); },
                    [](std::string_view, std::uint32_t) {});
      const std::string probe = identification.Poll(GetTickCount());
      if (!probe.empty() && !port.Write(probe)) {
        std::fprintf(stderr, "zelmora-ttff: cannot write to %s: %s\n", options.port.c_str(),
                     ReasonOf(GetLastError()).c_str());
        return 1;
      }
      if (!read) Sleep(10);
    }
    if (g_stop) return 130;
    family = identification.Family();
    if (family == nullptr) {
      std::fprintf(stderr,
                   "zelmora-ttff: the receiver on %s could not be identified (it answers as plain NMEA), so its "
                   "%s start is not known; name its family with --family\n",
                   options.port.c_str(), std::string(StartKindName(*options.kind)).c_str());
      return 2;
    }
    std::fprintf(stderr, "zelmora-ttff: %s%s%s (%s)\n", std::string(family->name).c_str(),
                 identification.Version().empty() ? "" : " ", identification.Version().c_str(),
                 identification.FoundPassively() ? "recognised from its sentences" : "answered its probe");
  }

  CTtffRunner::Settings settings;
  settings.family = family;
  settings.kind = *options.kind;
  settings.runs = options.runs;
  settings.timeoutMs = options.timeoutSeconds * 1000;
  settings.seed = options.seed ? *options.seed : static_cast<std::uint32_t>(UtcNowMs());
  CTtffRunner runner(settings);
  if (runner.Command().empty()) {
    std::fprintf(stderr, "zelmora-ttff: %s receivers have no %s start\n", std::string(family->name).c_str(),
                 std::string(StartKindName(*options.kind)).c_str());
    return 2;
  }

  const std::int64_t testStartMs = UtcNowMs();
  int printed = 0;
  auto printRuns = [&] {
    for (; printed < runner.CompleteRuns(); ++printed) {
      std::printf("%s\n", RunJson(runner.Runs()[printed], *family).c_str());
      std::fflush(stdout);
    }
  };
  auto onLine = [&](std::string_view line, std::uint32_t tick) { runner.OnLine(line, tick); };
  auto ignoreBytes = [](std::string_view, std::uint32_t) {};
  runner.Start(GetTickCount());
  while (!runner.Done()) {
    if (g_stop) {
      runner.Stop();
      break;
    }
    const std::string command = runner.CommandDue(GetTickCount());
    if (!command.empty()) {
      // What arrived before the command is read first: it cannot count.
      while (port.Read(ignoreBytes, onLine)) {}
      if (!port.Write(command)) {
        std::fprintf(stderr, "zelmora-ttff: cannot write to %s: %s\n", options.port.c_str(),
                     ReasonOf(GetLastError()).c_str());
        runner.Stop();
        break;
      }
      // Write returns once the bytes are with the driver; the last one is
      // on the wire after the time ten bits a byte (8N1) take at the speed.
      const std::uint32_t onWireMs =
          static_cast<std::uint32_t>((command.size() * 10 * 1000 + options.speed - 1) / options.speed);
      runner.OnCommandWritten(GetTickCount() + onWireMs, UtcNowMs() + onWireMs);
    }
    const bool read = port.Read(ignoreBytes, onLine);
    runner.OnTick(GetTickCount());
    printRuns();
    if (!read) Sleep(10);
  }
  printRuns();
  std::printf("%s\n", SummaryJson(runner.Summary(), *family, *options.kind, settings.seed).c_str());
  std::fflush(stdout);

  const std::string path =
      WriteTtffCsv(TtffDataFolder(), TtffCsvFileName(testStartMs, options.port), TtffCsvText(runner.Runs()), &error);
  if (path.empty()) {
    std::fprintf(stderr, "zelmora-ttff: cannot save the runs: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "zelmora-ttff: runs saved in %s\n", path.c_str());
  return runner.Summary().stopped ? 130 : 0;
}
