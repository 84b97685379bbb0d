#include "simulator/replay_log.h"

#include <fstream>
#include <sstream>

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

ReplayLog::ReplayLog(std::string_view text) {
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
}

const std::vector<std::string>& ReplayLog::NextEpoch() {
  const std::vector<std::string>& epoch = m_epochs[m_next];
  m_next = (m_next + 1) % m_epochs.size();
  return epoch;
}

}  // namespace sim
