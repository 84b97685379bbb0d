// Zelmora as its user notices it, on the real clock and Qt's offscreen
// platform: the time from the program's start to its sheet on the screen, and
// a minute's session on the simulated receiver at 1 Hz: processor time of the
// whole process per hour, peak resident memory, and how long after a
// sentence's last byte its text shows in the raw box and on the GPS Info page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/zelmora_app.h"
#include "bench/session/nmea_relay.h"
#include "platform/afx/afx_main.h"
#include "platform/afx/memory_registry_hive.h"
#include "platform/core/com_device_table.h"
#include "platform/core/registry.h"
#include "simulator/simulated_receiver.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/log_view.h"
#include "platform/ui/property_sheet_window.h"
#include "platform/ui/ui_application.h"
#include "platform/ui/ui_window.h"
#include "pages/setup_page.h"
#include "resources/resource_ids.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kProbeOption = "--startup-probe";
constexpr int kWarmUpMs = 3000;
constexpr int kSessionMs = 60000;
constexpr int kRawBoxMs = 20000;

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// The receiver `--simulate` (or `--simulate-gnss`) starts: 4800 bps, the
// current UTC time.
std::string StartSimulatedReceiver(unsigned, bool multiConstellation, const std::string& family, bool stationary) {
  static sim::SimulatedReceiver receiver;
  sim::ReceiverOptions options;
  options.utc_start_s = static_cast<std::int64_t>(std::time(nullptr));
  options.gnss = multiConstellation;
  options.family = family;
  options.stationary = stationary;
  std::string error;
  return receiver.Start(options, &error) ? receiver.SlavePath() : std::string();
}

// In the startup probe: the first paint of the sheet's window, reported as
// CLOCK_MONOTONIC nanoseconds on standard output; then the sheet closes.
class SheetShownProbe : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || reported_) return false;
    HWND sheet = RunningPropertySheet();
    UiWindow* window = sheet != nullptr ? UiWindow::FromHandle(sheet) : nullptr;
    if (window == nullptr || watched != window->Widget()) return false;
    reported_ = true;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    QTimer::singleShot(0, [sheet] { SendMessageW(sheet, WM_CLOSE, 0, 0); });
    return false;
  }

 private:
  bool reported_ = false;
};

}  // namespace

// The program's application, with the startup probe when asked for.
class CBenchApp : public CZelmoraApp {
 public:
  BOOL InitInstance() override {
    SheetShownProbe probe;
    if (m_bProbe) QApplication::instance()->installEventFilter(&probe);
    return CZelmoraApp::InitInstance();
  }
  bool m_bProbe = false;
};

CBenchApp theApp;

namespace {

// The program started afresh as `make run` starts it; the time until its
// sheet is painted, and the peak memory of that process.
void BM_StartupToSheet(benchmark::State& state) {
  double peakRssMb = 0.0;
  const std::filesystem::path config = std::filesystem::temp_directory_path() / "zelmora-bench-config";
  std::filesystem::create_directories(config);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  for (auto _ : state) {
    int out[2];
    if (pipe(out) != 0) {
      state.SkipWithError("no pipe");
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
      state.SkipWithError("cannot find the program");
      return;
    }
    char probe[] = "--startup-probe";
    char* argv[] = {self, probe, nullptr};
    pid_t child = 0;
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const int spawned = posix_spawn(&child, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
      close(out[0]);
      state.SkipWithError("cannot start the program");
      return;
    }
    std::string reply;
    char buffer[64];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) reply.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (reply.empty() || !WIFEXITED(status)) {
      state.SkipWithError("the program did not show its sheet");
      return;
    }
    const long long shownNs = std::atoll(reply.c_str());
    const long long startNs = static_cast<long long>(start.tv_sec) * 1000000000LL + start.tv_nsec;
    state.SetIterationTime(static_cast<double>(shownNs - startNs) / 1e9);
    peakRssMb = std::max(peakRssMb, static_cast<double>(usage.ru_maxrss) / 1024.0);
  }
  state.counters["peak_rss_mb"] = peakRssMb;
  std::filesystem::remove_all(config);
}
BENCHMARK(BM_StartupToSheet)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// One refresh of the raw sentence box with a new line at its end: the
// Setup page's part of every raw-text notice.
void BM_ShowRawText(benchmark::State& state) {
  CoreSetRegistryHive(HKEY_CURRENT_USER, std::make_shared<MemoryRegistryHive>());
  CGeneralPpg page;
  page.CreatePageWindow(nullptr);
  std::string lines;
  for (int i = 0; lines.size() < 2100; ++i) {
    lines +=
        "$GPGSV,3,1,10,05,82,031,48,06,37,304,37,07,24,081,40,15,41,226," + std::to_string(10 + i % 90) + "*7A\r\n";
  }
  const std::wstring texts[2] = {std::wstring(lines.end() - 1024, lines.end()),
                                 std::wstring(lines.end() - 1100, lines.end() - 76)};
  int turn = 0;
  for (auto _ : state) {
    page.ShowRawText(texts[turn]);
    turn ^= 1;
  }
  page.DestroyWindow();
  CoreSetRegistryHive(HKEY_CURRENT_USER, nullptr);
}
BENCHMARK(BM_ShowRawText)->Unit(benchmark::kMicrosecond);

double CpuSeconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return CpuSeconds(usage);
}

// Processor time of one of this process's threads, from /proc.
double ThreadCpuSeconds(int tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return 0.0;
  std::vector<std::string> fields;
  std::size_t pos = close + 2;
  for (std::size_t end; (end = text.find(' ', pos)) != std::string::npos; pos = end + 1) {
    fields.push_back(text.substr(pos, end - pos));
  }
  // After the name: state is field 0, utime 11, stime 12 (clock ticks).
  if (fields.size() < 13) return 0.0;
  return static_cast<double>(std::atoll(fields[11].c_str()) + std::atoll(fields[12].c_str())) /
         static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::set<int> ThreadIds() {
  std::set<int> ids;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    ids.insert(std::atoi(entry.path().filename().c_str()));
  }
  return ids;
}

struct Delays {
  std::vector<double> ms;
  double Mean() const {
    return ms.empty() ? 0.0 : std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
  }
  double Max() const { return ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()); }
  double Percentile(double p) const {
    if (ms.empty()) return 0.0;
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted[static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1))];
  }
};

// What the user sees change: the raw box's text, and the GPS Info page's
// Time field when it is painted with a new second.
class PageWatcher : public QObject {
 public:
  PageWatcher(NmeaRelay& relay, LogView* raw, QLabel* time) : relay_(relay), raw_(raw), time_(time) {
    raw->OnTextChanged([this, raw] { RawChanged(raw->Text()); });
    time->installEventFilter(this);
  }
  ~PageWatcher() override { raw_->OnTextChanged(nullptr); }
  void Measure(bool on) { measuring_ = on; }
  Delays raw;
  Delays info;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && time_->text() != lastTime_) {
      lastTime_ = time_->text();
      InfoShown(QString(lastTime_).remove(':').toStdString());
    }
    return false;
  }

 private:
  // Every sentence up to the box's last line is on the screen now.
  void RawChanged(const QString& text) {
    const Clock::time_point now = Clock::now();
    QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    if (lines.isEmpty()) return;
    const std::string last = lines.back().trimmed().toStdString();
    const std::vector<NmeaRelay::Sentence> sentences = relay_.Sentences();
    for (std::size_t i = sentences.size(); i-- > shownUpTo_;) {
      if (sentences[i].text != last) continue;
      for (std::size_t k = shownUpTo_; k <= i; ++k) {
        if (measuring_) raw.ms.push_back(Milliseconds(now - sentences[k].arrived));
      }
      shownUpTo_ = i + 1;
      break;
    }
  }
  // The $GPRMC whose time the page now shows.
  void InfoShown(const std::string& hhmmss) {
    const Clock::time_point now = Clock::now();
    for (const NmeaRelay::Sentence& sentence : relay_.Sentences()) {
      if (sentence.text.rfind("$GPRMC," + hhmmss, 0) == 0) {
        if (measuring_) info.ms.push_back(Milliseconds(now - sentence.arrived));
        return;
      }
    }
  }

  NmeaRelay& relay_;
  LogView* raw_;
  QLabel* time_;
  QString lastTime_;
  std::size_t shownUpTo_ = 0;
  bool measuring_ = false;
};

void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

HWND ShownPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

// A session on COM1 with the receiver at 4800 bps: 20 s with the Setup page
// in front for the raw box, then a minute with the GPS Info page in front for
// the processor time and the GPS Info page's delays.
void BM_Session(benchmark::State& state) {
  CoreSetRegistryHive(HKEY_CURRENT_USER, std::make_shared<MemoryRegistryHive>());
  for (auto _ : state) {
    const std::set<int> before = ThreadIds();
    sim::SimulatedReceiver receiver;
    sim::ReceiverOptions options;
    options.utc_start_s = static_cast<std::int64_t>(std::time(nullptr));
    std::string error;
    if (!receiver.Start(options, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    // The receiver's threads: the one that runs it and the one that waits
    // for the program's writes.
    std::vector<int> receiverTids;
    for (int id : ThreadIds()) {
      if (!before.count(id)) receiverTids.push_back(id);
    }
    const auto receiverSeconds = [&] {
      double seconds = 0.0;
      for (int id : receiverTids) seconds += ThreadCpuSeconds(id);
      return seconds;
    };
    NmeaRelay relay;
    if (!relay.Start(receiver.SlavePath(), options.baud, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    ComDeviceTable::Active().PinPort(1, relay.ProgramPath());

    double cpu = 0.0;
    double relayCpu = 0.0;
    double receiverCpu = 0.0;
    double uiCpu = 0.0;
    double wall = 0.0;
    std::unique_ptr<PageWatcher> watcher;
    QTimer::singleShot(0, [&] {
      HWND sheet = RunningPropertySheet();
      HWND setup = ShownPage(sheet);
      auto* raw = dynamic_cast<EditWindow*>(UiWindow::FromHandle(GetDlgItem(setup, IDC_SETUP_RAW_TEXT)));
      SendMessageW(GetDlgItem(setup, IDC_SETUP_START_STOP), BM_CLICK, 0, 0);
      SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
      HWND info = ShownPage(sheet);
      SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
      auto* time = qobject_cast<QLabel*>(UiWindow::FromHandle(GetDlgItem(info, IDC_INFO_TIME))->Widget());
      if (raw == nullptr || time == nullptr) {
        state.SkipWithError("the pages lack their controls");
        SendMessageW(sheet, WM_CLOSE, 0, 0);
        return;
      }
      watcher = std::make_unique<PageWatcher>(relay, raw->View(), time);
      RunFor(kWarmUpMs);
      watcher->Measure(true);
      // The raw box with the Setup page in front (a box nobody sees is
      // brought up to date when it is shown), then the GPS Info page.
      RunFor(kRawBoxMs);
      SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
      RunFor(kWarmUpMs);
      const double cpuStart = ProcessCpuSeconds();
      const double relayStart = relay.CpuSeconds();
      const double receiverStart = receiverSeconds();
      const double uiStart = ThreadCpuSeconds(static_cast<int>(getpid()));
      const Clock::time_point start = Clock::now();
      RunFor(kSessionMs);
      wall = std::chrono::duration<double>(Clock::now() - start).count();
      cpu = ProcessCpuSeconds() - cpuStart;
      relayCpu = relay.CpuSeconds() - relayStart;
      receiverCpu = receiverSeconds() - receiverStart;
      uiCpu = ThreadCpuSeconds(static_cast<int>(getpid())) - uiStart;
      watcher->Measure(false);
      SendMessageW(sheet, WM_CLOSE, 0, 0);
    });
    theApp.InitInstance();
    relay.Stop();
    receiver.Stop();
    state.SetIterationTime(wall);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double perHour = 3600.0 / wall;
    // The relay is the benchmark's; the receiver is part of the process as
    // `make run` starts it, and is also shown apart.
    state.counters["cpu_s_per_h"] = (cpu - relayCpu) * perHour;
    state.counters["receiver_cpu_s_per_h"] = receiverCpu * perHour;
    state.counters["program_cpu_s_per_h"] = (cpu - relayCpu - receiverCpu) * perHour;
    state.counters["ui_cpu_s_per_h"] = uiCpu * perHour;
    state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["raw_ms_mean"] = watcher->raw.Mean();
    state.counters["raw_ms_p95"] = watcher->raw.Percentile(0.95);
    state.counters["raw_ms_max"] = watcher->raw.Max();
    state.counters["raw_lines"] = static_cast<double>(watcher->raw.ms.size());
    state.counters["info_ms_mean"] = watcher->info.Mean();
    state.counters["info_ms_max"] = watcher->info.Max();
    state.counters["info_updates"] = static_cast<double>(watcher->info.ms.size());
  }
  CoreSetRegistryHive(HKEY_CURRENT_USER, nullptr);
}
BENCHMARK(BM_Session)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("TZ", "UTC", 1);
  tzset();
  if (argc == 2 && std::strcmp(argv[1], kProbeOption) == 0) {
    theApp.m_bProbe = true;
    static char simulate[] = "--simulate";
    char* args[] = {argv[0], simulate, nullptr};
    int count = 2;
    return AfxWinMain(count, args, &StartSimulatedReceiver);
  }
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  StartMessagePump();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
