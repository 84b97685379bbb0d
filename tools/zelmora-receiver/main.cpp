// zelmora-receiver: the simulated GPS receiver on its own. Prints the path of
// its pseudo-terminal on standard output and runs until SIGINT or SIGTERM.

#include "simulator/receiver_options.h"
#include "simulator/simulated_receiver.h"

#include <charconv>
#include <chrono>
#include <csignal>
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
    "stty -F PATH raw 4800 && cat PATH). Ctrl+C or SIGTERM stops it.\n"
    "\n"
    "  --baud N             line speed in bits per second (default 4800); a port\n"
    "                       set to another speed receives garbage\n"
    "  --replay FILE        play a recorded NMEA log instead of synthesising\n"
    "  --corrupt PERCENT    send this share of sentences with a wrong checksum\n"
    "  --split-lines        cut one sentence a second in two with a 300 ms pause\n"
    "  --noise-every SEC    send a burst of noise every SEC seconds\n"
    "  --many-satellites    13 to 16 satellites in view instead of 8 to 14\n"
    "  --silence AFTER:FOR  fall silent AFTER seconds after the start, for FOR\n"
    "                       seconds\n"
    "  --help               show this text\n";

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Fills options from the arguments; false with a message in error.
bool ParseArguments(int argc, char** argv, sim::ReceiverOptions& options, bool& help, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string_view value;
    bool has_value = false;
    if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string_view::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
      has_value = true;
    }
    const auto take_value = [&]() -> bool {
      if (has_value) return true;
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      value = argv[++i];
      return true;
    };
    const auto bad_value = [&] {
      error = "bad value for " + std::string(arg) + ": " + std::string(value);
      return false;
    };

    if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--split-lines") {
      options.faults.split_lines = true;
    } else if (arg == "--many-satellites") {
      options.faults.many_satellites = true;
    } else if (arg == "--baud") {
      if (!take_value()) return false;
      const auto baud = ParseNumber<std::uint32_t>(value);
      if (!baud || *baud == 0) return bad_value();
      options.baud = *baud;
    } else if (arg == "--replay") {
      if (!take_value()) return false;
      options.replay_path = std::string(value);
    } else if (arg == "--corrupt") {
      if (!take_value()) return false;
      const auto percent = ParseNumber<unsigned>(value);
      if (!percent || *percent > 100) return bad_value();
      options.faults.corrupt_percent = *percent;
    } else if (arg == "--noise-every") {
      if (!take_value()) return false;
      const auto seconds = ParseNumber<unsigned>(value);
      if (!seconds || *seconds == 0) return bad_value();
      options.faults.noise_every_s = *seconds;
    } else if (arg == "--silence") {
      if (!take_value()) return false;
      const std::size_t colon = value.find(':');
      const auto after = ParseNumber<std::uint32_t>(value.substr(0, colon));
      const auto length =
          colon == std::string_view::npos ? std::nullopt : ParseNumber<std::uint32_t>(value.substr(colon + 1));
      if (!after || !length || *length == 0 || *length > 86400 || *after > 86400) return bad_value();
      options.silence_after_ms = std::uint64_t{*after} * 1000;
      options.silence_for_ms = *length * 1000;
    } else {
      error = "unknown option " + std::string(arg);
      return false;
    }
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
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

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

  int signal = 0;
  sigwait(&signals, &signal);
  receiver.Stop();
  const sim::ReceiverStats stats = receiver.Stats();
  std::fprintf(stderr, "zelmora-receiver: stopped after %llu sentences, %llu cold starts\n",
               static_cast<unsigned long long>(stats.sentences_sent),
               static_cast<unsigned long long>(stats.cold_starts));
  return 0;
}
