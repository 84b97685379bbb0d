// The Zelmora executable: the one application object, the simulated
// receiver that --simulate and --replay start, and the framework's entry.
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
#include "session/recording_request.h"
#include "simulator/program_simulator.h"

CZelmoraApp theApp;

int main(int argc, char** argv) {
  RegisterProgramResources();
  std::vector<std::string> families;
  for (int i = 0; i < ReceiverFamilyCount(); ++i) families.emplace_back(ReceiverFamilies()[i].id);
  SetSimulatorFamilies(std::move(families));
  return AfxWinMain(argc, argv, &StartProgramSimulator, &RequestGpsOnlyDecoding, &RequestSessionRecording,
                    [](const std::string& text) {
                      theApp.m_reference = ParseReferencePoint(text);
                      return theApp.m_reference.has_value();
                    });
}
