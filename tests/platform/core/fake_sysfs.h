// A sysfs tree in a temporary folder, with the links the kernel makes.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class FakeSysfs {
 public:
  FakeSysfs()
      : root_(std::filesystem::temp_directory_path() /
              ("zelmora-sysfs-" + std::to_string(getpid()) + "-" + std::to_string(counter_++))) {
    std::filesystem::create_directories(root_ / "sys" / "class" / "tty");
    std::filesystem::create_directories(root_ / "sys" / "devices");
  }
  ~FakeSysfs() { std::filesystem::remove_all(root_); }

  std::string Sysfs() const { return (root_ / "sys").string(); }
  std::string NumberFile() const { return (root_ / "config" / "com-ports").string(); }

  void Write(const std::string& relative, const std::string& text) const {
    std::filesystem::path path = root_ / "sys" / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
  }
  // Device folder `device` (below devices/) bound to `driver` of `bus`.
  void Device(const std::string& device, const std::string& bus, const std::string& driver) const {
    std::filesystem::path dir = root_ / "sys" / "devices" / device;
    std::filesystem::path drivers = root_ / "sys" / "bus" / bus / "drivers" / driver;
    std::filesystem::create_directories(dir);
    std::filesystem::create_directories(drivers);
    std::filesystem::create_directory_symlink(drivers, dir / "driver");
    std::filesystem::create_directory_symlink(root_ / "sys" / "bus" / bus, dir / "subsystem");
  }
  // /sys/class/tty/<name>, its device link pointing at devices/<device>.
  void Tty(const std::string& name, const std::string& device) const {
    std::filesystem::path entry = root_ / "sys" / "class" / "tty" / name;
    std::filesystem::create_directories(entry);
    if (!device.empty())
      std::filesystem::create_directory_symlink(root_ / "sys" / "devices" / device, entry / "device");
  }
  void RemoveTty(const std::string& name) const { std::filesystem::remove_all(root_ / "sys" / "class" / "tty" / name); }

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
  static inline int counter_ = 0;
  std::filesystem::path root_;
};
