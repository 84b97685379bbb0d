// zelmora-receiver: the simulated GPS receiver on its own. Prints the path of
// its pseudo-terminal on standard output and runs until SIGINT or SIGTERM.

#include "receivers/receiver_family.h"
#include "simulator/family_behaviour.h"
#include "simulator/receiver_options.h"
#include "simulator/replay_log.h"
#include "simulator/simulated_receiver.h"

#include <charconv>
#include <chrono>
#include <csignal>
#include <getopt.h>
#include <cstdio>
#include <optional>
#include <pthread.h>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: zelmora-receiver [options]\n"
    "Runs a simulated GPS receiver behind a pseudo-terminal and prints the path\n"
    "of its serial port. Open that path like a serial port (for a look:\n"
    "stty -F PATH raw 4800 && cat PATH). Ctrl+C or SIGTERM stops it; SIGUSR1\n"
    "makes it fall silent for good, its port still open.\n"
    "\n"
    "  --baud N             line speed in bits per second (default 4800, or the\n"
    "                       speed a Zelmora recording names); a port set to\n"
    "                       another speed receives garbage\n"
    "  --replay FILE        play a recorded NMEA log instead of synthesising: a\n"
    "                       Zelmora recording read by read at its receive times,\n"
    "                       any other log at its sentences' UTC times, over and\n"
    "                       over\n"
    "  --replay-speed X     play it X times faster (0.1 to 100)\n"
    "  --replay-once        play it once, then fall silent\n"
    "  --corrupt PERCENT    send this share of sentences with a wrong checksum\n"
    "  --split-lines        cut one sentence a second in two with a 300 ms pause\n"
    "  --noise-every SEC    send a burst of noise every SEC seconds\n"
    "  --many-satellites    13 to 16 satellites in view instead of 8 to 14\n"
    "  --gnss               a receiver of GPS, GLONASS, Galileo and BeiDou speaking\n"
    "                       NMEA 4.10 (GN talker, a GSA per system, 20 to 35\n"
    "                       satellites in view) instead of a GPS receiver\n"
    "  --rate HZ            fixes a second, 1 to 10 (default 1)\n"
    "  --silence AFTER:FOR  fall silent AFTER seconds after the start, for FOR\n"
    "                       seconds\n"
    "  --family NAME        behave as a receiver of that family: its power-up\n"
    "                       lines, its probe's reply, its hot, warm, cold and\n"
    "                       factory starts (sirf, mediatek, ublox, quectel-pqtm,\n"
    "                       quectel-pair, teseo, casic)\n"
    "  --seed N             seed of the times to first fix after a start\n"
    "                       (default 1)\n"
    "  --time-scale X       divide every start's time to first fix by X\n"
    "                       (default 1)\n"
    "  --stationary         stand at one point instead of driving (the fixes\n"
    "                       wander a few metres around it all the same)\n"
    "  --help               show this text\n";

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Whether the arguments set the line speed.
bool BaudGiven(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--baud" || argument.starts_with("--baud=")) return true;
  }
  return false;
}

// Fills options from the arguments; false with a message in error.
bool ParseArguments(int argc, char** argv, sim::ReceiverOptions& options, bool& help, std::string& error) {
  enum {
    kBaud = 1,
    kReplay,
    kCorrupt,
    kSplitLines,
    kNoiseEvery,
    kManySatellites,
    kGnss,
    kSilence,
    kRate,
    kFamily,
    kSeed,
    kTimeScale,
    kReplaySpeed,
    kReplayOnce,
    kStationary
  };
  static const option kOptions[] = {
      {"baud", required_argument, nullptr, kBaud},
      {"replay", required_argument, nullptr, kReplay},
      {"corrupt", required_argument, nullptr, kCorrupt},
      {"split-lines", no_argument, nullptr, kSplitLines},
      {"noise-every", required_argument, nullptr, kNoiseEvery},
      {"many-satellites", no_argument, nullptr, kManySatellites},
      {"gnss", no_argument, nullptr, kGnss},
      {"silence", required_argument, nullptr, kSilence},
      {"rate", required_argument, nullptr, kRate},
      {"family", required_argument, nullptr, kFamily},
      {"seed", required_argument, nullptr, kSeed},
      {"time-scale", required_argument, nullptr, kTimeScale},
      {"replay-speed", required_argument, nullptr, kReplaySpeed},
      {"replay-once", no_argument, nullptr, kReplayOnce},
      {"stationary", no_argument, nullptr, kStationary},
      {"help", no_argument, nullptr, 'h'},
      {nullptr, 0, nullptr, 0},
  };
  const auto name_of = [&](int value) {
    for (const option& o : kOptions) {
      if (o.name != nullptr && o.val == value) return "--" + std::string(o.name);
    }
    return std::string("-") + static_cast<char>(value);
  };
  opterr = 0;  // the messages below are the tool's own
  optind = 1;
  for (int code; (code = getopt_long(argc, argv, ":h", kOptions, nullptr)) != -1;) {
    const std::string_view value = optarg != nullptr ? optarg : "";
    const auto bad_value = [&] {
      error = "bad value for " + name_of(code) + ": " + std::string(value);
      return false;
    };
    switch (code) {
      case 'h':
        help = true;
        break;
      case kSplitLines:
        options.faults.split_lines = true;
        break;
      case kManySatellites:
        options.faults.many_satellites = true;
        break;
      case kGnss:
        options.gnss = true;
        break;
      case kStationary:
        options.stationary = true;
        break;
      case kBaud: {
        const auto baud = ParseNumber<std::uint32_t>(value);
        if (!baud || *baud == 0) return bad_value();
        options.baud = *baud;
        break;
      }
      case kRate: {
        const auto rate = ParseNumber<std::uint32_t>(value);
        if (!rate || *rate == 0 || *rate > 10) return bad_value();
        options.rate_hz = *rate;
        break;
      }
      case kFamily:
        if (FindReceiverFamily(value) == nullptr) {
          error = "unknown family " + std::string(value) + " (the families: " + sim::FamilyIdList() + ")";
          return false;
        }
        options.family = std::string(value);
        break;
      case kSeed: {
        const auto seed = ParseNumber<std::uint32_t>(value);
        if (!seed) return bad_value();
        options.seed = *seed;
        break;
      }
      case kTimeScale: {
        const auto scale = ParseNumber<double>(value);
        if (!scale || !(*scale > 0.0) || *scale > 1e6) return bad_value();
        options.time_scale = *scale;
        break;
      }
      case kReplay:
        options.replay_path = std::string(value);
        break;
      case kReplaySpeed: {
        const auto speed = ParseNumber<double>(value);
        if (!speed || !(*speed >= 0.1 && *speed <= 100.0)) return bad_value();
        options.replay_speed = *speed;
        break;
      }
      case kReplayOnce:
        options.replay_loop = false;
        break;
      case kCorrupt: {
        const auto percent = ParseNumber<unsigned>(value);
        if (!percent || *percent > 100) return bad_value();
        options.faults.corrupt_percent = *percent;
        break;
      }
      case kNoiseEvery: {
        const auto seconds = ParseNumber<unsigned>(value);
        if (!seconds || *seconds == 0) return bad_value();
        options.faults.noise_every_s = *seconds;
        break;
      }
      case kSilence: {
        const std::size_t colon = value.find(':');
        const auto after = ParseNumber<std::uint32_t>(value.substr(0, colon));
        const auto length =
            colon == std::string_view::npos ? std::nullopt : ParseNumber<std::uint32_t>(value.substr(colon + 1));
        if (!after || !length || *length == 0 || *length > 86400 || *after > 86400) return bad_value();
        options.silence_after_ms = std::uint64_t{*after} * 1000;
        options.silence_for_ms = *length * 1000;
        break;
      }
      case ':':
        error = name_of(optopt) + " needs a value";
        return false;
      default: {
        const std::string_view arg = argv[optind - 1];
        error = "unknown option " + std::string(arg.substr(0, arg.find('=')));
        return false;
      }
    }
  }
  if (optind < argc) {
    error = "unknown option " + std::string(argv[optind]);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  sim::ReceiverOptions options;
  bool help = false;
  std::string error;
  if (!ParseArguments(argc, argv, options, help, error)) {
    std::fprintf(stderr, "zelmora-receiver: %s\nTry 'zelmora-receiver --help'.\n", error.c_str());
    return 2;
  }
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  // The signals are taken by sigwait below; blocked before the receiver's
  // thread starts, they never interrupt it.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  // A recording is played at the speed it names, unless --baud says another.
  if (!options.replay_path.empty() && !BaudGiven(argc, argv)) {
    if (const std::optional<sim::ReplayLog> log = sim::ReplayLog::Load(options.replay_path, &error);
        log && log->Baud() != 0) {
      options.baud = log->Baud();
    }
  }

  // The receiver keeps UTC on its own clock from the moment it starts.
  options.utc_start_s =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();

  sim::SimulatedReceiver receiver;
  if (!receiver.Start(options, &error)) {
    std::fprintf(stderr, "zelmora-receiver: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", receiver.SlavePath().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "zelmora-receiver: %u bps on %s; Ctrl+C stops it\n", options.baud, receiver.SlavePath().c_str());

  constexpr std::uint32_t kADayMs = 86'400'000;
  int signal = 0;
  while (sigwait(&signals, &signal) == 0 && signal == SIGUSR1) receiver.GoSilent(kADayMs);
  receiver.Stop();
  const sim::ReceiverStats stats = receiver.Stats();
  std::fprintf(stderr, "zelmora-receiver: stopped after %llu sentences, %llu cold starts\n",
               static_cast<unsigned long long>(stats.sentences_sent),
               static_cast<unsigned long long>(stats.cold_starts));
  return 0;
}
