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

SimulatedReceiver::SimulatedReceiver() : m_time(SystemClock()) {}

SimulatedReceiver::SimulatedReceiver(TimeSource& time) : m_time(time) {}

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
  std::optional<ReplayLog> replay;
  if (!options.replay_path.empty()) {
    replay = ReplayLog::Load(options.replay_path, error);
    if (!replay) return false;
  }
  std::unique_ptr<PseudoTerminal> pty = PseudoTerminal::Open(options.baud, error);
  if (!pty) return false;

  {
    std::lock_guard lock(m_mutex);
    m_slavePath = pty->SlavePath();
    m_pty = std::move(pty);
    m_engine = std::make_unique<ReceiverEngine>(options, std::move(replay));
    m_startMs = m_time.NowMs();
    m_bytesSent = 0;
    m_lineSpeed = options.baud;
    m_running = true;
  }
  m_thread = std::jthread([this](std::stop_token stop) { Run(std::move(stop)); });
  return true;
}

void SimulatedReceiver::Stop() {
  if (!m_thread.joinable()) return;
  m_thread.request_stop();
  m_thread.join();
  std::lock_guard lock(m_mutex);
  m_pty.reset();
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
  if (m_running) m_engine->GoSilent(NowLocked(), ms);
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

std::uint64_t SimulatedReceiver::NowLocked() const { return m_time.NowMs() - m_startMs; }

void SimulatedReceiver::Run(std::stop_token stop) {
  do {
    const std::string input = m_pty->Read();
    const std::uint32_t speed = m_pty->LineSpeed();
    std::string output;
    {
      std::lock_guard lock(m_mutex);
      const std::uint64_t now = NowLocked();
      output = m_engine->Advance(now, speed);
      // The program's bytes arrived during the step just run.
      m_engine->Receive(now, input, speed);
      m_lineSpeed = speed;
    }
    const std::size_t written = m_pty->Write(output);
    {
      std::lock_guard lock(m_mutex);
      m_bytesSent += written;
    }
  } while (m_time.WaitFor(kStepMs, stop));
}

}  // namespace sim
