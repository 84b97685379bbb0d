#include "platform/core/port_options.h"

#include "platform/core/com_device_table.h"
#include "platform/core/termios_port.h"
#include "platform/core/utf8.h"

#include <cerrno>

namespace {

bool Fail(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
  return false;
}

// "COMn:" (the colon may be left out) -> n; 0 when it is not a COM name.
unsigned PortNumber(const std::string& name) { return ParseComName(Utf8ToWide(name)); }

}  // namespace

bool ReadPortPin(const std::string& value, PortOptions& options, std::string* error) {
  std::size_t equals = value.find('=');
  unsigned number = equals == std::string::npos ? 0 : PortNumber(value.substr(0, equals));
  std::string path = equals == std::string::npos ? std::string() : value.substr(equals + 1);
  if (number == 0 || path.empty()) return Fail(error, "--port " + value + ": expected COMn:=PATH, n from 1 to 9");
  // Checked without opening it. A path that does not exist yet is kept:
  // the adapter may be plugged in later.
  std::string why;
  const int refused = CheckSerialDevicePath(path, &why);
  if (refused != 0 && refused != ENOENT) return Fail(error, "--port " + value + ": " + why);
  options.pins.emplace_back(number, path);
  return true;
}

bool ReadSimulatorPort(const std::string& value, PortOptions& options, std::string* error) {
  unsigned number = value.empty() ? 1 : PortNumber(value);
  if (number == 0)
    return Fail(error, "--simulate=" + value + ": expected --simulate or --simulate=COMn:, n from 1 to 9");
  options.simulator = number;
  return true;
}

bool ApplyPortOptions(const PortOptions& options, const SimulatorStarter& startSimulator, std::string* error) {
  for (const auto& [number, path] : options.pins) ComDeviceTable::Active().PinPort(number, path);
  if (!options.simulator) return true;
  if (!startSimulator) return Fail(error, "--simulate: this program has no simulated receiver");
  std::string pty = startSimulator(*options.simulator, options.simulatorGnss);
  if (pty.empty()) return Fail(error, "--simulate: the simulated receiver did not start");
  ComDeviceTable::Active().PinSimulator(pty, *options.simulator);
  return true;
}
