// Processor time of a running reader thread, on the real clock: on a quiet
// port (a pseudo-terminal nobody writes to), on a receiver sending once a
// second and on a multi-system receiver at 115200 bps sending ten times a
// second (the simulated receiver, in a process of its own so that its work
// is not counted). Printed as CPU seconds per hour of session; for the fast
// receiver also the sentences it sent and the lines the reader announced,
// which must be equal.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/com_device_table.h"
#include "tests/support/reader_session.h"

namespace {

constexpr int kSeconds = 20;

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The simulated receiver in a process of its own, with its arguments; the
// path of its port, and its standard error to read its account from.
struct ReceiverProcess {
  pid_t pid = -1;
  std::string path;
  int err = -1;
};

ReceiverProcess StartReceiver(std::initializer_list<const char*> args) {
  int out[2];
  int err[2];
  if (pipe(out) != 0 || pipe(err) != 0) std::exit(1);
  std::vector<const char*> argv{ZELMORA_RECEIVER_TOOL};
  argv.insert(argv.end(), args);
  argv.push_back(nullptr);
  ReceiverProcess receiver;
  receiver.pid = fork();
  if (receiver.pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    close(out[0]);
    close(err[0]);
    execv(ZELMORA_RECEIVER_TOOL, const_cast<char* const*>(argv.data()));
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') receiver.path += c;
  close(out[0]);
  receiver.err = err[0];
  return receiver;
}

// Stops the receiver; the sentences it says it sent.
long StopReceiver(ReceiverProcess& receiver) {
  kill(receiver.pid, SIGTERM);
  waitpid(receiver.pid, nullptr, 0);
  std::string said;
  char buffer[256];
  for (ssize_t n; (n = read(receiver.err, buffer, sizeof buffer)) > 0;)
    said.append(buffer, static_cast<std::size_t>(n));
  close(receiver.err);
  const std::size_t at = said.find("stopped after ");
  return at == std::string::npos ? -1 : std::atol(said.c_str() + at + 14);
}

// Runs a reader thread on `path` at `speed` for `seconds` and returns the
// CPU seconds the process spent meanwhile, and the updates and lines it
// posted. `beforeStop` runs before the reader is stopped.
double RunReader(const std::string& path, long* updates, DWORD speed = 4800, long* lines = nullptr,
                 const std::function<void()>& beforeStop = {}, int seconds = kSeconds) {
  ComDeviceTable::Active().PinPort(9, path);
  ReaderSession reader;
  if (!reader.Open(L"COM9:", speed)) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    std::exit(1);
  }
  reader.Create();
  const double before = ProcessCpuSeconds();
  reader.Start();
  // The posted messages wait in the queue, so that only the reader thread
  // works meanwhile.
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  if (beforeStop) beforeStop();
  reader.StopAndJoin();
  const double used = ProcessCpuSeconds() - before;
  reader.Deliver();
  long updateCount = 0;
  long lineCount = 0;
  for (const PostedMessage& m : reader.Received()) {
    updateCount += m.message == WM_GPSUPDATE;
    lineCount += m.message == WM_GPSUPDATE && m.wParam == 0;
  }
  *updates = updateCount;
  if (lines != nullptr) *lines = lineCount;
  return used;
}

void Report(benchmark::State& state, double cpu, long updates, int seconds = kSeconds) {
  state.counters["cpu_s_per_hour"] = cpu * 3600.0 / seconds;
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
  ReceiverProcess receiver = StartReceiver({"--baud", "4800"});
  for (auto _ : state) {
    long updates = 0;
    const double cpu = RunReader(receiver.path, &updates);
    Report(state, cpu, updates);
  }
  StopReceiver(receiver);
}

// The receiver says nothing for its first two seconds, while the port is
// opened (opening discards what waits), and falls silent before the reader
// stops, which takes the rest of the line meanwhile (closing its side would
// discard what the terminal holds): every sentence sent should be announced.
void BM_ReaderFastMultiSystemReceiver(benchmark::State& state) {
  for (auto _ : state) {
    ReceiverProcess receiver = StartReceiver({"--baud", "115200", "--rate", "10", "--gnss", "--silence", "0:2"});
    long updates = 0;
    long lines = 0;
    long sent = 0;
    constexpr int kMinute = 60;
    const double cpu = RunReader(
        receiver.path, &updates, 115200, &lines,
        [&] {
          kill(receiver.pid, SIGUSR1);
          std::this_thread::sleep_for(std::chrono::seconds(1));
        },
        kMinute);
    sent = StopReceiver(receiver);
    Report(state, cpu, updates, kMinute);
    state.counters["sentences_sent"] = static_cast<double>(sent);
    state.counters["lines_announced"] = static_cast<double>(lines);
    if (sent != lines) {
      std::fprintf(stderr, "sent %ld sentences, the reader announced %ld lines\n", sent, lines);
      state.SkipWithError("the reader announced another number of lines than were sent");
    }
  }
}

BENCHMARK(BM_ReaderQuietPort)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ReaderOneHertzReceiver)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ReaderFastMultiSystemReceiver)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
