#include "simulator/simulated_receiver.h"

#include "simulator/system_time_source.h"

#include <optional>
#include <utility>

namespace sim {

namespace {

// Short enough that a 115200 bps line moves about 115 bytes per step and a
// cold start is heard within a few milliseconds of receiver time.
constexpr std::uint32_t kStepMs = 10;

TimeSource& SystemClock() {
  static SystemTimeSource clock;
  return clock;
}

}  // namespace

SimulatedReceiver::SimulatedReceiver() : time_(SystemClock()) {}

SimulatedReceiver::SimulatedReceiver(TimeSource& time) : time_(time) {}

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

  {
    std::lock_guard lock(mutex_);
    slave_path_ = pty->SlavePath();
    pty_ = std::move(pty);
    engine_ = std::make_unique<ReceiverEngine>(options, std::move(replay));
    start_ms_ = time_.NowMs();
    bytes_sent_ = 0;
    line_speed_ = options.baud;
    running_ = true;
  }
  thread_ = std::jthread([this](std::stop_token stop) { Run(std::move(stop)); });
  return true;
}

void SimulatedReceiver::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  thread_.join();
  std::lock_guard lock(mutex_);
  pty_.reset();
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
  if (running_) engine_->GoSilent(NowLocked(), ms);
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

std::uint64_t SimulatedReceiver::NowLocked() const { return time_.NowMs() - start_ms_; }

void SimulatedReceiver::Run(std::stop_token stop) {
  do {
    const std::string input = pty_->Read();
    const std::uint32_t speed = pty_->LineSpeed();
    std::string output;
    {
      std::lock_guard lock(mutex_);
      const std::uint64_t now = NowLocked();
      output = engine_->Advance(now, speed);
      // The program's bytes arrived during the step just run.
      engine_->Receive(now, input, speed);
      line_speed_ = speed;
    }
    const std::size_t written = pty_->Write(output);
    {
      std::lock_guard lock(mutex_);
      bytes_sent_ += written;
    }
  } while (time_.WaitFor(kStepMs, stop));
}

}  // namespace sim
