#include "simulator/replay_log.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "nmea/recording.h"

namespace sim {

namespace {

constexpr std::size_t kLinesWithoutTime = 20;

// Field index of the UTC time in the sentences that carry one, by type.
int TimeFieldIndex(std::string_view type) {
  if (type == "GGA" || type == "RMC" || type == "ZDA" || type == "GNS" || type == "GBS" || type == "GST") return 1;
  if (type == "GLL") return 5;
  return -1;
}

// The UTC time field of an NMEA sentence ("$ttSSS,..."), or empty.
std::string_view TimeOf(std::string_view line) {
  if (line.size() < 7 || line[0] != '$') return {};
  const int index = TimeFieldIndex(line.substr(3, 3));
  if (index < 0) return {};
  const std::size_t end = line.find_first_of("*\r");
  line = line.substr(0, end);
  for (int field = 0; field < index; ++field) {
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) return {};
    line.remove_prefix(comma + 1);
  }
  return line.substr(0, line.find(','));
}

// Seconds of the day of "hhmmss[.sss]", in milliseconds; nullopt for
// anything else.
std::optional<std::int64_t> DayMs(std::string_view time) {
  if (time.size() < 6) return std::nullopt;
  int hhmmss = 0;
  const auto [end, error] = std::from_chars(time.data(), time.data() + 6, hhmmss);
  if (error != std::errc() || end != time.data() + 6) return std::nullopt;
  double fraction = 0.0;
  if (time.size() > 6) {
    const std::string text = "0" + std::string(time.substr(6));
    const auto [fend, ferror] = std::from_chars(text.data(), text.data() + text.size(), fraction);
    if (ferror != std::errc() || fend != text.data() + text.size()) return std::nullopt;
  }
  const int h = hhmmss / 10000, m = hhmmss / 100 % 100, s = hhmmss % 100;
  if (h > 23 || m > 59 || s > 60) return std::nullopt;
  return (h * 3600 + m * 60 + s) * std::int64_t{1000} + static_cast<std::int64_t>(fraction * 1000.0 + 0.5);
}

constexpr std::int64_t kDayMs = 86'400'000;
// A step between two epochs' times longer than this (the receiver was off,
// or the log was pieced together) is played as one second.
constexpr std::int64_t kLongestStepMs = 60'000;

}  // namespace

std::optional<ReplayLog> ReplayLog::Load(const std::string& path, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot read " + path;
    return std::nullopt;
  }
  std::ostringstream text;
  text << file.rdbuf();
  ReplayLog log(text.str());
  if (log.EpochCount() == 0) {
    *error = path + " holds no sentence";
    return std::nullopt;
  }
  return log;
}

void ReplayLog::ReadRecording(std::string_view text) {
  RecordingScanner scanner;
  std::size_t at = 0;
  bool inHeader = true;
  while (at < text.size()) {
    std::size_t end = at;
    // One line, or the rest of a binary frame and what follows it up to the
    // next line start outside a frame.
    do {
      scanner.Step(static_cast<unsigned char>(text[end++]));
    } while (end < text.size() && !scanner.AtLineStart());
    const std::string_view line = text.substr(at, end - at);
    at = end;
    const std::string_view bare = line.substr(0, line.find_last_not_of("\r\n") + 1);
    if (inHeader && line.starts_with("# ")) {
      if (bare.starts_with(kRecordingSpeedPrefix)) {
        const std::string_view speed = bare.substr(kRecordingSpeedPrefix.size());
        std::from_chars(speed.data(), speed.data() + speed.size(), m_baud);
      }
      continue;
    }
    inHeader = false;
    if (const std::optional<std::uint64_t> ms = RecordingTimeOf(bare); ms && line.ends_with("\r\n")) {
      m_pieces.push_back({*ms, std::string(), true});
      continue;
    }
    if (m_pieces.empty()) m_pieces.push_back({0, std::string(), true});
    m_pieces.back().bytes += line;
  }
  std::erase_if(m_pieces, [](const ReplayPiece& piece) { return piece.bytes.empty(); });
  for (const ReplayPiece& piece : m_pieces) m_epochs.push_back({piece.bytes});
}

ReplayLog::ReplayLog(std::string_view text) {
  if (text.starts_with(kRecordingFirstLine)) {
    ReadRecording(text);
    return;
  }
  std::vector<std::string> epoch;
  std::string epoch_time;
  const auto close_epoch = [&] {
    if (!epoch.empty()) m_epochs.push_back(std::move(epoch));
    epoch.clear();
    epoch_time.clear();
  };
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (line.empty() || line == "\r" || line[0] == '#') continue;

    const std::string_view time = TimeOf(line);
    if (!time.empty()) {
      if (!epoch_time.empty() && time != epoch_time) close_epoch();
      epoch_time = time;
    } else if (epoch_time.empty() && epoch.size() == kLinesWithoutTime) {
      close_epoch();
    }
    std::string sent(line);
    sent += line.back() == '\r' ? "\n" : "\r\n";
    epoch.push_back(std::move(sent));
  }
  close_epoch();
  // Each epoch's time: its UTC time's step from the epoch before, or a
  // second.
  std::uint64_t at_ms = 0;
  std::optional<std::int64_t> previous;
  for (const std::vector<std::string>& lines : m_epochs) {
    std::optional<std::int64_t> time;
    for (const std::string& line : lines) {
      if ((time = DayMs(TimeOf(line)))) break;
    }
    if (!m_pieces.empty()) {
      std::int64_t step = time && previous ? (*time - *previous + kDayMs) % kDayMs : 1000;
      if (step <= 0 || step > kLongestStepMs) step = 1000;
      at_ms += static_cast<std::uint64_t>(step);
    }
    if (time) previous = time;
    std::string bytes;
    for (const std::string& line : lines) bytes += line;
    m_pieces.push_back({at_ms, std::move(bytes), false});
  }
}

const std::vector<std::string>& ReplayLog::NextEpoch() {
  const std::vector<std::string>& epoch = m_epochs[m_next];
  m_next = (m_next + 1) % m_epochs.size();
  return epoch;
}

}  // namespace sim
