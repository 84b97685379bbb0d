// A sysfs tree in a temporary folder, with the links the kernel makes.
// Header-only, so that benchmarks use it without the test libraries.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class FakeSysfs {
 public:
  FakeSysfs()
      : m_root(std::filesystem::temp_directory_path() /
               ("zelmora-sysfs-" + std::to_string(getpid()) + "-" + std::to_string(s_counter++))) {
    std::filesystem::create_directories(m_root / "sys" / "class" / "tty");
    std::filesystem::create_directories(m_root / "sys" / "devices");
  }
  ~FakeSysfs() { std::filesystem::remove_all(m_root); }

  std::string Sysfs() const { return (m_root / "sys").string(); }
  std::string NumberFile() const { return (m_root / "config" / "com-ports").string(); }

  void Write(const std::string& relative, const std::string& text) const {
    std::filesystem::path path = m_root / "sys" / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
  }
  // Device folder `device` (below devices/) bound to `driver` of `bus`.
  void Device(const std::string& device, const std::string& bus, const std::string& driver) const {
    std::filesystem::path dir = m_root / "sys" / "devices" / device;
    std::filesystem::path drivers = m_root / "sys" / "bus" / bus / "drivers" / driver;
    std::filesystem::create_directories(dir);
    std::filesystem::create_directories(drivers);
    std::filesystem::create_directory_symlink(drivers, dir / "driver");
    std::filesystem::create_directory_symlink(m_root / "sys" / "bus" / bus, dir / "subsystem");
  }
  // /sys/class/tty/<name>, its device link pointing at devices/<device>.
  void Tty(const std::string& name, const std::string& device) const {
    std::filesystem::path entry = m_root / "sys" / "class" / "tty" / name;
    std::filesystem::create_directories(entry);
    if (!device.empty())
      std::filesystem::create_directory_symlink(m_root / "sys" / "devices" / device, entry / "device");
  }
  // /sys/dev/char/<number> ("1:3") of class `deviceClass` ("tty", "misc").
  void CharDevice(const std::string& number, const std::string& deviceClass) const {
    std::filesystem::path entry = m_root / "sys" / "dev" / "char" / number;
    std::filesystem::remove_all(entry);
    std::filesystem::create_directories(entry);
    std::filesystem::create_directory_symlink(m_root / "sys" / "class" / deviceClass, entry / "subsystem");
  }
  void RemoveTty(const std::string& name) const {
    std::filesystem::remove_all(m_root / "sys" / "class" / "tty" / name);
  }

  // A machine with four ports: a built-in UART (ttyS0), a phantom 8250 port
  // (ttyS1; whether it is one is the probe's answer), a USB-serial adapter
  // (ttyUSB0) and a USB receiver speaking CDC ACM (ttyACM0).
  void FourPorts() const {
    Device("pnp0/00:00", "pnp", "serial");
    Device("pnp0/00:00/00:00:0/00:00:0.0", "serial-base", "port");
    Tty("ttyS0", "pnp0/00:00/00:00:0/00:00:0.0");
    Device("platform/serial8250", "platform", "serial8250");
    Device("platform/serial8250/serial8250:0/serial8250:0.1", "serial-base", "port");
    Tty("ttyS1", "platform/serial8250/serial8250:0/serial8250:0.1");
    UsbDevice("pci0000:00/usb1/1-1", "0403", "6001", "FT232R USB UART", "A50285BI");
    Device("pci0000:00/usb1/1-1/1-1:1.0", "usb", "ftdi_sio_if");
    Device("pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0", "usb-serial", "ftdi_sio");
    Tty("ttyUSB0", "pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0");
    UsbDevice("pci0000:00/usb1/1-2", "1546", "01a7", "u-blox 7 - GPS/GNSS Receiver", "");
    Device("pci0000:00/usb1/1-2/1-2:1.0", "usb", "cdc_acm");
    Tty("ttyACM0", "pci0000:00/usb1/1-2/1-2:1.0");
  }

  // A USB device with its descriptor strings.
  void UsbDevice(const std::string& device, const std::string& vendor, const std::string& product,
                 const std::string& productName, const std::string& serial) const {
    Device(device, "usb", "usb");
    Write("devices/" + device + "/idVendor", vendor);
    Write("devices/" + device + "/idProduct", product);
    Write("devices/" + device + "/product", productName);
    if (!serial.empty()) Write("devices/" + device + "/serial", serial);
  }

 private:
  static inline int s_counter = 0;
  std::filesystem::path m_root;
};
