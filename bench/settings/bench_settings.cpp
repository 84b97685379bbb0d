// What the settings file and the com-ports file cost as they grow: the parse
// of one key with many values (a hand-made or hostile registry.reg), a read
// of a large file that has not changed since the last one, and the port
// table's read of a large com-ports file that has not changed.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/core/com_device_table.h"
#include "platform/core/registry_store.h"
#include "platform/core/registry_tree.h"

namespace fs = std::filesystem;

namespace {

std::string KeyWithValues(int count) {
  std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tavrin\\Zelmora]\n";
  for (int i = 0; i < count; ++i) {
    text += "\"Value" + std::to_string(i) + "\"=dword:" + std::to_string(10000000 + i) + "\n";
  }
  return text;
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "zelmora-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// A file is trusted unchanged only when it was last changed two seconds
// before it was read; the benchmarks wait that long before they start.
void LetSettle() { std::this_thread::sleep_for(std::chrono::milliseconds(2100)); }

void BM_ParseKeyWithValues(benchmark::State& state) {
  const std::string text = KeyWithValues(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::vector<RegistryParseError> errors;
    RegistryTree tree = RegistryTree::ParseKeepingGood(text, errors);
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseKeyWithValues)->Arg(10000)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond);

void BM_LoadUnchangedFile(benchmark::State& state) {
  TempDir dir;
  const fs::path file = dir.path() / "registry.reg";
  std::ofstream(file, std::ios::binary) << KeyWithValues(static_cast<int>(state.range(0)));
  LetSettle();
  RegistryStore store(file.string());
  store.Load();
  for (auto _ : state) {
    RegistryTree tree = store.Load();
    benchmark::DoNotOptimize(tree);
  }
  state.counters["bytes"] = static_cast<double>(fs::file_size(file));
}
// 35000 values: about the most a settings file may hold (1 MB); a larger one
// is not read at all.
BENCHMARK(BM_LoadUnchangedFile)->Arg(20000)->Arg(35000)->Unit(benchmark::kMillisecond);

void BM_PortTableWithLargeUnchangedNumberFile(benchmark::State& state) {
  TempDir dir;
  const fs::path file = dir.path() / "com-ports";
  {
    std::ofstream out(file);
    for (int i = 0; i < state.range(0); ++i) out << "COM" << (i % 255 + 1) << ":=usb:0403:6001:A" << i << ":1.0\n";
  }
  LetSettle();
  ComDeviceTable::Sources sources;
  sources.sysfsRoot = (dir.path() / "sys").string();
  sources.numberFile = file.string();
  ComDeviceTable table(sources);
  table.Devices();
  for (auto _ : state) benchmark::DoNotOptimize(table.Devices());
  state.counters["bytes"] = static_cast<double>(fs::file_size(file));
}
// 30000 lines: just below the 1 MB a settings file may hold.
BENCHMARK(BM_PortTableWithLargeUnchangedNumberFile)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
