#include "platform/core/com_device_table.h"

#include "platform/core/config_files.h"
#include "platform/core/diagnostics.h"
#include "platform/core/network_source.h"
#include "platform/core/utf8.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string_view>
#include <cwctype>
#include <filesystem>
#include <set>
#include <sstream>

namespace {

std::atomic<ComDeviceTable*> g_active{nullptr};

std::wstring ComName(unsigned number) { return L"COM" + std::to_wstring(number) + L":"; }

// The entry of a network source at "COM<number>:", or nothing when `text`
// is no valid one (a malformed one is said once and left out).
std::optional<ComDevice> NetworkEntry(unsigned number, const std::string& text) {
  if (!HasNetworkScheme(text)) return std::nullopt;
  std::string why;
  const std::optional<NetworkSource> source = ParseNetworkSource(text, &why);
  WarnOnChange("com network " + text,
               source ? "" : "COM" + std::to_string(number) + ":=" + text + " is left out: " + why);
  if (!source) return std::nullopt;
  return ComDevice{number, ComName(number), text, NetworkDriverKey(*source), NetworkSourceDescription(*source)};
}

std::string Canonical(const std::string& path) {
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::canonical(path, error);
  return error ? path : resolved.string();
}

}  // namespace

unsigned ParseComName(const std::wstring& name) {
  if (name.size() < 4 || std::towupper(name[0]) != L'C' || std::towupper(name[1]) != L'O' ||
      std::towupper(name[2]) != L'M') {
    return 0;
  }
  std::size_t end = name.back() == L':' ? name.size() - 1 : name.size();
  unsigned number = 0;
  for (std::size_t i = 3; i < end; ++i) {
    if (name[i] < L'0' || name[i] > L'9' || number > kHighestComNumber) return 0;
    number = number * 10 + static_cast<unsigned>(name[i] - L'0');
  }
  return end > 3 && number >= 1 && number <= kHighestComNumber ? number : 0;
}

ComDeviceTable::ComDeviceTable() : ComDeviceTable(Sources{}) {}

ComDeviceTable::ComDeviceTable(Sources sources) : m_sources(std::move(sources)) {}

ComDeviceTable& ComDeviceTable::Active() {
  static auto* own = new ComDeviceTable;
  ComDeviceTable* active = g_active.load();
  return active != nullptr ? *active : *own;
}

void ComDeviceTable::SetActive(ComDeviceTable* table) { g_active = table; }

bool ComDeviceTable::PinPort(unsigned number, const std::string& path) {
  if (number < 1 || number > kHighestComNumber || path.empty()) return false;
  std::lock_guard lock(m_lock);
  m_pins[number] = path;
  return true;
}

bool ComDeviceTable::PinSimulator(const std::string& path, unsigned number) {
  if (number < 1 || number > kHighestComNumber || path.empty()) return false;
  std::lock_guard lock(m_lock);
  m_simulator.clear();
  m_simulator[number] = path;
  return true;
}

std::string ComDeviceTable::NumberFile() const {
  if (!m_sources.numberFile.empty()) return m_sources.numberFile;
  std::string dir = ConfigDirectory();
  return dir.empty() ? std::string() : dir + "/com-ports";
}

// One line per device: "COM3:=usb:1546:01a7:0123:1.0". The file is read
// once and again only when it has changed (Unchanged), in one pass. Nothing
// when it is there but not read (a FIFO, a device, too large ...): it is then
// left as it is.
std::optional<std::map<std::string, unsigned>> ComDeviceTable::LoadNumbers(const std::string& file) const {
  std::lock_guard lock(m_numbersLock);
  const ConfigFileRead read =
      ReadConfigFile(file, [this](const struct stat& info) { return m_numbers && Unchanged(m_numbers->stamp, info); });
  // The table is read every few seconds: what is wrong with the file is said once.
  WarnOnChange("com-ports " + file, read.outcome == ConfigFileRead::Outcome::kUnreadable
                                        ? "the COM numbers in " + file + " are not read: " + read.why +
                                              "; devices are numbered afresh, and the file is left as it is"
                                        : "");
  switch (read.outcome) {
    case ConfigFileRead::Outcome::kUnchanged:
      return m_numbers->numbers;
    case ConfigFileRead::Outcome::kMissing:
      m_numbers.reset();
      return std::map<std::string, unsigned>{};
    case ConfigFileRead::Outcome::kUnreadable:
      m_numbers.reset();
      return std::nullopt;
    case ConfigFileRead::Outcome::kRead:
      break;
  }
  std::map<std::string, unsigned> numbers;
  std::string_view rest(read.text);
  while (!rest.empty()) {
    const std::string_view line = rest.substr(0, std::min(rest.find('\n'), rest.size()));
    rest.remove_prefix(std::min(line.size() + 1, rest.size()));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const unsigned number = ParseComName(Utf8ToWide(std::string(line.substr(0, equals))));
    if (number != 0) numbers[std::string(line.substr(equals + 1))] = number;
  }
  m_numbers = NumberFileRead{read.stamp, numbers};
  return numbers;
}

void ComDeviceTable::SaveNumbers(const std::string& file, const std::map<std::string, unsigned>& numbers) const {
  std::multimap<unsigned, std::string> byNumber;
  for (const auto& [identity, number] : numbers) byNumber.emplace(number, identity);
  std::ostringstream out;
  for (const auto& [number, identity] : byNumber) out << "COM" << number << ":=" << identity << "\n";
  // The numbers are a convenience: when they cannot be kept, devices are
  // numbered afresh next time. A new device tries again at every refresh,
  // so a failure is said once.
  const bool saved = WriteFileAtomically(file, out.str());
  WarnOnChange("com-ports save " + file,
               saved ? "" : "cannot keep the COM numbers in " + file + ": " + std::strerror(errno));
}

std::vector<ComDevice> ComDeviceTable::Devices() {
  std::map<unsigned, std::string> pins, simulator;
  {
    std::lock_guard lock(m_lock);
    pins = m_pins;
    simulator = m_simulator;
  }
  std::vector<SysfsSerialDevice> found =
      ScanSysfsSerialDevices(m_sources.sysfsRoot, m_sources.devRoot, m_sources.probe);
  std::map<unsigned, ComDevice> table;
  std::set<std::string> pinnedPaths;

  for (const auto& [number, path] : pins) {
    if (std::optional<ComDevice> network = NetworkEntry(number, path)) {
      table.emplace(number, std::move(*network));
      continue;
    }
    std::string real = Canonical(path);
    pinnedPaths.insert(real);
    ComDevice entry{number, ComName(number), path, L"Drivers\\Pinned\\Serial\\" + Utf8ToWide(path), L""};
    // A pinned device that sysfs knows keeps its driver and product.
    for (const SysfsSerialDevice& device : found) {
      if (Canonical(device.devPath) == real) {
        entry.key = device.key;
        entry.pnpId = device.pnpId;
      }
    }
    table.emplace(number, std::move(entry));
  }
  for (const auto& [number, path] : simulator) {
    pinnedPaths.insert(Canonical(path));
    table.emplace(number, ComDevice{number, ComName(number), path, L"Drivers\\Virtual\\GPS", L""});
  }

  std::string file = NumberFile();
  const std::optional<std::map<std::string, unsigned>> loaded =
      file.empty() ? std::map<std::string, unsigned>{} : LoadNumbers(file);
  std::map<std::string, unsigned> numbers = loaded.value_or(std::map<std::string, unsigned>{});
  // The network sources the user wrote into the file ("COM5:=tcp://...")
  // come below the pins and the simulated receiver, above the devices.
  for (const auto& [identity, number] : numbers) {
    if (table.count(number) != 0) continue;
    if (std::optional<ComDevice> network = NetworkEntry(number, identity)) table.emplace(number, std::move(*network));
  }
  bool changed = false;
  std::vector<const SysfsSerialDevice*> unnumbered;
  for (const SysfsSerialDevice& device : found) {
    if (pinnedPaths.count(Canonical(device.devPath)) != 0) continue;
    auto remembered = numbers.find(device.identity);
    if (remembered != numbers.end() && table.count(remembered->second) == 0) {
      unsigned number = remembered->second;
      table.emplace(number, ComDevice{number, ComName(number), device.devPath, device.key, device.pnpId});
    } else {
      unnumbered.push_back(&device);
    }
  }
  // A new device gets a number from COM1: to COM9: even when that means
  // taking one remembered for a device long gone; a tenth device is left out.
  for (const SysfsSerialDevice* device : unnumbered) {
    std::set<unsigned> reserved;
    for (const auto& [identity, number] : numbers) reserved.insert(number);
    auto freeNumber = [&](bool skipReserved) {
      for (unsigned n = 1; n <= kHighestComNumber; ++n) {
        if (table.count(n) == 0 && !(skipReserved && reserved.count(n) != 0)) return n;
      }
      return 0u;
    };
    unsigned number = freeNumber(true);
    if (number == 0) number = freeNumber(false);
    if (number == 0) {
      DebugLogOnChange("com " + device->devPath, "ports: " + device->devPath + " left out: every COM number is taken");
      continue;
    }
    table.emplace(number, ComDevice{number, ComName(number), device->devPath, device->key, device->pnpId});
    if (numbers.count(device->identity) == 0 || reserved.count(number) != 0) {
      std::erase_if(numbers, [&](const auto& item) { return item.second == number; });
      numbers[device->identity] = number;
      changed = true;
    }
  }
  if (changed && !file.empty() && loaded) SaveNumbers(file, numbers);

  std::vector<ComDevice> devices;
  for (auto& [number, entry] : table) {
    if (DebugEnabled()) {
      DebugLogOnChange("com " + entry.path,
                       "ports: " + WideToUtf8(entry.name) + " is " + entry.path + " (" + WideToUtf8(entry.key) + ")");
    }
    devices.push_back(std::move(entry));
  }
  return devices;
}

std::string ComDeviceTable::PathOf(const std::wstring& deviceName) {
  unsigned number = ParseComName(deviceName);
  if (number == 0) return {};
  {
    std::lock_guard lock(m_lock);
    if (auto pin = m_pins.find(number); pin != m_pins.end()) return pin->second;
    if (auto sim = m_simulator.find(number); sim != m_simulator.end()) return sim->second;
  }
  for (const ComDevice& device : Devices()) {
    if (device.number == number) return device.path;
  }
  return {};
}
