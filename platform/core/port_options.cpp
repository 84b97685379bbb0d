#include "platform/core/port_options.h"

#include "platform/core/com_device_table.h"
#include "platform/core/termios_port.h"
#include "platform/core/utf8.h"

#include <cerrno>
#include <optional>
#include <vector>

namespace {

bool Fail(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
  return false;
}

// "COMn:" (the colon may be left out) -> n.
unsigned PortNumber(const std::string& name) { return ParseComName(Utf8ToWide(name)); }

}  // namespace

bool ParsePortOptions(int& argc, char** argv, const SimulatorStarter& startSimulator, std::string* error) {
  std::vector<std::pair<unsigned, std::string>> pins;
  std::optional<unsigned> simulator;
  std::vector<char*> kept;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (i > 0 && (arg == "--port" || arg.rfind("--port=", 0) == 0)) {
      std::string value;
      if (arg == "--port") {
        if (i + 1 >= argc) return Fail(error, "--port needs COMn:=PATH");
        value = argv[++i];
      } else {
        value = arg.substr(7);
      }
      std::size_t equals = value.find('=');
      unsigned number = equals == std::string::npos ? 0 : PortNumber(value.substr(0, equals));
      std::string path = equals == std::string::npos ? std::string() : value.substr(equals + 1);
      if (number == 0 || path.empty()) return Fail(error, "--port " + value + ": expected COMn:=PATH, n from 1 to 255");
      // Checked without opening it. A path that does not exist yet is kept:
      // the adapter may be plugged in later.
      std::string why;
      const int refused = CheckSerialDevicePath(path, &why);
      if (refused != 0 && refused != ENOENT) return Fail(error, "--port " + value + ": " + why);
      pins.emplace_back(number, path);
    } else if (i > 0 && (arg == "--simulate" || arg.rfind("--simulate=", 0) == 0)) {
      unsigned number = arg == "--simulate" ? 1 : PortNumber(arg.substr(11));
      if (number == 0) return Fail(error, arg + ": expected --simulate or --simulate=COMn:");
      simulator = number;
    } else {
      kept.push_back(argv[i]);
    }
  }
  for (const auto& [number, path] : pins) ComDeviceTable::Active().PinPort(number, path);
  if (simulator) {
    if (!startSimulator) return Fail(error, "--simulate: this program has no simulated receiver");
    std::string pty = startSimulator(*simulator);
    if (pty.empty()) return Fail(error, "--simulate: the simulated receiver did not start");
    ComDeviceTable::Active().PinSimulator(pty, *simulator);
  }
  for (std::size_t i = 0; i < kept.size(); ++i) argv[i] = kept[i];
  argc = static_cast<int>(kept.size());
  argv[argc] = nullptr;
  return true;
}
