#include "simulator/simulated_receiver.h"

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
  if (thread_.joinable()) {
    *error = "the receiver runs already";
    return false;
  }
  if (options.baud == 0) {
    *error = "the speed must not be 0";
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
    std::lock_guard lock(mutex_);
    slave_path_ = pty->SlavePath();
    pty_ = std::move(pty);
    engine_ = std::make_unique<ReceiverEngine>(options, std::move(replay));
    input_.clear();
    stop_fd_ = stop_fd;
    start_ms_ = Now();
    bytes_sent_ = 0;
    line_speed_ = options.baud;
    running_ = true;
    stopping_ = false;
  }
  wake_.Reset();
  {
    // Under a simulated clock time must wait for the thread from now on.
    std::lock_guard lock(KernelLock());
    CurrentClock().ReserveThread();
  }
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error& failure) {
    {
      std::lock_guard lock(KernelLock());
      CurrentClock().UnreserveThread();
    }
    *error = failure.what();
    std::lock_guard lock(mutex_);
    pty_.reset();
    engine_.reset();
    slave_path_.clear();
    close(stop_fd_);
    stop_fd_ = -1;
    running_ = false;
    return false;
  }
  try {
    watcher_ = std::thread([this] { WatchInput(); });
  } catch (const std::system_error&) {
    // Without a watcher the receiver still hears the program, at its next
    // byte or epoch.
  }
  return true;
}

void SimulatedReceiver::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.Set();
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(stop_fd_, &one, sizeof one);
  thread_.join();
  if (watcher_.joinable()) watcher_.join();
  std::lock_guard lock(mutex_);
  pty_.reset();
  close(stop_fd_);
  stop_fd_ = -1;
  slave_path_.clear();
  running_ = false;
}

bool SimulatedReceiver::IsRunning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

std::string SimulatedReceiver::SlavePath() const {
  std::lock_guard lock(mutex_);
  return slave_path_;
}

void SimulatedReceiver::SetFaults(const Faults& faults) {
  std::lock_guard lock(mutex_);
  if (running_) engine_->SetFaults(faults);
}

void SimulatedReceiver::GoSilent(std::uint32_t ms) {
  std::lock_guard lock(mutex_);
  if (running_) engine_->GoSilent(Now() - start_ms_, ms);
}

ReceiverStats SimulatedReceiver::Stats() const {
  std::lock_guard lock(mutex_);
  ReceiverStats stats;
  if (engine_) stats = engine_->Stats();
  // What reached the program is what the terminal took, not what the line
  // carried.
  stats.bytes_sent = bytes_sent_;
  stats.line_speed = line_speed_;
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
    const std::uint32_t speed = pty_->LineSpeed();
    std::string output;
    std::uint64_t due = 0;
    std::uint64_t now = 0;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      now = Now() - start_ms_;
      output = engine_->Advance(now, speed);
      // The program's bytes arrived during the time just run.
      engine_->Receive(now, input_, speed);
      input_.clear();
      line_speed_ = speed;
      due = engine_->NextDueMs();
    }
    const std::size_t written = pty_->Write(output);
    {
      std::lock_guard lock(mutex_);
      bytes_sent_ += written;
    }
    // At least 1 ms, so that a due time already reached cannot spin.
    const std::uint64_t wait = due > now ? due - now : 1;
    wake_.Wait(static_cast<DWORD>(std::min<std::uint64_t>(wait, INFINITE - 1)));
  }
  {
    std::lock_guard lock(KernelLock());
    CurrentClock().LeaveTime();
  }
}

void SimulatedReceiver::WatchInput() {
  pollfd fds[2] = {{pty_->MasterFd(), POLLIN, 0}, {stop_fd_, POLLIN, 0}};
  for (;;) {
    const int ready = poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || fds[1].revents != 0) return;
    if ((fds[0].revents & POLLIN) == 0) return;  // the terminal failed: the thread reads no more
    std::string bytes = pty_->Read();
    if (bytes.empty()) continue;
    {
      std::lock_guard lock(mutex_);
      input_ += bytes;
    }
    wake_.Set();
  }
}

}  // namespace sim
