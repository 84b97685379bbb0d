// Speed of the decode step per sentence type, of line cutting, and of
// zelmora-decode over a generated log of a million sentences.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "acquisition/gps_record.h"
#include "acquisition/line_cutter.h"
#include "bench/decode/nmea_log.h"
#include "resources/string_table.h"

extern char** environ;

namespace {

// Reports ns per sentence and sentences per second, `sentences` per
// iteration.
void SetSentenceCounters(benchmark::State& state, long long sentences) {
  const auto perIteration = static_cast<double>(sentences);
  state.counters["ns_per_sentence"] =
      benchmark::Counter(perIteration, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["sentences_per_s"] = benchmark::Counter(perIteration, benchmark::Counter::kIsIterationInvariantRate);
}

// One decode step on a warmed-up record and field array, as the reader
// thread runs it line after line.
void BM_DecodeLine(benchmark::State& state, UINT id) {
  CGPSRecord record;
  CFieldArray fields;
  const std::wstring line = FindStringResource(id);
  for (auto _ : state) {
    benchmark::DoNotOptimize(record.DecodeLine(line, fields));
  }
  SetSentenceCounters(state, 1);
}
BENCHMARK_CAPTURE(BM_DecodeLine, GGA, IDS_DEMO_GGA);
BENCHMARK_CAPTURE(BM_DecodeLine, GSA, IDS_DEMO_GSA);
BENCHMARK_CAPTURE(BM_DecodeLine, GSV, IDS_DEMO_GSV1);
BENCHMARK_CAPTURE(BM_DecodeLine, RMC, IDS_DEMO_RMC);

void BM_DecodeLineNotDecoded(benchmark::State& state) {
  CGPSRecord record;
  CFieldArray fields;
  const std::wstring line = L"$GPGLL,4916.45,N,12311.12,W,225444,A*31";
  for (auto _ : state) {
    benchmark::DoNotOptimize(record.DecodeLine(line, fields));
  }
  SetSentenceCounters(state, 1);
}
BENCHMARK(BM_DecodeLineNotDecoded);

constexpr long long kLogSentences = 1000000;

const std::string& Log() {
  static const std::string log = GenerateNmeaLog(kLogSentences);
  return log;
}

// Line cutting alone over the log, in reads of 1024 bytes.
void BM_LineCutter(benchmark::State& state) {
  const std::string& log = Log();
  long long lines = 0;
  CLineCutter cutter([&](const std::wstring& line) { lines += static_cast<long long>(!line.empty()); });
  for (auto _ : state) {
    for (std::size_t pos = 0; pos < log.size(); pos += 1024) {
      cutter.Feed(log.data() + pos, std::min<std::size_t>(1024, log.size() - pos));
    }
  }
  benchmark::DoNotOptimize(lines);
  SetSentenceCounters(state, kLogSentences);
}
BENCHMARK(BM_LineCutter)->Unit(benchmark::kMillisecond);

// The reader thread's work per read: cut, then decode every line.
void BM_CutAndDecode(benchmark::State& state) {
  const std::string& log = Log();
  CGPSRecord record;
  CFieldArray fields;
  int groups = 0;
  CLineCutter cutter([&](const std::wstring& line) { groups += record.DecodeLine(line, fields); });
  for (auto _ : state) {
    for (std::size_t pos = 0; pos < log.size(); pos += 1024) {
      cutter.Feed(log.data() + pos, std::min<std::size_t>(1024, log.size() - pos));
    }
  }
  benchmark::DoNotOptimize(groups);
  SetSentenceCounters(state, kLogSentences);
}
BENCHMARK(BM_CutAndDecode)->Unit(benchmark::kMillisecond);

// The whole tool, as a user runs it: a process reading the log from a file
// and writing its JSON to /dev/null. Timed by the processor time the process
// used, so that other work on a shared machine does not count; the wall
// time is reported beside it.
void BM_ZelmoraDecodeTool(benchmark::State& state) {
  char path[] = "/tmp/zelmora-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) {
    state.SkipWithError("cannot create the log file");
    return;
  }
  const std::string& log = Log();
  const bool written = write(fd, log.data(), log.size()) == static_cast<ssize_t>(log.size());
  close(fd);
  if (!written) {
    std::remove(path);
    state.SkipWithError("cannot write the log file");
    return;
  }
  char tool[] = ZELMORA_DECODE_TOOL;
  char* argv[] = {tool, path, nullptr};
  double wallSeconds = 0;
  for (auto _ : state) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    rusage usage{};
    if (posix_spawn(&pid, tool, &actions, nullptr, argv, environ) == 0) {
      wait4(pid, &status, 0, &usage);
    }
    wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (status != 0) {
      state.SkipWithError("zelmora-decode failed");
      break;
    }
    state.SetIterationTime(static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6);
  }
  std::remove(path);
  SetSentenceCounters(state, kLogSentences);
  state.counters["wall_ns_per_sentence"] = wallSeconds * 1e9 / static_cast<double>(state.iterations() * kLogSentences);
}
BENCHMARK(BM_ZelmoraDecodeTool)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
