// The time-to-first-fix test: M runs of one start kind. Each run writes the
// family's start command and times, from the moment its last byte was
// written, the first sentence received after it that reports a valid fix;
// a run with no fix within the timeout counts as a timeout. A receiver that
// falls silent meanwhile (as many do while they restart) is no failure: the
// run goes on until a fix or the timeout. Between runs the test waits a
// random 5 to 15 seconds after the fix, drawn from a seeded generator so
// that a test can be repeated.
//
// A state machine without port or clock: the caller tells it when the
// command was written and when each line arrived (GetTickCount
// milliseconds), and asks it what to write and when to wake it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "receivers/receiver_family.h"

// "hot", "warm", "cold", "factory", and back.
std::string_view StartKindName(StartKind kind);
std::optional<StartKind> StartKindOfName(std::string_view name);

// Upper-case hexadecimal, two digits a byte, no separators.
std::string HexOfBytes(std::string_view bytes);

struct TtffRunRecord {
  int number = 0;               // 1 for the first run
  std::int64_t utcStartMs = 0;  // when the command was written, Unix milliseconds
  std::string family;           // the family's id
  StartKind kind = StartKind::Cold;
  std::string commandHex;
  bool timedOut = false;
  double ttffSeconds = 0;  // when not timed out
  // From the first-fix epoch: the first GGA with a fix (position and
  // satellites used) and the GSV sentences up to a second after the fix.
  std::optional<double> latitude;
  std::optional<double> longitude;
  std::optional<int> satellitesUsed;
  std::optional<double> meanCn0;  // of the four strongest satellites, dB-Hz
};

struct TtffSummary {
  int requested = 0;  // M asked for
  int runs = 0;       // runs finished (fewer than requested when stopped)
  int valid = 0;      // runs with a fix
  int timeouts = 0;
  bool stopped = false;
  // Over the valid runs' TTFFs, seconds; nothing when there is none. The
  // standard deviation is the sample's (n - 1), nothing for a single run.
  std::optional<double> mean, median, standardDeviation, minimum, maximum;
};

TtffSummary SummarizeRuns(const std::vector<TtffRunRecord>& runs, int requested, bool stopped);

class CTtffRunner {
 public:
  static constexpr int kMaxRuns = 100;
  static constexpr std::uint32_t kDefaultTimeoutMs = 120000;
  static constexpr std::uint32_t kMinWaitMs = 5000;
  static constexpr std::uint32_t kMaxWaitMs = 15000;
  // How long after the fix its epoch's sentences (GGA, GSV) are still read
  // for the run's record.
  static constexpr std::uint32_t kFixEpochMs = 1000;

  struct Settings {
    const ReceiverFamily* family = nullptr;
    StartKind kind = StartKind::Cold;
    int runs = 1;  // 1 to kMaxRuns
    std::uint32_t timeoutMs = kDefaultTimeoutMs;
    std::uint32_t seed = 1;
  };

  // `settings.family` must have a start of `settings.kind` (see Command()).
  explicit CTtffRunner(const Settings& settings);

  // The start command's bytes; empty when the family has no such start.
  const std::string& Command() const { return m_command; }

  // The first run's command is due at `now`.
  void Start(std::uint32_t now);
  // The command's bytes when a run is due at `now`, once; empty otherwise.
  // The caller writes them and then calls OnCommandWritten.
  std::string CommandDue(std::uint32_t now);
  // The command's last byte went out at `tick`; `utcMs` is the wall clock then.
  void OnCommandWritten(std::uint32_t tick, std::int64_t utcMs);
  // A line (with or without its CR LF) began to arrive at `tick`.
  void OnLine(std::string_view line, std::uint32_t tick);
  // Time passes: timeouts, the end of a fix's epoch.
  void OnTick(std::uint32_t now);
  // Ends the test at once; a run under way is dropped.
  void Stop();

  bool Done() const { return m_phase == Phase::Done; }
  // The tick by which the runner wants to hear again (commands due,
  // timeouts, a fix's epoch ending).
  std::uint32_t NextWake() const;

  // Every run finished so far; the first CompleteRuns() of them are final
  // (the last one's fix epoch may still be being read).
  const std::vector<TtffRunRecord>& Runs() const { return m_runs; }
  int CompleteRuns() const { return static_cast<int>(m_runs.size()) - (m_epochOpen ? 1 : 0); }
  // The waits drawn so far between runs, milliseconds.
  const std::vector<std::uint32_t>& Waits() const { return m_waits; }
  TtffSummary Summary() const;

 private:
  enum class Phase { Idle, Writing, Running, Waiting, Done };

  void EndRun(std::uint32_t tick, bool timedOut);
  void CloseEpoch();
  void ReadEpochSentence(std::string_view line);

  Settings m_settings;
  std::string m_command;
  std::mt19937 m_random;
  Phase m_phase = Phase::Idle;
  std::uint32_t m_due = 0;          // Waiting: when the next command is due
  std::uint32_t m_commandTick = 0;  // Running: when the command was written
  std::int64_t m_commandUtcMs = 0;
  // Whether the receiver has shown since the command that the start took
  // (a report of no fix, or a silence); until then a fix is the old one.
  bool m_fixLost = false;
  std::uint32_t m_lastLineTick = 0;
  bool m_epochOpen = false;  // the last run's fix epoch is still being read
  std::uint32_t m_fixTick = 0;
  std::map<std::string, int> m_cn0;  // since the command, by satellite
  std::vector<TtffRunRecord> m_runs;
  std::vector<std::uint32_t> m_waits;
  bool m_stopped = false;
};
