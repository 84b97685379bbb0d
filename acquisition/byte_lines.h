// Cuts a receiver's byte stream into lines as bytes, for the readers that
// look at sentences without decoding them (identification, the
// time-to-first-fix test, the command-line tools).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CByteLines {
 public:
  static constexpr std::size_t kMaxLine = 1024;

  // Calls onLine(std::string_view line, std::uint32_t tick) for each line
  // that `bytes` completes: its bytes up to and with the LF that ends it (a
  // CR before the LF stays), and the tick of the read its first byte came
  // in. A line may span reads. A longer line than kMaxLine keeps its first
  // kMaxLine bytes (the LF may be among those lost), so memory stays bounded
  // whatever arrives; the LF still ends it.
  template <class OnLine>
  void Feed(std::string_view bytes, std::uint32_t tick, OnLine onLine) {
    for (char c : bytes) {
      if (m_line.empty()) m_start = tick;
      if (m_line.size() < kMaxLine) m_line.push_back(c);
      if (c == '\n') {
        onLine(std::string_view(m_line), m_start);
        m_line.clear();
      }
    }
  }
  // Forgets the line under way.
  void Clear() { m_line.clear(); }

 private:
  std::string m_line;
  std::uint32_t m_start = 0;
};
