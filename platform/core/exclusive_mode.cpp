#include "platform/core/exclusive_mode.h"

#include "platform/core/diagnostics.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <sys/ioctl.h>

namespace {

// Room for every tty the program holds at once: it holds one, and Scan opens
// them one after another. A slot holds a descriptor + 1, or 0 when free, so
// the table starts empty without an initialiser.
constexpr int kSlots = 16;
std::atomic<int> g_slots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free, "the signal handlers read the table");

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
// Each signal's disposition before ours; written before ours is installed.
struct sigaction g_previous[NSIG];

// Lifts the exclusive mode of every remembered tty. Async-signal-safe: atomic
// loads and ioctl only. A descriptor closed and reused meanwhile by a file
// that is no tty only refuses the ioctl.
void LeaveAll() {
  for (std::atomic<int>& slot : g_slots) {
    const int held = slot.load();
    if (held != 0) ioctl(held - 1, TIOCNXCL);
  }
}

// A fault of the processor: returning runs the faulting instruction again.
bool IsFault(int signal, const siginfo_t* info) {
  return info->si_code > 0 && (signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL);
}

// Lifts exclusive mode, then lets the signal do what it did before: the
// previous disposition comes back and the signal is raised again, to be
// delivered once this handler returns, so the exit status, a core dump or a
// sanitizer's report stay what they were. A fault is not raised again:
// returning repeats it, and the previous handler sees the real fault and its
// address.
void OnSignal(int signal, siginfo_t* info, void*) {
  const int saved = errno;
  LeaveAll();
  sigaction(signal, &g_previous[signal], nullptr);
  if (!IsFault(signal, info)) raise(signal);
  errno = saved;
}

void InstallHandlers() {
  std::atexit(LeaveAll);
  for (int signal : kSignals) {
    struct sigaction& previous = g_previous[signal];
    if (sigaction(signal, nullptr, &previous) != 0) continue;
    // An ignored signal (SIGHUP under nohup) ends nothing and stays ignored.
    if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler == SIG_IGN) continue;
    struct sigaction ours {};
    ours.sa_sigaction = OnSignal;
    // On the alternate stack where the thread has one (a sanitizer sets one
    // up), so that a stack overflow gets here too.
    ours.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&ours.sa_mask);
    sigaction(signal, &ours, nullptr);
  }
}

}  // namespace

int EnterExclusiveMode(int fd) {
  static std::once_flag installed;
  std::call_once(installed, InstallHandlers);
  // Remembered before the mode is set: a signal in between lifts a mode that
  // is not set yet, which does no harm.
  std::atomic<int>* slot = nullptr;
  for (std::atomic<int>& free : g_slots) {
    int expected = 0;
    if (free.compare_exchange_strong(expected, fd + 1)) {
      slot = &free;
      break;
    }
  }
  if (slot == nullptr) {
    ZELMORA_DEBUG_LOG("serial: descriptor %d would stay exclusive after a crash: no room to remember it", fd);
  }
  if (ioctl(fd, TIOCEXCL) == 0) return 0;
  const int err = errno;
  if (slot != nullptr) slot->store(0);
  return err;
}

void LeaveExclusiveMode(int fd) {
  ioctl(fd, TIOCNXCL);
  for (std::atomic<int>& slot : g_slots) {
    int expected = fd + 1;
    if (slot.compare_exchange_strong(expected, 0)) return;
  }
}
