// The program's sheet as the application builds it (Setup, GPS Info, About),
// run in-process on Qt's offscreen platform and on simulated time, with
// simulated receivers on real pseudo-terminals pinned as COM ports. Every
// port the program opens is logged: its name, the speeds it was set to and
// what was written to it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "app/zelmora_app.h"
#include "pages/gps_info_page.h"
#include "platform/afx/memory_registry_hive.h"
#include <optional>
#include "platform/core/com_device_table.h"
#include "platform/core/simulated_clock.h"
#include "simulator/simulated_receiver.h"
#include "resources/resource_ids.h"
#include "pages/setup_page.h"
#include "tests/support/test_com_devices.h"
#include "tests/support/time_zone.h"

// What the program did with its ports, in order.
struct PortLog {
  std::mutex lock;
  std::vector<std::wstring> opens;                     // device names opened
  std::vector<std::pair<std::wstring, DWORD>> speeds;  // every speed a port was set to
  std::string written;                                 // every byte written, all ports
  std::set<int> readers;                               // the threads that read a port
  std::vector<std::pair<DWORD, DWORD>> reads;          // reads that brought bytes: tick, count
  int openPorts = 0;

  std::vector<std::wstring> Opens();
  std::vector<std::pair<std::wstring, DWORD>> Speeds();
  std::string Written();
  int OpenPorts();
  std::set<int> Readers();
  std::vector<std::pair<DWORD, DWORD>> Reads();
};

class ChattyPort;

class SessionTest : public ::testing::Test {
 protected:
  static constexpr DWORD kStepMs = 10;

  SessionTest();
  ~SessionTest() override;

  void SetUp() override;
  void TearDown() override;

  // A receiver on a pseudo-terminal pinned as "COM<number>:".
  sim::SimulatedReceiver& AddReceiver(unsigned number, sim::ReceiverOptions options = {});
  // A pseudo-terminal pinned as "COM<number>:" that says nothing but what
  // the test writes to the returned master side.
  int AddMutePort(unsigned number);
  // A pseudo-terminal pinned as "COM<number>:" whose other side writes
  // `bytes` every 100 ms of simulated time, whatever the line's speed.
  void AddChattyPort(unsigned number, std::string bytes);
  // Gives the port pinned as "COM<number>:" the driver key `key` in the
  // table of active drivers.
  void SetDriverKey(unsigned number, std::wstring key);

  // Runs the application: its sheet and pages (the Setup page reads the
  // settings now). `steps` run inside the sheet's modal loop, with the GPS
  // Info page made once and the Setup page in front; the sheet is closed
  // afterwards unless the steps closed it. Returns InitInstance's result.
  BOOL RunSheet(const std::function<void()>& steps);

  // Lets `ms` of simulated time pass, the user-interface thread delivering
  // its timers and posted messages every kStepMs, as its event loop does.
  void Pass(DWORD ms);
  // Passes time until `done` holds; false when it did not within `limitMs`.
  bool PassUntil(const std::function<bool()>& done, DWORD limitMs);
  // The program's writes reach a simulated receiver as they happen, not on
  // simulated time: holds time still (for up to 5 s of real time) until
  // `receiver` has heard `count` bytes in all.
  static bool UntilHeard(sim::SimulatedReceiver& receiver, std::uint64_t count);
  // Delivers what is due now, without letting time pass.
  void Deliver();

  // A tap on a Setup page button.
  void Click(UINT id);
  void ShowPage(int index);
  HWND ShownPage();
  void CloseSheet();
  void SelectPort(int entry);
  void SelectSpeed(const std::wstring& speed);

  std::wstring SetupText(UINT id);
  std::wstring InfoText(UINT id);
  bool Enabled(UINT id);
  // The Cold Start button tells whether a session runs.
  bool RunningLook() { return Enabled(IDC_SETUP_COLD_START); }
  // Writes a picture of a window under build/pictures/.
  void SavePicture(HWND window, const std::string& name);

  // Settings as the Setup page will read them (before RunSheet), and as
  // they are stored.
  void WriteSetting(LPCWSTR name, DWORD value);
  void WriteSetting(LPCWSTR name, LPCWSTR value);
  std::optional<std::wstring> StoredString(LPCWSTR name);
  std::optional<DWORD> StoredNumber(LPCWSTR name);

  // Whether the process has a thread `tid`.
  static bool ThreadAlive(int tid);

  ScopedTimeZone zone_;
  std::unique_ptr<SimulatedClock> clock_;
  std::unique_ptr<TestComDevices> ports_;
  std::shared_ptr<MemoryRegistryHive> settings_ = std::make_shared<MemoryRegistryHive>();
  std::shared_ptr<PortLog> log_ = std::make_shared<PortLog>();
  std::map<unsigned, std::unique_ptr<sim::SimulatedReceiver>> receivers_;
  std::vector<int> mutePorts_;
  std::vector<std::unique_ptr<ChattyPort>> chattyPorts_;
  std::shared_ptr<class DriverKeyHive> hive_;
  // Runs on the user-interface thread whenever the program opens a port.
  std::function<void()> onOpen_;

  CZelmoraApp app_;
  // The running sheet's windows and pages, while RunSheet's steps run.
  HWND sheet_ = nullptr;
  CGeneralPpg* setup_ = nullptr;
  CStatusPpg* info_ = nullptr;
};
