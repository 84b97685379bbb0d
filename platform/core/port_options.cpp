#include "platform/core/port_options.h"

#include "platform/core/com_device_table.h"
#include "platform/core/network_source.h"
#include "platform/core/termios_port.h"
#include "platform/core/utf8.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

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

// Gives the one simulated receiver COM<number>: for `option`; false, with a
// message, when another option has the receiver or the number.
bool ClaimSimulator(unsigned number, const std::string& option, PortOptions& options, std::string* error) {
  if (options.simulator) {
    return Fail(error, options.simulatorOption + " and " + option + " ask for two simulated receivers; there is one");
  }
  if (std::string earlier = OptionWithNumber(options, number); !earlier.empty()) {
    return Fail(error, earlier + " and " + option + " both claim " + ComName(number));
  }
  options.simulator = number;
  options.simulatorOption = option;
  return true;
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
  if ((options.replaySpeedGiven || options.replayOnce) && options.replayPath.empty()) {
    return Fail(error, std::string(options.replayOnce ? "--replay-once" : "--replay-speed") +
                           ": there is no log to play (add --replay FILE)");
  }
  return true;
}

bool ReadReplay(const std::string& value, PortOptions& options, std::string* error) {
  // "FILE=COMn:": the port is what follows the last '=', when it is a COM
  // name; a file name may hold '=' itself.
  std::string path = value;
  unsigned number = 1;
  if (const std::size_t equals = value.rfind('='); equals != std::string::npos) {
    if (const unsigned named = PortNumber(value.substr(equals + 1)); named != 0) {
      number = named;
      path = value.substr(0, equals);
    }
  }
  const std::string option = "--replay " + value;
  if (path.empty()) return Fail(error, option + " is not FILE[=COMn:] with n from 1 to 9");
  if (::access(path.c_str(), R_OK) != 0)
    return Fail(error, option + ": cannot read " + path + ": " + std::strerror(errno));
  if (!ClaimSimulator(number, option, options, error)) return false;
  options.replayPath = path;
  return true;
}

bool ReadReplaySpeed(const std::string& value, PortOptions& options, std::string* error) {
  double factor = 0.0;
  const auto [end, failed] = std::from_chars(value.data(), value.data() + value.size(), factor);
  if (failed != std::errc() || end != value.data() + value.size() || !(factor >= 0.1 && factor <= 100.0)) {
    return Fail(error, "--replay-speed " + value + " is not a factor from 0.1 to 100");
  }
  options.replaySpeed = factor;
  options.replaySpeedGiven = true;
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
  std::string why;
  if (HasNetworkScheme(path)) {
    // Read now, connected only when the port is opened.
    if (!ParseNetworkSource(path, &why)) return Fail(error, "--port " + value + ": " + why);
    options.pins.emplace_back(number, path);
    return true;
  }
  // Checked without opening it. A path that does not exist yet is kept:
  // the adapter may be plugged in later.
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
  if (!ClaimSimulator(number, option, options, error)) return false;
  options.simulatorGnss = multiConstellation;
  return true;
}

bool ApplyPortOptions(const PortOptions& options, const SimulatorStarter& startSimulator, std::string* error) {
  for (const auto& [number, path] : options.pins) ComDeviceTable::Active().PinPort(number, path);
  if (!options.simulator) return true;
  if (!startSimulator) return Fail(error, "--simulate: this program has no simulated receiver");
  std::string pty = startSimulator(*options.simulator, options);
  if (pty.empty()) return Fail(error, options.simulatorOption + ": the simulated receiver did not start");
  ComDeviceTable::Active().PinSimulator(pty, *options.simulator);
  return true;
}
