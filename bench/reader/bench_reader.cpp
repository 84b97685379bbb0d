// Processor time of a running reader thread, on the real clock: on a quiet
// port (a pseudo-terminal nobody writes to) and on a receiver sending once a
// second (the simulated receiver, in a process of its own so that its work is
// not counted). Printed as CPU seconds per hour of session.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "acquisition/gps_read_thread.h"
#include "platform/core/com_device_table.h"
#include "platform/core/event.h"
#include "platform/core/window_core.h"
#include "serial/serial_com.h"

namespace {

constexpr int kSeconds = 20;

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class CountingWindow : public CoreWindow {
 public:
  LRESULT WindowProc(UINT msg, WPARAM, LPARAM) override {
    messages += msg == WM_GPSUPDATE;
    return 0;
  }
  long messages = 0;
};

// Runs a reader thread on `path` for kSeconds and returns the CPU seconds
// the process spent meanwhile, and the updates it posted.
double RunReader(const std::string& path, long* updates) {
  ComDeviceTable::Active().PinPort(9, path);
  CountingWindow window;
  CWndHandle owner;
  owner.m_hWnd = CoreRegisterWindow(&window);
  HANDLE hStart = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  HANDLE hStop = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  CSerialCom serial;
  if (!serial.Open(L"COM9:", 4800, 8, 0, 0)) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    std::exit(1);
  }
  auto thread = std::make_unique<CGPSReadThread>(&owner, &serial, 1024, hStart, hStop);
  const double before = ProcessCpuSeconds();
  thread->StartThread(hStart);
  // The posted messages wait in the queue, so that only the reader thread
  // works meanwhile.
  std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
  thread->StopThread(hStop);
  thread->Join();
  const double used = ProcessCpuSeconds() - before;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  thread.reset();
  serial.Close();
  CoreUnregisterWindow(owner.m_hWnd);
  CloseHandle(hStart);
  CloseHandle(hStop);
  *updates = window.messages;
  return used;
}

void Report(benchmark::State& state, double cpu, long updates) {
  state.counters["cpu_s_per_hour"] = cpu * 3600.0 / kSeconds;
  state.counters["updates"] = static_cast<double>(updates);
}

void BM_ReaderQuietPort(benchmark::State& state) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  grantpt(master);
  unlockpt(master);
  const std::string path = ptsname(master);
  for (auto _ : state) {
    long updates = 0;
    const double cpu = RunReader(path, &updates);
    Report(state, cpu, updates);
  }
  close(master);
}

void BM_ReaderOneHertzReceiver(benchmark::State& state) {
  int out[2];
  if (pipe(out) != 0) std::exit(1);
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    execl(ZELMORA_RECEIVER_TOOL, ZELMORA_RECEIVER_TOOL, "--baud", "4800", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string path;
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') path += c;
  for (auto _ : state) {
    long updates = 0;
    const double cpu = RunReader(path, &updates);
    Report(state, cpu, updates);
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  close(out[0]);
}

BENCHMARK(BM_ReaderQuietPort)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ReaderOneHertzReceiver)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
