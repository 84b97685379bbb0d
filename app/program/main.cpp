// The Zelmora executable: the one application object, the simulated
// receiver that --simulate starts, and the framework's entry.
#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "app/zelmora_app.h"
#include "platform/afx/afx_main.h"
#include "platform/core/port_options.h"
#include "receivers/receiver_family.h"
#include "resources/resource_catalogue.h"
#include "session/decoding_mode.h"
#include "quality/reference_point.h"
#include "simulator/simulated_receiver.h"

CZelmoraApp theApp;

namespace {

// The receiver behind --simulate: a pseudo-terminal talking NMEA at 4800 bps
// for as long as the program runs, its clock starting at the current UTC time;
// --simulate-gnss makes it a receiver of four constellations,
// --simulate-family a receiver of that family, --simulate-stationary one
// that stands still.
std::string StartSimulatedReceiver(unsigned, bool multiConstellation, const std::string& family, bool stationary) {
  static sim::SimulatedReceiver receiver;
  sim::ReceiverOptions options;
  options.baud = 4800;
  options.gnss = multiConstellation;
  options.family = family;
  options.stationary = stationary;
  options.utc_start_s = static_cast<std::int64_t>(std::time(nullptr));
  std::string error;
  if (!receiver.Start(options, &error)) return {};
  return receiver.SlavePath();
}

}  // namespace

int main(int argc, char** argv) {
  RegisterProgramResources();
  std::vector<std::string> families;
  for (int i = 0; i < ReceiverFamilyCount(); ++i) families.emplace_back(ReceiverFamilies()[i].id);
  SetSimulatorFamilies(std::move(families));
  return AfxWinMain(argc, argv, &StartSimulatedReceiver, &RequestGpsOnlyDecoding, [](const std::string& text) {
    theApp.m_reference = ParseReferencePoint(text);
    return theApp.m_reference.has_value();
  });
}
