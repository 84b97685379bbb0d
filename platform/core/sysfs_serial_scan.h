// The serial devices the kernel lists in sysfs (/sys/class/tty/*/device),
// described the way the handheld's active-driver table describes its drivers.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Where the kernel's sysfs is mounted; tests hand the functions below a tree
// of their own.
inline constexpr char kSysfsRoot[] = "/sys";

struct SysfsSerialDevice {
  std::string ttyName;   // "ttyUSB0"
  std::string devPath;   // "/dev/ttyUSB0"
  std::string identity;  // what stays the same across plug-ins: "usb:1546:01a7:serial", "tty:ttyS0"
  std::wstring key;      // "Drivers\USB\Serial\cdc_acm", "Drivers\BuiltIn\Serial\serial"
  std::wstring pnpId;    // the USB product string, empty for other devices
};

// The UART type of the 8250 port at `devPath` (TIOCGSERIAL), or -errno when
// the port cannot be asked. Type 0 (PORT_UNKNOWN) is a phantom port.
using SerialTypeProbe = std::function<int(const std::string& devPath)>;
int ProbeSerialType(const std::string& devPath);

// The class of the character device DEVMAJOR:DEVMINOR: the last component of
// `sysfsRoot`/dev/char/DEVMAJOR:DEVMINOR/subsystem ("tty", "mem", "misc"), or
// empty when sysfs has no entry for the device.
std::string CharDeviceClass(const std::string& sysfsRoot, unsigned devMajor, unsigned devMinor);

// Reads `sysfsRoot`/class/tty afresh: built-in ports, then USB ones, each by name. ttyS ports are checked for phantoms:
// through their sysfs "type" attribute when it is there, else through `probe`.
std::vector<SysfsSerialDevice> ScanSysfsSerialDevices(const std::string& sysfsRoot, const std::string& devRoot,
                                                      const SerialTypeProbe& probe);
