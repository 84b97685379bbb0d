#include "session_fixture.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <thread>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "platform/core/active_drivers_hive.h"
#include "platform/core/clock.h"
#include "platform/core/last_error.h"
#include "platform/core/network_port.h"
#include "platform/core/waitable_object.h"
#include "platform/core/registry.h"
#include "platform/core/termios_port.h"
#include "platform/ui/message_box.h"
#include "platform/ui/property_sheet_window.h"
#include "platform/ui/screen.h"
#include "platform/ui/timer_service.h"
#include "platform/ui/ui_application.h"
#include "platform/ui/window_picture.h"
#include "resources/resource_ids.h"

namespace {

// A port as the program sees it, telling the log what is done with it.
class LoggedPort final : public CommPort {
 public:
  LoggedPort(std::wstring name, std::unique_ptr<CommPort> port, std::shared_ptr<PortLog> log)
      : name_(std::move(name)), port_(std::move(port)), log_(std::move(log)) {
    std::lock_guard lock(log_->lock);
    log_->opens.push_back(name_);
    ++log_->openPorts;
  }
  ~LoggedPort() override {
    std::lock_guard lock(log_->lock);
    --log_->openPorts;
  }
  BOOL GetState(DCB* dcb) override { return port_->GetState(dcb); }
  BOOL SetState(const DCB& dcb) override {
    {
      std::lock_guard lock(log_->lock);
      log_->speeds.emplace_back(name_, dcb.BaudRate);
    }
    return port_->SetState(dcb);
  }
  BOOL SetTimeouts(const COMMTIMEOUTS& timeouts) override { return port_->SetTimeouts(timeouts); }
  BOOL Purge(DWORD flags) override { return port_->Purge(flags); }
  BOOL Escape(DWORD function) override { return port_->Escape(function); }
  BOOL SetMask(DWORD mask) override { return port_->SetMask(mask); }
  BOOL Read(void* buffer, DWORD toRead, DWORD* read) override {
    BOOL result = port_->Read(buffer, toRead, read);
    std::lock_guard lock(log_->lock);
    log_->readers.insert(static_cast<int>(gettid()));
    if (*read > 0) log_->reads.emplace_back(GetTickCount(), *read);
    return result;
  }
  BOOL Write(const void* buffer, DWORD toWrite, DWORD* written) override {
    BOOL result = port_->Write(buffer, toWrite, written);
    std::lock_guard lock(log_->lock);
    log_->written.append(static_cast<const char*>(buffer), *written);
    return result;
  }

 private:
  std::wstring name_;
  std::unique_ptr<CommPort> port_;
  std::shared_ptr<PortLog> log_;
};

}  // namespace

// The other side of a pseudo-terminal, talking every 100 ms of simulated time
// (its thread takes part in it as the program's threads do).
class ChattyPort {
 public:
  ChattyPort(int master, std::string bytes) : master_(master), bytes_(std::move(bytes)) {
    {
      std::lock_guard lock(KernelLock());
      CurrentClock().ReserveThread();
    }
    thread_ = std::thread([this] {
      {
        std::lock_guard lock(KernelLock());
        CurrentClock().JoinTime();
      }
      do {
        [[maybe_unused]] ssize_t written = write(master_, bytes_.data(), bytes_.size());
      } while (stop_.Wait(100) == WAIT_TIMEOUT);
      std::lock_guard lock(KernelLock());
      CurrentClock().LeaveTime();
    });
  }
  ~ChattyPort() {
    stop_.Set();
    thread_.join();
    close(master_);
  }

 private:
  int master_;
  std::string bytes_;
  WaitableObject stop_{HandleType::Event, true, false};
  std::thread thread_;
};

// The table of active drivers with some ports' driver keys replaced.
class DriverKeyHive final : public RegistryHive {
 public:
  std::optional<RegistryKeySnapshot> ReadKey(const std::wstring& path) override {
    std::optional<RegistryKeySnapshot> key = active_.ReadKey(path);
    if (!key) return key;
    std::optional<std::wstring> name;
    for (auto& [valueName, value] : key->values) {
      if (valueName == L"Name") name = reinterpret_cast<const wchar_t*>(value.data.data());
    }
    for (auto& [valueName, value] : key->values) {
      if (valueName == L"Key" && name && keys_.count(*name)) value = StringValue(keys_[*name]);
    }
    return key;
  }
  std::map<std::wstring, std::wstring> keys_;

 private:
  ActiveDriversHive active_;
};

std::vector<std::wstring> PortLog::Opens() {
  std::lock_guard guard(lock);
  return opens;
}

std::vector<std::pair<std::wstring, DWORD>> PortLog::Speeds() {
  std::lock_guard guard(lock);
  return speeds;
}

std::string PortLog::Written() {
  std::lock_guard guard(lock);
  return written;
}

std::set<int> PortLog::Readers() {
  std::lock_guard guard(lock);
  return readers;
}

std::vector<std::pair<DWORD, DWORD>> PortLog::Reads() {
  std::lock_guard guard(lock);
  return reads;
}

int PortLog::OpenPorts() {
  std::lock_guard guard(lock);
  return openPorts;
}

SessionTest::SessionTest() = default;

SessionTest::~SessionTest() = default;

void SessionTest::SetUp() {
  EnsureTestApplication();
  zone_.Use("UTC");
  tzset();
  SetScreenSize(480, 640);
  CoreSetRegistryHive(HKEY_CURRENT_USER, settings_);
  app_.SetRegistryKey(L"Tavrin");
  ClearMessageBoxesShown();
  SetMessageBoxAnswerer([](const MessageBoxRecord&) { return IDOK; });

  ports_ = std::make_unique<TestComDevices>();
  CoreSetCommOpener([this, table = &ports_->Table(), log = log_](LPCWSTR name, DWORD access, DWORD, DWORD,
                                                                 DWORD) -> std::unique_ptr<CommPort> {
    std::string path = table->PathOf(name);
    if (path.empty()) {
      SetLastError(ERROR_FILE_NOT_FOUND);  // as the real opener says of a number with no device
      return nullptr;
    }
    if (onOpen_) onOpen_();
    const std::optional<NetworkSource> network = ParseNetworkSource(path);
    std::unique_ptr<CommPort> port = network ? NetworkPort::Open(*network, access) : TermiosPort::Open(path, access);
    if (!port) return nullptr;
    return std::make_unique<LoggedPort>(name, std::move(port), log);
  });

  clock_ = std::make_unique<SimulatedClock>(100000, SimulatedClock::kAutoAdvance);
}

void SessionTest::TearDown() {
  receivers_.clear();
  chattyPorts_.clear();
  clock_.reset();
  for (int master : mutePorts_) close(master);
  CoreSetCommOpener(nullptr);
  ports_.reset();
  if (hive_) CoreSetRegistryHive(HKEY_LOCAL_MACHINE, std::make_shared<ActiveDriversHive>());
  SetMessageBoxAnswerer(nullptr);
  CoreSetRegistryHive(HKEY_CURRENT_USER, nullptr);
}

sim::SimulatedReceiver& SessionTest::AddReceiver(unsigned number, sim::ReceiverOptions options) {
  auto receiver = std::make_unique<sim::SimulatedReceiver>();
  std::string error;
  EXPECT_TRUE(receiver->Start(options, &error)) << error;
  ports_->Table().PinPort(number, receiver->SlavePath());
  return *(receivers_[number] = std::move(receiver));
}

int SessionTest::AddMutePort(unsigned number) {
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  EXPECT_GE(master, 0);
  EXPECT_EQ(grantpt(master), 0);
  EXPECT_EQ(unlockpt(master), 0);
  mutePorts_.push_back(master);
  ports_->Table().PinPort(number, ptsname(master));
  return master;
}

void SessionTest::AddChattyPort(unsigned number, std::string bytes) {
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  ports_->Table().PinPort(number, ptsname(master));
  chattyPorts_.push_back(std::make_unique<ChattyPort>(master, std::move(bytes)));
}

void SessionTest::SetDriverKey(unsigned number, std::wstring key) {
  if (!hive_) {
    hive_ = std::make_shared<DriverKeyHive>();
    CoreSetRegistryHive(HKEY_LOCAL_MACHINE, hive_);
  }
  wchar_t name[16];
  std::swprintf(name, 16, L"COM%u:", number);
  hive_->keys_[name] = std::move(key);
}

BOOL SessionTest::RunSheet(const std::function<void()>& steps) {
  QTimer::singleShot(0, [this, &steps] {
    sheet_ = RunningPropertySheet();
    ASSERT_NE(sheet_, nullptr);
    ShowPage(1);
    info_ = dynamic_cast<CStatusPpg*>(CWnd::FromHandlePermanent(ShownPage()));
    ShowPage(0);
    setup_ = dynamic_cast<CGeneralPpg*>(CWnd::FromHandlePermanent(ShownPage()));
    ASSERT_NE(info_, nullptr);
    ASSERT_NE(setup_, nullptr);
    steps();
    if (RunningPropertySheet() != nullptr) CloseSheet();
  });
  BOOL result = app_.InitInstance();
  sheet_ = nullptr;
  setup_ = nullptr;
  info_ = nullptr;
  return result;
}

HWND SessionTest::ShownPage() { return reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)); }

void SessionTest::Deliver() {
  DeliverDueTimers();
  DeliverPostedMessages();
  QCoreApplication::processEvents();
}

void SessionTest::Pass(DWORD ms) {
  // Handlers may wait in the kernel (a stop handshake) and let time run on
  // past the end.
  const DWORD end = GetTickCount() + ms;
  for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
    Sleep(std::min<DWORD>(kStepMs, end - now));
    Deliver();
  }
}

bool SessionTest::PassUntil(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD end = GetTickCount() + limitMs;
  for (;;) {
    Deliver();
    if (done()) return true;
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) return false;
    Sleep(std::min<DWORD>(kStepMs, end - now));
  }
}

bool SessionTest::UntilHeard(sim::SimulatedReceiver& receiver, std::uint64_t count) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (receiver.Stats().bytes_received < count) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::yield();
  }
  return true;
}

void SessionTest::Click(UINT id) { SendMessageW(GetDlgItem(setup_->m_hWnd, static_cast<int>(id)), BM_CLICK, 0, 0); }

void SessionTest::ShowPage(int index) { SendMessageW(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0); }

void SessionTest::CloseSheet() { SendMessageW(sheet_, WM_CLOSE, 0, 0); }

void SessionTest::SelectPort(int entry) {
  SendMessageW(GetDlgItem(setup_->m_hWnd, IDC_SETUP_PORT), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

void SessionTest::SelectSpeed(const std::wstring& speed) {
  SendMessageW(GetDlgItem(setup_->m_hWnd, IDC_SETUP_BAUD), CB_SELECTSTRING, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(speed.c_str()));
}

namespace {

std::wstring WindowText(HWND window) {
  wchar_t text[2048] = {};
  GetWindowTextW(window, text, 2048);
  return text;
}

}  // namespace

std::wstring SessionTest::SetupText(UINT id) { return WindowText(GetDlgItem(setup_->m_hWnd, static_cast<int>(id))); }

std::wstring SessionTest::InfoText(UINT id) { return WindowText(GetDlgItem(info_->m_hWnd, static_cast<int>(id))); }

bool SessionTest::Enabled(UINT id) {
  return IsWindowEnabled(GetDlgItem(setup_->m_hWnd, static_cast<int>(id))) != FALSE;
}

void SessionTest::SavePicture(HWND window, const std::string& name) {
  EXPECT_TRUE(SaveWindowPicture(window, std::string(ZELMORA_BINARY_DIR) + "/pictures/" + name)) << name;
}

void SessionTest::WriteSetting(LPCWSTR name, DWORD value) { app_.WriteProfileInt(L"", name, static_cast<int>(value)); }

void SessionTest::WriteSetting(LPCWSTR name, LPCWSTR value) { app_.WriteProfileString(L"", name, value); }

namespace {

std::optional<RegistryValue> StoredValue(RegistryHive& hive, const std::wstring& key, LPCWSTR name) {
  std::optional<RegistryKeySnapshot> snapshot = hive.ReadKey(key);
  if (!snapshot) return std::nullopt;
  for (const auto& [valueName, value] : snapshot->values) {
    if (valueName == name) return value;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> SessionTest::StoredString(LPCWSTR name) {
  std::optional<RegistryValue> value = StoredValue(*settings_, app_.ProfileKey(L""), name);
  if (!value || value->type != REG_SZ) return std::nullopt;
  return std::wstring(reinterpret_cast<const wchar_t*>(value->data.data()));
}

std::optional<DWORD> SessionTest::StoredNumber(LPCWSTR name) {
  std::optional<RegistryValue> value = StoredValue(*settings_, app_.ProfileKey(L""), name);
  if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD)) return std::nullopt;
  DWORD number = 0;
  std::memcpy(&number, value->data.data(), sizeof number);
  return number;
}

bool SessionTest::ThreadAlive(int tid) { return std::filesystem::exists("/proc/self/task/" + std::to_string(tid)); }
