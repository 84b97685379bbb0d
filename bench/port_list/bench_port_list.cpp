// What the Setup page's port list costs on the user-interface thread: the
// timer refresh every three seconds forms nine labels, two passes over the
// active-driver table each, and every pass reads the COM device table
// afresh (sysfs included). Measured over a sysfs tree of the benchmark's own
// with two built-in and two USB ports.
#include <benchmark/benchmark.h>

#include <memory>

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

void BM_PortLabelFourPorts(benchmark::State& state) {
  FourPorts ports;
  for (auto _ : state) benchmark::DoNotOptimize(PortLabel(L"COM3:"));
}
BENCHMARK(BM_PortLabelFourPorts)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
