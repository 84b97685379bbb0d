// The Zelmora executable: the one application object, the simulated
// receiver that --simulate starts, and the framework's entry.
#include <cstdint>
#include <ctime>
#include <string>

#include "app/zelmora_app.h"
#include "platform/afx/afx_main.h"
#include "resources/resource_catalogue.h"
#include "session/decoding_mode.h"
#include "simulator/simulated_receiver.h"

CZelmoraApp theApp;

namespace {

// The receiver behind --simulate: a pseudo-terminal talking NMEA at 4800 bps
// for as long as the program runs, its clock starting at the current UTC time;
// --simulate-gnss makes it a receiver of four constellations.
std::string StartSimulatedReceiver(unsigned, bool multiConstellation) {
  static sim::SimulatedReceiver receiver;
  sim::ReceiverOptions options;
  options.baud = 4800;
  options.gnss = multiConstellation;
  options.utc_start_s = static_cast<std::int64_t>(std::time(nullptr));
  std::string error;
  if (!receiver.Start(options, &error)) return {};
  return receiver.SlavePath();
}

}  // namespace

int main(int argc, char** argv) {
  RegisterProgramResources();
  return AfxWinMain(argc, argv, &StartSimulatedReceiver, &RequestGpsOnlyDecoding);
}
