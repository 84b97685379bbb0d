// The COM device table: which tty stands behind each "COMn:" name. Entries
// come from three sources, in this order of precedence:
//   1. the user's pins ("COM4:" = /dev/ttyUSB0, any tty path, pseudo-terminals
//      and /dev/rfcomm0 included, or a network source: tcp://, udp://,
//      gpsd://, see network_source.h);
//   2. the simulated receiver, pinned by the program at start-up;
//   3. the network sources written in the number file ("COM5:=tcp://...");
//   4. the serial devices found in sysfs, each keeping the number it was first
//      given, remembered in a small file in the configuration directory (like
//      the COM numbers a PC remembers for its USB adapters).
// A device whose remembered number a pin has taken is listed under the lowest
// free number for the time being. The table is read afresh on every query, so
// a device plugged in or out shows at the next one. HKEY_LOCAL_MACHINE\Drivers\Active
// in the registry is a view of it (active_drivers_hive.h).
#pragma once

#include "platform/core/config_files.h"
#include "platform/core/sysfs_serial_scan.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct ComDevice {
  unsigned number;     // 3 for "COM3:"
  std::wstring name;   // "COM3:"
  std::string path;    // "/dev/ttyACM0", or a network source "tcp://host:10110"
  std::wstring key;    // the driver's path: "Drivers\USB\Serial\cdc_acm", "Drivers\Virtual\GPS",
                       // "Drivers\Network\Serial\tcp"
  std::wstring pnpId;  // USB product string, a network source's description, or empty
};

class ComDeviceTable {
 public:
  // Where the table looks. The defaults are the system's; tests point them
  // at a tree of their own.
  struct Sources {
    std::string sysfsRoot = kSysfsRoot;
    std::string devRoot = "/dev";
    std::string numberFile;  // empty: <ConfigDirectory()>/com-ports
    SerialTypeProbe probe = ProbeSerialType;
  };

  ComDeviceTable();
  explicit ComDeviceTable(Sources sources);

  // The table CreateFileW and the registry use.
  static ComDeviceTable& Active();
  // Tests only: makes `table` the active one; nullptr restores the process's own.
  static void SetActive(ComDeviceTable* table);

  // Pins "COM<number>:" to the tty or network source at `path`. False for a
  // number outside 1..kHighestComNumber.
  bool PinPort(unsigned number, const std::string& path);
  // Pins the simulated receiver's pseudo-terminal as "COM<number>:" (below
  // the user's pins). False for a number outside 1..kHighestComNumber.
  bool PinSimulator(const std::string& path, unsigned number = 1);

  // Every entry, by number, read afresh.
  std::vector<ComDevice> Devices();
  // The tty path (or network source) behind a device name ("COM4:", any letter case; the colon may
  // be left out), or empty when there is none.
  std::string PathOf(const std::wstring& deviceName);

 private:
  std::string NumberFile() const;
  std::optional<std::map<std::string, unsigned>> LoadNumbers(const std::string& file) const;
  void SaveNumbers(const std::string& file, const std::map<std::string, unsigned>& numbers) const;

  Sources m_sources;
  // The number file as last read.
  struct NumberFileRead {
    FileStamp stamp;
    std::map<std::string, unsigned> numbers;
  };
  mutable std::mutex m_numbersLock;
  mutable std::optional<NumberFileRead> m_numbers;
  std::mutex m_lock;
  std::map<unsigned, std::string> m_pins;
  std::map<unsigned, std::string> m_simulator;
};

// The COM numbers this system has: COM1: to COM9:, those the Setup page lists.
inline constexpr unsigned kHighestComNumber = 9;

// "COM<n>:" -> n (1..kHighestComNumber), or 0 when `name` is not such a
// device name. The colon may be left out; letter case does not matter. The
// command line and the com-ports file read COM names with it, so both refuse
// COM10: alike (a com-ports line naming one is skipped as any bad line is).
unsigned ParseComName(const std::wstring& name);
