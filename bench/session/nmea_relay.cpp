#include "bench/session/nmea_relay.h"

#include <fcntl.h>
#include <pthread.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

namespace {

speed_t SpeedConstant(unsigned baud) {
  switch (baud) {
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B4800;
  }
}

}  // namespace

NmeaRelay::~NmeaRelay() { Stop(); }

bool NmeaRelay::Start(const std::string& receiverPath, unsigned baud, std::string* error) {
  receiverFd_ = open(receiverPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (receiverFd_ < 0) {
    *error = "cannot open " + receiverPath + ": " + std::strerror(errno);
    return false;
  }
  // The receiver talks at the speed its line is set to.
  termios settings{};
  tcgetattr(receiverFd_, &settings);
  cfmakeraw(&settings);
  cfsetispeed(&settings, SpeedConstant(baud));
  cfsetospeed(&settings, SpeedConstant(baud));
  tcsetattr(receiverFd_, TCSANOW, &settings);

  programMaster_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (programMaster_ < 0 || grantpt(programMaster_) != 0 || unlockpt(programMaster_) != 0) {
    *error = std::string("no pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  programPath_ = ptsname(programMaster_);
  thread_ = std::jthread([this](std::stop_token stop) { Run(std::move(stop)); });
  return true;
}

void NmeaRelay::Stop() {
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
  if (receiverFd_ >= 0) close(receiverFd_);
  if (programMaster_ >= 0) close(programMaster_);
  receiverFd_ = programMaster_ = -1;
}

std::vector<NmeaRelay::Sentence> NmeaRelay::Sentences() {
  std::lock_guard guard(lock_);
  return sentences_;
}

double NmeaRelay::CpuSeconds() {
  clockid_t clock{};
  timespec cpu{};
  if (!thread_.joinable() || pthread_getcpuclockid(thread_.native_handle(), &clock) != 0 ||
      clock_gettime(clock, &cpu) != 0) {
    return 0.0;
  }
  return static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
}

void NmeaRelay::Run(std::stop_token stop) {
  std::string partial;
  char buffer[1024];
  while (!stop.stop_requested()) {
    pollfd pfd{receiverFd_, POLLIN, 0};
    if (poll(&pfd, 1, 50) <= 0) continue;
    const ssize_t n = read(receiverFd_, buffer, sizeof buffer);
    if (n <= 0) continue;
    const Clock::time_point now = Clock::now();
    // What the program's side does not take in time is lost, as on a line.
    [[maybe_unused]] ssize_t written = write(programMaster_, buffer, static_cast<std::size_t>(n));
    partial.append(buffer, static_cast<std::size_t>(n));
    std::lock_guard guard(lock_);
    for (std::size_t end; (end = partial.find("\r\n")) != std::string::npos; partial.erase(0, end + 2)) {
      sentences_.push_back({partial.substr(0, end), now});
    }
  }
}
