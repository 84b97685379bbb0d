// A recorded NMEA log cut into one-second epochs, played in a loop.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class ReplayLog {
 public:
  // Reads a log file; nullopt with a reason in error when it cannot be read
  // or holds no sentence.
  static std::optional<ReplayLog> Load(const std::string& path, std::string* error);

  // Cuts the text of a log: lines starting with '#' are the capturer's
  // comments and are left out; every line is sent ending in CR LF (a line
  // that already ends in CR keeps its own ending). An epoch ends where a
  // line carries another UTC time than the epoch has seen, or after 20
  // lines when no line tells the time.
  explicit ReplayLog(std::string_view text);

  std::size_t EpochCount() const { return m_epochs.size(); }

  // The next epoch's lines; after the last epoch the log starts over.
  // The log must not be empty.
  const std::vector<std::string>& NextEpoch();

 private:
  std::vector<std::vector<std::string>> m_epochs;
  std::size_t m_next = 0;
};

}  // namespace sim
