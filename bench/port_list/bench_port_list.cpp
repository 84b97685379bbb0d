// What the Setup page's port list costs on the user-interface thread: the
// timer refresh every three seconds forms the nine labels from one pass over
// the active-driver table, which reads the COM device table (sysfs included)
// once. Measured over a sysfs tree of the benchmark's own with two built-in
// and two USB ports, and over this machine's.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "platform/core/com_device_table.h"
#include "session/port_list.h"
#include "tests/session/fake_combo_box.h"
#include "tests/support/fake_sysfs.h"

namespace {

class FourPorts {
 public:
  FourPorts() {
    fs_.FourPorts();
    ComDeviceTable::Sources sources;
    sources.sysfsRoot = fs_.Sysfs();
    sources.numberFile = fs_.NumberFile();
    // Both built-in ports are real UARTs (type 4), as the probe would say.
    sources.probe = [](const std::string&) { return 4; };
    table_ = std::make_unique<ComDeviceTable>(sources);
    ComDeviceTable::SetActive(table_.get());
  }
  ~FourPorts() { ComDeviceTable::SetActive(nullptr); }

 private:
  FakeSysfs fs_;
  std::unique_ptr<ComDeviceTable> table_;
};

void RefreshUnchangedList(benchmark::State& state) {
  FakeComboBox list;
  FillPortList(list, L"COM1:");
  for (auto _ : state) {
    RefreshPortList(list);
    benchmark::DoNotOptimize(list.entries.data());
  }
  state.counters["labels"] = static_cast<double>(list.entries.size());
}

void BM_RefreshFourPorts(benchmark::State& state) {
  FourPorts ports;
  RefreshUnchangedList(state);
}
BENCHMARK(BM_RefreshFourPorts)->Unit(benchmark::kMicrosecond);

// The same refresh over this machine's own sysfs and /dev (its numbers file
// kept in a temporary folder).
void BM_RefreshThisMachine(benchmark::State& state) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zelmora-bench-ports-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  ComDeviceTable::Sources sources;
  sources.numberFile = (dir / "com-ports").string();
  ComDeviceTable table(sources);
  ComDeviceTable::SetActive(&table);
  RefreshUnchangedList(state);
  ComDeviceTable::SetActive(nullptr);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RefreshThisMachine)->Unit(benchmark::kMicrosecond);

void BM_PortLabelFourPorts(benchmark::State& state) {
  FourPorts ports;
  for (auto _ : state) benchmark::DoNotOptimize(PortLabel(L"COM3:"));
}
BENCHMARK(BM_PortLabelFourPorts)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
