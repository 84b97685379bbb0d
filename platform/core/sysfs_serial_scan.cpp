#include "platform/core/sysfs_serial_scan.h"

#include "platform/core/diagnostics.h"
#include "platform/core/utf8.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/serial.h>
#include <optional>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::optional<std::string> ReadAttribute(const fs::path& path) {
  std::ifstream in(path);
  std::string value;
  if (!in || !std::getline(in, value)) return std::nullopt;
  while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
  return value;
}

bool Within(const fs::path& path, const fs::path& root) {
  auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return r == root.end();
}

// The last component of a symbolic link's target ("cdc_acm" for a driver link).
std::string LinkTargetName(const fs::path& link) {
  std::error_code error;
  fs::path target = fs::read_symlink(link, error);
  return error ? std::string() : target.filename().string();
}

// The driver behind a tty: the driver of its device, or of the nearest parent
// with one. Recent kernels put 8250 ports on a "serial-base" bus whose
// drivers ("port", "ctrl") say nothing; the port's own driver sits above them.
std::string DriverName(const fs::path& device, const fs::path& devicesRoot) {
  for (fs::path dir = device; Within(dir, devicesRoot) && dir != devicesRoot; dir = dir.parent_path()) {
    std::string driver = LinkTargetName(dir / "driver");
    if (driver.empty() || LinkTargetName(dir / "subsystem") == "serial-base") continue;
    return driver;
  }
  return "unknown";
}

// The USB device a tty belongs to: the nearest parent holding idVendor and
// idProduct. `child` receives the folder below it on the way (the interface).
std::optional<fs::path> UsbDevice(const fs::path& device, const fs::path& devicesRoot, fs::path* child) {
  fs::path below;
  for (fs::path dir = device; Within(dir, devicesRoot) && dir != devicesRoot; dir = dir.parent_path()) {
    if (fs::exists(dir / "idVendor") && fs::exists(dir / "idProduct")) {
      *child = below;
      return dir;
    }
    below = dir.filename();
  }
  return std::nullopt;
}

bool IsPhantom(const fs::path& entry, const std::string& devPath, const SerialTypeProbe& probe) {
  int type;
  if (auto attribute = ReadAttribute(entry / "type")) {
    type = std::atoi(attribute->c_str());
  } else {
    type = probe(devPath);
  }
  // An unknown UART type, or a node that is not there or refuses to start,
  // is a port the firmware announced without hardware behind it. A port that
  // is busy or forbidden to us is real.
  const bool phantom = type == PORT_UNKNOWN || type == -EIO || type == -ENXIO || type == -ENODEV || type == -ENOENT;
  if (phantom && DebugEnabled()) {
    const std::string why = type == PORT_UNKNOWN ? "its UART type is unknown" : std::string(std::strerror(-type));
    DebugLogOnChange("tty " + devPath, "ports: " + devPath + " left out: no hardware behind it (" + why + ")");
  }
  return phantom;
}

// Sorts "ttyS2" before "ttyS10".
bool NaturalLess(const std::string& a, const std::string& b) {
  auto split = [](const std::string& s) {
    std::size_t digits = s.find_last_not_of("0123456789") + 1;
    return std::make_pair(s.substr(0, digits), digits < s.size() ? std::stoul(s.substr(digits)) : 0ul);
  };
  return split(a) < split(b);
}

}  // namespace

int ProbeSerialType(const std::string& devPath) {
  int fd = open(devPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -errno;
  serial_struct info{};
  int result = ioctl(fd, TIOCGSERIAL, &info) == 0 ? info.type : -errno;
  close(fd);
  return result;
}

std::string CharDeviceClass(const std::string& sysfsRoot, unsigned devMajor, unsigned devMinor) {
  const std::string number = std::to_string(devMajor) + ":" + std::to_string(devMinor);
  return LinkTargetName(fs::path(sysfsRoot) / "dev" / "char" / number / "subsystem");
}

std::vector<SysfsSerialDevice> ScanSysfsSerialDevices(const std::string& sysfsRoot, const std::string& devRoot,
                                                      const SerialTypeProbe& probe) {
  std::vector<SysfsSerialDevice> found;
  std::error_code error;
  const fs::path devicesRoot = fs::weakly_canonical(fs::path(sysfsRoot) / "devices", error);
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(fs::path(sysfsRoot) / "class" / "tty", error)) {
    entries.push_back(entry.path());
  }
  std::sort(entries.begin(), entries.end(),
            [](const fs::path& a, const fs::path& b) { return NaturalLess(a.filename(), b.filename()); });
  for (const fs::path& entry : entries) {
    // Virtual terminals, ptmx, console: no device behind them.
    std::error_code linkError;
    if (!fs::is_symlink(entry / "device", linkError)) continue;
    fs::path device = fs::canonical(entry / "device", linkError);
    if (linkError) continue;
    SysfsSerialDevice info;
    info.ttyName = entry.filename().string();
    info.devPath = devRoot + "/" + info.ttyName;
    if (info.ttyName.rfind("ttyS", 0) == 0 && IsPhantom(entry, info.devPath, probe)) continue;
    std::string driver = DriverName(device, devicesRoot);
    fs::path interface;
    if (auto usb = UsbDevice(device, devicesRoot, &interface)) {
      info.key = L"Drivers\\USB\\Serial\\" + Utf8ToWide(driver);
      info.pnpId = Utf8ToWide(ReadAttribute(*usb / "product").value_or(""));
      std::string port = interface.string();
      port = port.substr(port.find(':') == std::string::npos ? port.size() : port.find(':'));
      std::string id =
          "usb:" + ReadAttribute(*usb / "idVendor").value_or("") + ":" + ReadAttribute(*usb / "idProduct").value_or("");
      auto serial = ReadAttribute(*usb / "serial");
      info.identity =
          serial && !serial->empty() ? id + ":" + *serial + port : id + "@" + usb->filename().string() + port;
    } else {
      info.key = L"Drivers\\BuiltIn\\Serial\\" + Utf8ToWide(driver);
      info.identity = "tty:" + info.ttyName;
    }
    if (DebugEnabled()) {
      DebugLogOnChange("tty " + info.devPath, "ports: " + info.devPath + " found: " + WideToUtf8(info.key) +
                                                  (info.pnpId.empty() ? "" : " \"" + WideToUtf8(info.pnpId) + "\""));
    }
    found.push_back(std::move(info));
  }
  // Built-in ports first, as a PC numbers them, then plug-in ones.
  std::stable_sort(found.begin(), found.end(), [](const SysfsSerialDevice& a, const SysfsSerialDevice& b) {
    return a.identity.rfind("usb:", 0) != 0 && b.identity.rfind("usb:", 0) == 0;
  });
  return found;
}
