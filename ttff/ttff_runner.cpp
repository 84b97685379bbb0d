#include "ttff/ttff_runner.h"

#include <algorithm>
#include <cmath>

#include "ttff/fix_sentences.h"

namespace {

// A silence this long after the command is a receiver restarting.
constexpr std::uint32_t kRestartSilenceMs = 2000;

constexpr std::string_view kKindNames[kStartKinds] = {"hot", "warm", "cold", "factory"};

// Whether `tick` is at or after `mark`; ticks wrap after 49 days.
bool Reached(std::uint32_t tick, std::uint32_t mark) { return static_cast<std::int32_t>(tick - mark) >= 0; }

}  // namespace

std::string_view StartKindName(StartKind kind) { return kKindNames[static_cast<int>(kind)]; }

std::optional<StartKind> StartKindOfName(std::string_view name) {
  for (int kind = 0; kind < kStartKinds; ++kind) {
    if (kKindNames[kind] == name) return static_cast<StartKind>(kind);
  }
  return std::nullopt;
}

std::string HexOfBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 0x0F]);
  }
  return hex;
}

TtffSummary SummarizeRuns(const std::vector<TtffRunRecord>& runs, int requested, bool stopped) {
  TtffSummary summary;
  summary.requested = requested;
  summary.runs = static_cast<int>(runs.size());
  summary.stopped = stopped;
  std::vector<double> ttffs;
  for (const TtffRunRecord& run : runs) {
    if (run.timedOut) {
      ++summary.timeouts;
    } else {
      ttffs.push_back(run.ttffSeconds);
    }
  }
  summary.valid = static_cast<int>(ttffs.size());
  if (ttffs.empty()) return summary;
  std::sort(ttffs.begin(), ttffs.end());
  const std::size_t n = ttffs.size();
  double sum = 0;
  for (double t : ttffs) sum += t;
  const double mean = sum / static_cast<double>(n);
  double squares = 0;
  for (double t : ttffs) squares += (t - mean) * (t - mean);
  summary.mean = mean;
  summary.median = n % 2 == 1 ? ttffs[n / 2] : (ttffs[n / 2 - 1] + ttffs[n / 2]) / 2;
  // One run has no spread to speak of: its deviation is left unknown rather
  // than shown as a perfect 0.
  if (n > 1) summary.standardDeviation = std::sqrt(squares / static_cast<double>(n - 1));
  summary.minimum = ttffs.front();
  summary.maximum = ttffs.back();
  return summary;
}

CTtffRunner::CTtffRunner(const Settings& settings)
    : m_settings(settings),
      m_command(settings.family ? StartCommandBytes(*settings.family, settings.kind) : std::string()),
      m_random(settings.seed) {
  m_settings.runs = std::clamp(m_settings.runs, 1, kMaxRuns);
}

void CTtffRunner::Start(std::uint32_t now) {
  if (m_command.empty()) {
    m_phase = Phase::Done;
    return;
  }
  m_phase = Phase::Waiting;
  m_due = now;
}

std::string CTtffRunner::CommandDue(std::uint32_t now) {
  OnTick(now);
  if (m_phase != Phase::Waiting || static_cast<int>(m_runs.size()) >= m_settings.runs || !Reached(now, m_due)) {
    return {};
  }
  if (m_epochOpen) CloseEpoch();
  m_phase = Phase::Writing;
  return m_command;
}

void CTtffRunner::OnCommandWritten(std::uint32_t tick, std::int64_t utcMs) {
  if (m_phase != Phase::Writing) return;
  m_phase = Phase::Running;
  m_commandTick = tick;
  m_commandUtcMs = utcMs;
  m_fixLost = false;
  m_lastLineTick = tick;
  m_cn0.clear();
}

void CTtffRunner::OnLine(std::string_view line, std::uint32_t tick) {
  OnTick(tick);
  if (m_phase == Phase::Running) {
    // A sentence that began before the command went out says nothing of
    // what the command did.
    if (!Reached(tick, m_commandTick)) return;
    for (const GsvSignal& signal : ParseGsv(line)) m_cn0[signal.key] = signal.cn0;
    // Nor does a fix before the receiver has shown that the start took, by
    // reporting no fix or falling silent for a while (a reboot): at a slow
    // speed the epochs it made before the command are still on their way,
    // and a receiver that ignored the command keeps its fix, which is no
    // time to first fix but a timeout.
    if (ReportsNoFix(line) || Reached(tick, m_lastLineTick + kRestartSilenceMs)) m_fixLost = true;
    m_lastLineTick = tick;
    if (m_fixLost && ReportsValidFix(line)) {
      EndRun(tick, false);
      ReadEpochSentence(line);
    }
  } else if (m_epochOpen) {
    ReadEpochSentence(line);
  }
}

void CTtffRunner::ReadEpochSentence(std::string_view line) {
  TtffRunRecord& run = m_runs.back();
  for (const GsvSignal& signal : ParseGsv(line)) m_cn0[signal.key] = signal.cn0;
  if (run.latitude || run.satellitesUsed) return;
  if (const std::optional<GgaFix> gga = ParseGga(line); gga && gga->quality >= 1) {
    run.latitude = gga->latitude;
    run.longitude = gga->longitude;
    run.satellitesUsed = gga->satellitesUsed;
  }
}

void CTtffRunner::OnTick(std::uint32_t now) {
  if (m_phase == Phase::Running && Reached(now, m_commandTick + m_settings.timeoutMs)) EndRun(now, true);
  if (m_epochOpen && !Reached(m_fixTick + kFixEpochMs, now)) CloseEpoch();
  if (m_phase == Phase::Waiting && static_cast<int>(m_runs.size()) >= m_settings.runs && !m_epochOpen) {
    m_phase = Phase::Done;
  }
}

void CTtffRunner::EndRun(std::uint32_t tick, bool timedOut) {
  TtffRunRecord run;
  run.number = static_cast<int>(m_runs.size()) + 1;
  run.utcStartMs = m_commandUtcMs;
  run.family = std::string(m_settings.family->id);
  run.kind = m_settings.kind;
  run.commandHex = HexOfBytes(m_command);
  run.timedOut = timedOut;
  if (!timedOut) {
    run.ttffSeconds = (tick - m_commandTick) / 1000.0;
    m_epochOpen = true;
    m_fixTick = tick;
  }
  m_runs.push_back(std::move(run));
  m_phase = Phase::Waiting;
  if (static_cast<int>(m_runs.size()) < m_settings.runs) {
    const std::uint32_t wait = kMinWaitMs + m_random() % (kMaxWaitMs - kMinWaitMs + 1);
    m_waits.push_back(wait);
    m_due = tick + wait;
  } else if (!m_epochOpen) {
    m_phase = Phase::Done;
  }
}

void CTtffRunner::CloseEpoch() {
  std::vector<double> cn0s;
  for (const auto& [satellite, cn0] : m_cn0) cn0s.push_back(cn0);
  m_runs.back().meanCn0 = MeanOfStrongestFour(cn0s);
  m_epochOpen = false;
}

void CTtffRunner::Stop() {
  if (m_epochOpen) CloseEpoch();
  m_stopped = true;
  m_phase = Phase::Done;
}

std::uint32_t CTtffRunner::NextWake() const {
  if (m_phase == Phase::Running) return m_commandTick + m_settings.timeoutMs;
  if (m_epochOpen) {
    const std::uint32_t epochEnd = m_fixTick + kFixEpochMs + 1;
    if (static_cast<int>(m_runs.size()) >= m_settings.runs || Reached(m_due, epochEnd)) return epochEnd;
  }
  return m_due;
}

TtffSummary CTtffRunner::Summary() const { return SummarizeRuns(m_runs, m_settings.runs, m_stopped); }
