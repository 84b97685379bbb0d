#include "simulator/simulated_receiver.h"

#include "simulator/family_behaviour.h"

#include <cerrno>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace sim {

SimulatedReceiver::SimulatedReceiver() = default;

SimulatedReceiver::~SimulatedReceiver() { Stop(); }

bool SimulatedReceiver::Start(const ReceiverOptions& options, std::string* error) {
  if (m_thread.joinable()) {
    *error = "the receiver runs already";
    return false;
  }
  if (options.baud == 0) {
    *error = "the speed must not be 0";
    return false;
  }
  if (!options.family.empty() && FindReceiverFamily(options.family) == nullptr) {
    *error = "no receiver family " + options.family + " (the families: " + FamilyIdList() + ")";
    return false;
  }
  std::optional<ReplayLog> replay;
  if (!options.replay_path.empty()) {
    replay = ReplayLog::Load(options.replay_path, error);
    if (!replay) return false;
  }
  std::unique_ptr<PseudoTerminal> pty = PseudoTerminal::Open(options.baud, error);
  if (!pty) return false;
  const int stop_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stop_fd < 0) {
    *error = std::string("eventfd: ") + std::system_category().message(errno);
    return false;
  }

  {
    std::lock_guard lock(m_mutex);
    m_slavePath = pty->SlavePath();
    m_pty = std::move(pty);
    m_engine = std::make_unique<ReceiverEngine>(options, std::move(replay));
    m_input.clear();
    m_stopFd = stop_fd;
    m_startMs = Now();
    m_bytesSent = 0;
    m_lineSpeed = options.baud;
    m_running = true;
    m_stopping = false;
  }
  m_wake.Reset();
  {
    // Under a simulated clock time must wait for the thread from now on.
    std::lock_guard lock(KernelLock());
    CurrentClock().ReserveThread();
  }
  try {
    m_thread = std::thread([this] { Run(); });
  } catch (const std::system_error& failure) {
    {
      std::lock_guard lock(KernelLock());
      CurrentClock().UnreserveThread();
    }
    *error = failure.what();
    std::lock_guard lock(m_mutex);
    m_pty.reset();
    m_engine.reset();
    m_slavePath.clear();
    close(m_stopFd);
    m_stopFd = -1;
    m_running = false;
    return false;
  }
  try {
    m_watcher = std::thread([this] { WatchInput(); });
  } catch (const std::system_error&) {
    // Without a watcher the receiver still hears the program, at its next
    // byte or epoch.
  }
  return true;
}

void SimulatedReceiver::Stop() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_wake.Set();
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(m_stopFd, &one, sizeof one);
  m_thread.join();
  if (m_watcher.joinable()) m_watcher.join();
  std::lock_guard lock(m_mutex);
  m_pty.reset();
  close(m_stopFd);
  m_stopFd = -1;
  m_slavePath.clear();
  m_running = false;
}

bool SimulatedReceiver::IsRunning() const {
  std::lock_guard lock(m_mutex);
  return m_running;
}

std::string SimulatedReceiver::SlavePath() const {
  std::lock_guard lock(m_mutex);
  return m_slavePath;
}

void SimulatedReceiver::SetFaults(const Faults& faults) {
  std::lock_guard lock(m_mutex);
  if (m_running) m_engine->SetFaults(faults);
}

void SimulatedReceiver::GoSilent(std::uint32_t ms) {
  std::lock_guard lock(m_mutex);
  if (m_running) m_engine->GoSilent(Now() - m_startMs, ms);
}

ReceiverStats SimulatedReceiver::Stats() const {
  std::lock_guard lock(m_mutex);
  ReceiverStats stats;
  if (m_engine) stats = m_engine->Stats();
  // What reached the program is what the terminal took, not what the line
  // carried.
  stats.bytes_sent = m_bytesSent;
  stats.line_speed = m_lineSpeed;
  return stats;
}

std::uint64_t SimulatedReceiver::Now() const {
  std::lock_guard lock(KernelLock());
  return CurrentClock().NowMs();
}

void SimulatedReceiver::Run() {
  {
    std::lock_guard lock(KernelLock());
    CurrentClock().JoinTime();
  }
  for (;;) {
    const std::uint32_t speed = m_pty->LineSpeed();
    std::string output;
    std::uint64_t due = 0;
    std::uint64_t now = 0;
    {
      std::lock_guard lock(m_mutex);
      if (m_stopping) break;
      now = Now() - m_startMs;
      output = m_engine->Advance(now, speed);
      // The program's bytes arrived during the time just run.
      m_engine->Receive(now, m_input, speed);
      m_input.clear();
      m_lineSpeed = speed;
      due = m_engine->NextDueMs();
    }
    const std::size_t written = m_pty->Write(output);
    {
      std::lock_guard lock(m_mutex);
      m_bytesSent += written;
    }
    // At least 1 ms, so that a due time already reached cannot spin.
    const std::uint64_t wait = due > now ? due - now : 1;
    m_wake.Wait(static_cast<DWORD>(std::min<std::uint64_t>(wait, INFINITE - 1)));
  }
  {
    std::lock_guard lock(KernelLock());
    CurrentClock().LeaveTime();
  }
}

void SimulatedReceiver::WatchInput() {
  pollfd fds[2] = {{m_pty->MasterFd(), POLLIN, 0}, {m_stopFd, POLLIN, 0}};
  for (;;) {
    const int ready = poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || fds[1].revents != 0) return;
    if ((fds[0].revents & POLLIN) == 0) return;  // the terminal failed: the thread reads no more
    std::string bytes = m_pty->Read();
    if (bytes.empty()) continue;
    {
      std::lock_guard lock(m_mutex);
      m_input += bytes;
    }
    m_wake.Set();
  }
}

}  // namespace sim
