#include "simulator/receiver_engine.h"

#include "simulator/nmea_text.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <charconv>
#include <numeric>
#include <utility>

namespace sim {

namespace {

constexpr std::uint64_t kEpochMs = 1000;
constexpr std::uint32_t kColdStartSilenceMs = 2000;
// Longer than the program's 200 ms poll, so a read falls into the gap.
constexpr std::uint32_t kSplitPauseMs = 300;
constexpr std::size_t kMinNoiseBytes = 16;
constexpr std::size_t kMaxNoiseBytes = 64;
constexpr std::size_t kMaxCommandBytes = 256;
constexpr std::uint32_t kFaultSeed = 104;
constexpr int kColdStartReset = 4;

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
    : faults_(options.faults),
      replay_(std::move(replay)),
      synthesizer_(options.utc_start_s * 1000, options.gnss),
      line_(options.baud),
      fault_rng_(kFaultSeed) {
  synthesizer_.SetManySatellites(faults_.many_satellites);
  if (options.silence_for_ms > 0) {
    planned_from_ms_ = options.silence_after_ms;
    planned_until_ms_ = options.silence_after_ms + options.silence_for_ms;
  }
}

void ReceiverEngine::SetFaults(const Faults& faults) {
  faults_ = faults;
  faults_.corrupt_percent = std::min(faults_.corrupt_percent, 100u);
  synthesizer_.SetManySatellites(faults_.many_satellites);
}

void ReceiverEngine::GoSilent(std::uint64_t now_ms, std::uint32_t for_ms) {
  if (now_ms >= silent_from_ms_ && now_ms < silent_until_ms_) {
    silent_until_ms_ = std::max(silent_until_ms_, now_ms + for_ms);
  } else {
    silent_from_ms_ = now_ms;
    silent_until_ms_ = now_ms + for_ms;
  }
  line_.Drop();
}

bool ReceiverEngine::SilentAt(std::uint64_t t_ms) const {
  return (t_ms >= silent_from_ms_ && t_ms < silent_until_ms_) || (t_ms >= planned_from_ms_ && t_ms < planned_until_ms_);
}

std::string ReceiverEngine::Advance(std::uint64_t now_ms, std::uint32_t line_speed) {
  std::string out;
  while (next_epoch_ms_ <= now_ms) {
    // Bring the line to the epoch first, so the epoch sees its true backlog.
    out += line_.Advance(next_epoch_ms_, line_speed);
    RunEpoch(next_epoch_ms_);
    next_epoch_ms_ += kEpochMs;
  }
  out += line_.Advance(now_ms, line_speed);
  bytes_sent_ += out.size();
  return out;
}

void ReceiverEngine::RunEpoch(std::uint64_t t_ms) {
  if (SilentAt(t_ms)) {
    line_.Drop();
    return;
  }
  // A receiver whose output buffer still holds more than a second's worth
  // loses this epoch (a replayed log or a line too slow even for RMC).
  if (line_.BacklogBits() > line_.Baud()) return;
  std::vector<std::string> sentences = replay_ ? replay_->NextEpoch() : SynthesisedEpoch(t_ms);
  for (Piece& piece : WithFaults(std::move(sentences)))
    line_.Send(std::move(piece.bytes), piece.pause_after_ms, piece.is_sentence);
  ++epochs_run_;
}

std::vector<std::string> ReceiverEngine::SynthesisedEpoch(std::uint64_t t_ms) {
  // A second of line time carries baud / 10 bytes. What does not fit after
  // the backlog is left out, the least important types first, except that
  // a type left out last second goes before the others; RMC always goes.
  std::vector<SentenceGroup> groups = synthesizer_.Epoch(t_ms);
  std::vector<std::size_t> order(groups.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const auto rank = [&](const SentenceGroup& g) {
      // Among the types left out, the one waiting longest goes first.
      const auto waiting = left_out_.find(g.type);
      const int seconds = waiting == left_out_.end() ? 0 : waiting->second;
      return std::tuple{g.priority == 0 ? 0 : seconds > 0 ? 1 : 2, -seconds, g.priority};
    };
    return rank(groups[a]) < rank(groups[b]);
  });

  const std::uint64_t backlog = line_.BacklogBits();
  std::uint64_t room = backlog < line_.Baud() ? line_.Baud() - backlog : 0;
  std::vector<bool> chosen(groups.size(), false);
  const std::map<std::string, int> waited = std::move(left_out_);
  left_out_.clear();
  for (std::size_t index : order) {
    const SentenceGroup& group = groups[index];
    std::uint64_t bits = 0;
    for (const std::string& sentence : group.sentences) bits += sentence.size() * 10;
    if (group.priority == 0 || bits <= room) {
      chosen[index] = true;
      room -= std::min(room, bits);
    } else {
      const auto before = waited.find(group.type);
      left_out_[group.type] = (before == waited.end() ? 0 : before->second) + 1;
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
    if (faults_.corrupt_percent > 0 && percent(fault_rng_) < faults_.corrupt_percent && ChecksumMatches(sentence)) {
      // Any other value of the two digits is a wrong checksum.
      std::uniform_int_distribution<int> flip(1, 255);
      const auto wrong = static_cast<std::uint8_t>(
          NmeaChecksum(std::string_view(sentence).substr(1, sentence.size() - 6)) ^ flip(fault_rng_));
      sentence.replace(sentence.size() - 4, 2, HexByte(wrong));
    }
    pieces.push_back({std::move(sentence), 0, true});
  }

  if (faults_.split_lines) {
    const std::size_t index = epochs_run_ % pieces.size();
    Piece& whole = pieces[index];
    const std::size_t half = whole.bytes.size() / 2;
    Piece head{whole.bytes.substr(0, half), kSplitPauseMs, false};
    whole.bytes.erase(0, half);
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(index), std::move(head));
  }

  if (faults_.noise_every_s > 0 && (epochs_run_ + 1) % faults_.noise_every_s == 0) {
    std::uniform_int_distribution<std::size_t> length(kMinNoiseBytes, kMaxNoiseBytes);
    std::uniform_int_distribution<std::size_t> where(0, pieces.size());
    std::uniform_int_distribution<int> byte(0, 255);
    Piece noise{std::string(length(fault_rng_), '\0'), 0, false};
    for (char& c : noise.bytes) {
      do {
        c = static_cast<char>(byte(fault_rng_));
      } while (c == '$');
    }
    std::size_t at = where(fault_rng_);
    // Not between the halves of a split sentence, which must stay a
    // sentence cut by a pause.
    if (at > 0 && pieces[at - 1].pause_after_ms > 0) ++at;
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(at), std::move(noise));
  }
  return pieces;
}

void ReceiverEngine::Receive(std::uint64_t now_ms, std::string_view bytes, std::uint32_t line_speed) {
  bytes_received_ += bytes.size();
  if (line_speed != line_.Baud()) return;
  for (char c : bytes) {
    command_.push_back(c);
    if (command_.size() >= 2 && command_.ends_with("\r\n")) {
      HandleCommand(std::string_view(command_).substr(0, command_.size() - 2), now_ms);
      command_.clear();
    } else if (command_.size() > kMaxCommandBytes) {
      command_.clear();
    }
  }
}

// $PSRF104,0,0,0,96000,237759,1946,12,4*1D
void ReceiverEngine::HandleCommand(std::string_view line, std::uint64_t now_ms) {
  const std::size_t dollar = line.rfind('$');
  if (dollar == std::string_view::npos) return;
  const std::string sentence = std::string(line.substr(dollar)) + "\r\n";
  if (!ChecksumMatches(sentence)) return;
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
  ++cold_starts_;
  GoSilent(now_ms, kColdStartSilenceMs);
  if (!replay_) synthesizer_.ColdStart(now_ms);
}

ReceiverStats ReceiverEngine::Stats() const {
  ReceiverStats stats;
  stats.sentences_sent = line_.SentencesSent();
  stats.bytes_sent = bytes_sent_;
  stats.bytes_received = bytes_received_;
  stats.cold_starts = cold_starts_;
  return stats;
}

}  // namespace sim
