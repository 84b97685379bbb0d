// The Zelmora executable: the one application object, the simulated
// receiver that --simulate starts, and the framework's entry.
#include <string>

#include "app/zelmora_app.h"
#include "platform/afx/afx_main.h"
#include "platform/sim/simulated_receiver.h"

CZelmoraApp theApp;

namespace {

// The receiver behind --simulate: a pseudo-terminal talking NMEA at 4800 bps
// for as long as the program runs.
std::string StartSimulatedReceiver(unsigned) {
  static sim::SimulatedReceiver receiver;
  sim::ReceiverOptions options;
  options.baud = 4800;
  std::string error;
  if (!receiver.Start(options, &error)) return {};
  return receiver.SlavePath();
}

}  // namespace

int main(int argc, char** argv) { return AfxWinMain(argc, argv, &StartSimulatedReceiver); }
