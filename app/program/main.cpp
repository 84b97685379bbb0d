// The Zelmora executable: the one application object, the simulated
// receiver that --simulate starts, and the framework's entry.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "app/zelmora_app.h"
#include "platform/afx/afx_main.h"
#include "resources/resource_catalogue.h"
#include "session/decoding_mode.h"
#include "simulator/simulated_receiver.h"

CZelmoraApp theApp;

namespace {

bool g_simulateGnss = false;  // --simulate-gnss: the simulated receiver speaks NMEA 4.10 of four systems

// --simulate-gnss[=COMn:] is --simulate[=COMn:] with a multi-constellation
// receiver: the option is rewritten for the port options' parser.
void TakeSimulateGnssOption(int argc, char** argv) {
  static std::vector<std::string> rewritten;
  rewritten.reserve(static_cast<std::size_t>(argc));
  const std::string option = "--simulate-gnss";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == option || arg.rfind(option + "=", 0) == 0) {
      g_simulateGnss = true;
      rewritten.push_back("--simulate" + arg.substr(option.size()));
      argv[i] = rewritten.back().data();
    }
  }
}

// The receiver behind --simulate: a pseudo-terminal talking NMEA at 4800 bps
// for as long as the program runs, its clock starting at the current UTC time.
std::string StartSimulatedReceiver(unsigned) {
  static sim::SimulatedReceiver receiver;
  sim::ReceiverOptions options;
  options.baud = 4800;
  options.gnss = g_simulateGnss;
  options.utc_start_s = static_cast<std::int64_t>(std::time(nullptr));
  std::string error;
  if (!receiver.Start(options, &error)) return {};
  return receiver.SlavePath();
}

}  // namespace

int main(int argc, char** argv) {
  RegisterProgramResources();
  TakeGpsOnlyOption(argc, argv);
  TakeSimulateGnssOption(argc, argv);
  return AfxWinMain(argc, argv, &StartSimulatedReceiver);
}
