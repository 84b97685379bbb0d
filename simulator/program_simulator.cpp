#include "simulator/program_simulator.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>

#include "simulator/replay_log.h"
#include "simulator/simulated_receiver.h"

std::string StartProgramSimulator(unsigned, const PortOptions& options) {
  static sim::SimulatedReceiver receiver;
  sim::ReceiverOptions settings;
  settings.baud = 4800;
  settings.gnss = options.simulatorGnss;
  settings.family = options.simulatorFamily;
  settings.stationary = options.simulatorStationary;
  settings.utc_start_s = static_cast<std::int64_t>(std::time(nullptr));
  std::string error;
  if (!options.replayPath.empty()) {
    const std::optional<sim::ReplayLog> log = sim::ReplayLog::Load(options.replayPath, &error);
    if (!log) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return {};
    }
    if (log->Baud() != 0) settings.baud = log->Baud();
    settings.replay_path = options.replayPath;
    settings.replay_loop = !options.replayOnce;
    settings.replay_speed = options.replaySpeed;
  }
  if (!receiver.Start(settings, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return {};
  }
  return receiver.SlavePath();
}
