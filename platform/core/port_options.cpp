#include "platform/core/port_options.h"

#include "platform/core/com_device_table.h"
#include "platform/core/termios_port.h"
#include "platform/core/utf8.h"

#include <algorithm>
#include <cerrno>

namespace {

bool Fail(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
  return false;
}

// "COMn:" (the colon may be left out) -> n; 0 when it is not a COM name.
unsigned PortNumber(const std::string& name) { return ParseComName(Utf8ToWide(name)); }

std::string ComName(unsigned number) { return "COM" + std::to_string(number) + ":"; }

// The option that already has COM<number>:, or empty.
std::string OptionWithNumber(const PortOptions& options, unsigned number) {
  for (const auto& [pinned, path] : options.pins) {
    if (pinned == number) return "--port " + ComName(pinned) + "=" + path;
  }
  return options.simulator == number ? options.simulatorOption : std::string();
}

std::vector<std::string>& SimulatorFamilies() {
  static std::vector<std::string> ids;
  return ids;
}

}  // namespace

void SetSimulatorFamilies(std::vector<std::string> ids) { SimulatorFamilies() = std::move(ids); }

bool ReadSimulatorFamily(const std::string& value, PortOptions& options, std::string* error) {
  const std::vector<std::string>& ids = SimulatorFamilies();
  if (std::find(ids.begin(), ids.end(), value) == ids.end()) {
    if (ids.empty()) return Fail(error, "--simulate-family: this program's simulated receiver knows no families");
    std::string list;
    for (const std::string& id : ids) list += (list.empty() ? "" : ", ") + id;
    return Fail(error, "--simulate-family " + value + ": no such receiver family (the families: " + list + ")");
  }
  options.simulatorFamily = value;
  return true;
}

bool CheckPortOptions(const PortOptions& options, std::string* error) {
  if (!options.simulatorFamily.empty() && !options.simulator) {
    return Fail(error, "--simulate-family " + options.simulatorFamily +
                           ": there is no simulated receiver (add --simulate or --simulate-gnss)");
  }
  if (options.simulatorStationary && !options.simulator) {
    return Fail(error, "--simulate-stationary: there is no simulated receiver (add --simulate or --simulate-gnss)");
  }
  return true;
}

bool ReadPortPin(const std::string& value, PortOptions& options, std::string* error) {
  std::size_t equals = value.find('=');
  unsigned number = equals == std::string::npos ? 0 : PortNumber(value.substr(0, equals));
  std::string path = equals == std::string::npos ? std::string() : value.substr(equals + 1);
  if (number == 0 || path.empty()) return Fail(error, "--port " + value + " is not COMn:=PATH with n from 1 to 9");
  if (std::string earlier = OptionWithNumber(options, number); !earlier.empty()) {
    return Fail(error, earlier + " and --port " + value + " both claim " + ComName(number));
  }
  // Checked without opening it. A path that does not exist yet is kept:
  // the adapter may be plugged in later.
  std::string why;
  const int refused = CheckSerialDevicePath(path, &why);
  if (refused != 0 && refused != ENOENT) return Fail(error, "--port " + value + ": " + why);
  options.pins.emplace_back(number, path);
  return true;
}

bool ReadSimulatorPort(const std::string& value, PortOptions& options, std::string* error, bool multiConstellation) {
  const std::string name = multiConstellation ? "--simulate-gnss" : "--simulate";
  const std::string option = value.empty() ? name : name + "=" + value;
  unsigned number = value.empty() ? 1 : PortNumber(value);
  if (number == 0) return Fail(error, option + " is not " + name + "=COMn: with n from 1 to 9");
  if (options.simulator) {
    return Fail(error, options.simulatorOption + " and " + option + " ask for two simulated receivers; there is one");
  }
  if (std::string earlier = OptionWithNumber(options, number); !earlier.empty()) {
    return Fail(error, earlier + " and " + option + " both claim " + ComName(number));
  }
  options.simulator = number;
  options.simulatorGnss = multiConstellation;
  options.simulatorOption = option;
  return true;
}

bool ApplyPortOptions(const PortOptions& options, const SimulatorStarter& startSimulator, std::string* error) {
  for (const auto& [number, path] : options.pins) ComDeviceTable::Active().PinPort(number, path);
  if (!options.simulator) return true;
  if (!startSimulator) return Fail(error, "--simulate: this program has no simulated receiver");
  std::string pty =
      startSimulator(*options.simulator, options.simulatorGnss, options.simulatorFamily, options.simulatorStationary);
  if (pty.empty()) return Fail(error, "--simulate: the simulated receiver did not start");
  ComDeviceTable::Active().PinSimulator(pty, *options.simulator);
  return true;
}
