// A recorded log as the simulated receiver plays it: pieces of bytes, each
// with the time from the start of the log at which it is due. A Zelmora
// recording (nmea/recording.h) is played read by read: the bytes of each
// recorded read, unchanged, at the time the read returned. Any other NMEA
// log is cut into epochs, sent at the times its sentences' UTC times tell
// (a second after the last epoch where they tell none). After the last
// piece the log may start over, one second after that piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct ReplayPiece {
  std::uint64_t at_ms = 0;  // from the start of the log
  std::string bytes;
  // A recorded read: it reaches the program whole at at_ms. Otherwise an
  // epoch's lines, which go out on the line at its speed from at_ms.
  bool read = false;
};

class ReplayLog {
 public:
  // Reads a log file; nullopt with a reason in error when it cannot be read
  // or holds no sentence.
  static std::optional<ReplayLog> Load(const std::string& path, std::string* error);

  // Cuts the text of a log. A Zelmora recording: the header and the time
  // lines are left out, every other byte is kept, each epoch is one read.
  // Any other log: lines starting with '#' are the capturer's comments and
  // are left out; every line is sent ending in CR LF (a line that already
  // ends in CR keeps its own ending). An epoch ends where a line carries
  // another UTC time than the epoch has seen, or after 20 lines when no
  // line tells the time.
  explicit ReplayLog(std::string_view text);

  std::size_t EpochCount() const { return m_epochs.size(); }

  const std::vector<ReplayPiece>& Pieces() const { return m_pieces; }
  // How long one pass of the log takes: its last piece's time and a second.
  std::uint64_t PassMs() const { return m_pieces.empty() ? 0 : m_pieces.back().at_ms + 1000; }
  // The speed a Zelmora recording names in its header; 0 for other logs.
  std::uint32_t Baud() const { return m_baud; }

  // The next epoch's lines; after the last epoch the log starts over.
  // The log must not be empty.
  const std::vector<std::string>& NextEpoch();

 private:
  void ReadRecording(std::string_view text);

  std::vector<std::vector<std::string>> m_epochs;
  std::vector<ReplayPiece> m_pieces;
  std::uint32_t m_baud = 0;
  std::size_t m_next = 0;
};

}  // namespace sim
