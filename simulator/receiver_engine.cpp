#include "simulator/receiver_engine.h"

#include "simulator/family_behaviour.h"
#include "simulator/nmea_text.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <charconv>
#include <cmath>
#include <numeric>
#include <utility>

namespace sim {

namespace {

constexpr std::uint32_t kMaxRateHz = 10;
constexpr std::uint32_t kColdStartSilenceMs = 2000;
// Longer than the program's 200 ms poll, so a read falls into the gap.
constexpr std::uint32_t kSplitPauseMs = 300;
constexpr std::size_t kMinNoiseBytes = 16;
constexpr std::size_t kMaxNoiseBytes = 64;
constexpr std::size_t kMaxCommandBytes = 256;
constexpr std::uint32_t kFaultSeed = 104;
constexpr int kColdStartReset = 4;
constexpr std::string_view kUbxSync = "\xB5\x62";
constexpr std::size_t kUbxHeaderBytes = 6;    // sync 2, class 1, id 1, length 2
constexpr std::size_t kUbxOverheadBytes = 8;  // and the checksum's 2

// True when sentence ends in "*HH\r\n" with the right checksum of its body.
bool ChecksumMatches(std::string_view sentence) {
  if (sentence.size() < 6 || sentence[0] != '$' || sentence[sentence.size() - 5] != '*') return false;
  unsigned value = 0;
  const char* digits = sentence.data() + sentence.size() - 4;
  const auto [end, error] = std::from_chars(digits, digits + 2, value, 16);
  return error == std::errc() && end == digits + 2 && value == NmeaChecksum(sentence.substr(1, sentence.size() - 6));
}

}  // namespace

ReceiverEngine::ReceiverEngine(const ReceiverOptions& options, std::optional<ReplayLog> replay)
    : m_faults(options.faults),
      m_replay(std::move(replay)),
      m_synthesizer(options.utc_start_s * 1000, options.gnss),
      m_line(options.baud),
      m_faultRng(kFaultSeed),
      m_epochMs(1000 / std::clamp(options.rate_hz, 1u, kMaxRateHz)),
      m_family(options.family.empty() ? nullptr : FindReceiverFamily(options.family)),
      m_timeScale(options.time_scale > 0.0 ? options.time_scale : 1.0),
      m_startRng(options.seed) {
  m_synthesizer.SetManySatellites(m_faults.many_satellites);
  if (m_replay) {
    m_replayLoop = options.replay_loop;
    m_replaySpeed = options.replay_speed > 0.0 ? options.replay_speed : 1.0;
    // A log without a piece keeps the receiver silent.
    m_nextEpochMs = m_replay->Pieces().empty() ? UINT64_MAX : ReplayDueMs();
  }
  m_synthesizer.SetStationary(options.stationary);
  if (options.silence_for_ms > 0) {
    m_plannedFromMs = options.silence_after_ms;
    m_plannedUntilMs = options.silence_after_ms + options.silence_for_ms;
  }
}

void ReceiverEngine::SetFaults(const Faults& faults) {
  m_faults = faults;
  m_faults.corrupt_percent = std::min(m_faults.corrupt_percent, 100u);
  m_synthesizer.SetManySatellites(m_faults.many_satellites);
}

void ReceiverEngine::GoSilent(std::uint64_t now_ms, std::uint32_t for_ms) {
  if (now_ms >= m_silentFromMs && now_ms < m_silentUntilMs) {
    m_silentUntilMs = std::max(m_silentUntilMs, now_ms + for_ms);
  } else {
    m_silentFromMs = now_ms;
    m_silentUntilMs = now_ms + for_ms;
  }
  m_line.Drop();
}

bool ReceiverEngine::SilentAt(std::uint64_t t_ms) const {
  return (t_ms >= m_silentFromMs && t_ms < m_silentUntilMs) || (t_ms >= m_plannedFromMs && t_ms < m_plannedUntilMs);
}

std::string ReceiverEngine::Advance(std::uint64_t now_ms, std::uint32_t line_speed) {
  std::string out;
  while (m_nextEpochMs <= now_ms) {
    // Bring the line to the epoch first, so the epoch sees its true backlog.
    out += m_line.Advance(m_nextEpochMs, line_speed);
    if (m_replay) {
      out += PlayPiece(m_nextEpochMs, line_speed);
      continue;
    }
    RunEpoch(m_nextEpochMs);
    m_nextEpochMs += m_epochMs;
  }
  out += m_line.Advance(now_ms, line_speed);
  m_bytesSent += out.size();
  return out;
}

std::string ReceiverEngine::PlayPiece(std::uint64_t t_ms, std::uint32_t line_speed) {
  const std::vector<ReplayPiece>& pieces = m_replay->Pieces();
  const ReplayPiece& piece = pieces[m_replayNext];
  std::string out;
  // A recorded read reaches a program at the log's speed whole, as it was
  // read; at another speed, and an epoch of another log, it goes out on the
  // line. As for a synthesised epoch, a receiver whose output buffer still
  // holds more than a second's worth loses the epoch.
  if (!SilentAt(t_ms)) {
    if (piece.read && line_speed == m_line.Baud() && m_line.BacklogBits() == 0) {
      out = piece.bytes;
    } else if (m_line.BacklogBits() <= m_line.Baud()) {
      m_line.Send(piece.bytes, 0, !piece.read);
    }
    ++m_epochsRun;
  }
  if (++m_replayNext == pieces.size()) {
    m_replayNext = 0;
    m_replayPassStartMs += m_replay->PassMs();
    if (!m_replayLoop) {
      m_nextEpochMs = UINT64_MAX;
      return out;
    }
  }
  m_nextEpochMs = ReplayDueMs();
  return out;
}

std::uint64_t ReceiverEngine::ReplayDueMs() const {
  const std::uint64_t logMs = m_replayPassStartMs + m_replay->Pieces()[m_replayNext].at_ms;
  return static_cast<std::uint64_t>(static_cast<double>(logMs) / m_replaySpeed);
}

void ReceiverEngine::RunEpoch(std::uint64_t t_ms) {
  if (SilentAt(t_ms)) {
    m_line.Drop();
    return;
  }
  // A receiver whose output buffer still holds more than a second's worth
  // loses this epoch (a replayed log or a line too slow even for RMC).
  if (m_line.BacklogBits() > m_line.Baud()) return;
  if (m_family != nullptr && m_powerUpDue) {
    m_powerUpDue = false;
    for (std::string& line : PowerUpLines(*m_family)) m_line.Send(std::move(line), 0, true);
  }
  std::vector<std::string> sentences = SynthesisedEpoch(t_ms);
  for (Piece& piece : WithFaults(std::move(sentences)))
    m_line.Send(std::move(piece.bytes), piece.pause_after_ms, piece.is_sentence);
  ++m_epochsRun;
}

std::vector<std::string> ReceiverEngine::SynthesisedEpoch(std::uint64_t t_ms) {
  // An epoch's share of a second of line time carries baud / 10 bytes per
  // second. What does not fit after the backlog is left out, the least
  // important types first, except that a type left out last epoch goes
  // before the others; RMC always goes.
  std::vector<SentenceGroup> groups = m_synthesizer.Epoch(t_ms);
  std::vector<std::size_t> order(groups.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const auto rank = [&](const SentenceGroup& g) {
      // Among the types left out, the one waiting longest goes first.
      const auto waiting = m_leftOut.find(g.type);
      const int seconds = waiting == m_leftOut.end() ? 0 : waiting->second;
      return std::tuple{g.priority == 0 ? 0 : seconds > 0 ? 1 : 2, -seconds, g.priority};
    };
    return rank(groups[a]) < rank(groups[b]);
  });

  const std::uint64_t backlog = m_line.BacklogBits();
  const std::uint64_t epochBits = std::uint64_t{m_line.Baud()} * m_epochMs / 1000;
  std::uint64_t room = backlog < epochBits ? epochBits - backlog : 0;
  std::vector<bool> chosen(groups.size(), false);
  const std::map<std::string, int> waited = std::move(m_leftOut);
  m_leftOut.clear();
  for (std::size_t index : order) {
    const SentenceGroup& group = groups[index];
    std::uint64_t bits = 0;
    for (const std::string& sentence : group.sentences) bits += sentence.size() * 10;
    if (group.priority == 0 || bits <= room) {
      chosen[index] = true;
      room -= std::min(room, bits);
    } else {
      const auto before = waited.find(group.type);
      m_leftOut[group.type] = (before == waited.end() ? 0 : before->second) + 1;
    }
  }
  std::vector<std::string> sentences;
  for (std::size_t i = 0; i < groups.size(); ++i)
    if (chosen[i])
      for (std::string& sentence : groups[i].sentences) sentences.push_back(std::move(sentence));
  return sentences;
}

std::vector<ReceiverEngine::Piece> ReceiverEngine::WithFaults(std::vector<std::string> sentences) {
  std::vector<Piece> pieces;
  if (sentences.empty()) return pieces;
  std::uniform_int_distribution<unsigned> percent(0, 99);
  for (std::string& sentence : sentences) {
    if (m_faults.corrupt_percent > 0 && percent(m_faultRng) < m_faults.corrupt_percent && ChecksumMatches(sentence)) {
      // Any other value of the two digits is a wrong checksum.
      std::uniform_int_distribution<int> flip(1, 255);
      const auto wrong = static_cast<std::uint8_t>(
          NmeaChecksum(std::string_view(sentence).substr(1, sentence.size() - 6)) ^ flip(m_faultRng));
      sentence.replace(sentence.size() - 4, 2, HexByte(wrong));
    }
    pieces.push_back({std::move(sentence), 0, true});
  }

  if (m_faults.split_lines) {
    const std::size_t index = m_epochsRun % pieces.size();
    Piece& whole = pieces[index];
    const std::size_t half = whole.bytes.size() / 2;
    Piece head{whole.bytes.substr(0, half), kSplitPauseMs, false};
    whole.bytes.erase(0, half);
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(index), std::move(head));
  }

  if (m_faults.noise_every_s > 0 && (m_epochsRun + 1) % m_faults.noise_every_s == 0) {
    std::uniform_int_distribution<std::size_t> length(kMinNoiseBytes, kMaxNoiseBytes);
    std::uniform_int_distribution<std::size_t> where(0, pieces.size());
    std::uniform_int_distribution<int> byte(0, 255);
    Piece noise{std::string(length(m_faultRng), '\0'), 0, false};
    for (char& c : noise.bytes) {
      do {
        c = static_cast<char>(byte(m_faultRng));
      } while (c == '$');
    }
    std::size_t at = where(m_faultRng);
    // Not between the halves of a split sentence, which must stay a
    // sentence cut by a pause.
    if (at > 0 && pieces[at - 1].pause_after_ms > 0) ++at;
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(at), std::move(noise));
  }
  return pieces;
}

void ReceiverEngine::Receive(std::uint64_t now_ms, std::string_view bytes, std::uint32_t line_speed) {
  m_bytesReceived += bytes.size();
  if (line_speed != m_line.Baud()) return;
  for (char c : bytes) {
    m_command.push_back(c);
    if (m_family != nullptr && TakeUbxByte(now_ms)) continue;
    if (m_command.size() >= 2 && m_command.ends_with("\r\n")) {
      HandleCommand(std::string_view(m_command).substr(0, m_command.size() - 2), now_ms);
      m_command.clear();
    } else if (m_command.size() > kMaxCommandBytes) {
      m_command.clear();
    }
  }
}

// A family's receiver reads UBX frames as well as lines: the sync bytes
// start a frame whatever came before them, and its length ends it. True
// while the byte just taken belongs to a frame.
bool ReceiverEngine::TakeUbxByte(std::uint64_t now_ms) {
  if (!m_command.starts_with(kUbxSync)) {
    if (!m_command.ends_with(kUbxSync)) return false;
    m_command.erase(0, m_command.size() - kUbxSync.size());
  }
  if (m_command.size() < kUbxHeaderBytes) return true;
  const std::size_t length =
      static_cast<std::uint8_t>(m_command[4]) | static_cast<std::size_t>(static_cast<std::uint8_t>(m_command[5])) << 8;
  if (length > kMaxCommandBytes) {
    m_command.clear();
  } else if (m_command.size() == length + kUbxOverheadBytes) {
    if (HoldsUbxFrame(m_command)) HandleFamilyCommand(m_command, true, now_ms);
    m_command.clear();
  }
  return true;
}

// $PSRF104,0,0,0,96000,237759,1946,12,4*1D
void ReceiverEngine::HandleCommand(std::string_view line, std::uint64_t now_ms) {
  const std::size_t dollar = line.rfind('$');
  if (dollar == std::string_view::npos) return;
  const std::string sentence = std::string(line.substr(dollar)) + "\r\n";
  if (!ChecksumMatches(sentence)) return;
  if (m_family != nullptr) {
    HandleFamilyCommand(std::string_view(sentence).substr(1, sentence.size() - 6), false, now_ms);
    return;
  }
  std::vector<std::string_view> fields;
  std::string_view body = std::string_view(sentence).substr(1, sentence.size() - 6);
  for (std::size_t comma; (comma = body.find(',')) != std::string_view::npos; body.remove_prefix(comma + 1))
    fields.push_back(body.substr(0, comma));
  fields.push_back(body);
  int reset = 0;
  if (fields.size() == 9 && fields[0] == "PSRF104" &&
      std::from_chars(fields[8].data(), fields[8].data() + fields[8].size(), reset).ec == std::errc() &&
      reset == kColdStartReset)
    ColdStart(now_ms);
}

void ReceiverEngine::ColdStart(std::uint64_t now_ms) {
  ++m_coldStarts;
  GoSilent(now_ms, kColdStartSilenceMs);
  if (!m_replay) m_synthesizer.ColdStart(now_ms);
}

void ReceiverEngine::HandleFamilyCommand(std::string_view text, bool ubx, std::uint64_t now_ms) {
  // NMEA commands are compared by their body (a checksum in lower-case hex
  // is as good), UBX frames byte for byte.
  const auto matches = [&](const FamilyCommand& command) {
    if (command.kind == FamilyCommand::Kind::Nmea) return !ubx && command.body == text;
    if (command.kind == FamilyCommand::Kind::Ubx) return ubx && CommandBytes(command) == text;
    return false;
  };
  if (matches(m_family->probe)) {
    m_line.Send(ProbeReplyBytes(*m_family), 0, true);
    return;
  }
  for (int kind = 0; kind < kStartKinds; ++kind) {
    if (matches(m_family->starts[kind])) {
      FamilyStart(static_cast<StartKind>(kind), now_ms);
      return;
    }
  }
}

// The receiver restarts: its epochs start again from now, the first without
// a fix, and the fix comes back after a time to first fix drawn for the
// kind; the power-up lines go out again first.
void ReceiverEngine::FamilyStart(StartKind kind, std::uint64_t now_ms) {
  ++m_starts[static_cast<int>(kind)];
  if (kind == StartKind::Cold) ++m_coldStarts;
  const TtffRange range = StartTtffRange(*m_family, kind);
  std::uniform_int_distribution<std::uint32_t> draw(range.min_ms, range.max_ms);
  m_lastTtffMs = static_cast<std::uint64_t>(std::llround(draw(m_startRng) / m_timeScale));
  if (!m_replay) m_synthesizer.HoldFix(now_ms, now_ms + m_lastTtffMs, kind != StartKind::Hot);
  if (std::string ack = StartAckBytes(*m_family, kind); !ack.empty()) m_line.Send(std::move(ack), 0, true);
  m_powerUpDue = true;
  // Never an epoch twice at one time.
  const std::uint64_t after_last = m_nextEpochMs >= m_epochMs ? m_nextEpochMs - m_epochMs + 1 : 0;
  m_nextEpochMs = std::max(now_ms, after_last);
}

std::uint64_t ReceiverEngine::NextDueMs() const { return std::min(m_nextEpochMs, m_line.NextDeliveryMs()); }

ReceiverStats ReceiverEngine::Stats() const {
  ReceiverStats stats;
  stats.sentences_sent = m_line.SentencesSent();
  stats.bytes_sent = m_bytesSent;
  stats.bytes_received = m_bytesReceived;
  stats.cold_starts = m_coldStarts;
  std::copy(std::begin(m_starts), std::end(m_starts), std::begin(stats.starts));
  stats.last_ttff_ms = m_lastTtffMs;
  return stats;
}

}  // namespace sim
