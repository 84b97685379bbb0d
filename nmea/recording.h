// The comment lines of a Zelmora recording, shared by the writer (the
// session's recorder) and the readers (the simulated receiver's replay).
// A recording is the received byte stream, unchanged, with comment lines
// between its lines; tools that read NMEA logs pass over lines starting
// with '#'. The first line says what the file is, then "# date: ...",
// "# port: ...", "# speed: ...", "# program: ..."; a line "#t MS" stands
// before the bytes of each read that began a line, MS being the
// milliseconds since the recording started at which that read returned.
// Comments end in CR LF, as sentences do. A comment goes only where a line
// starts outside a binary frame (UBX "B5 62 class id length ... CK_A CK_B",
// SiRF "A0 A2 length ... B0 B3"), whose bytes may hold line ends of their
// own; RecordingScanner tells where those places are, for the writer and
// the readers alike.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

inline constexpr std::string_view kRecordingFirstLine = "# Zelmora recording 1";
inline constexpr std::string_view kRecordingTimePrefix = "#t ";
inline constexpr std::string_view kRecordingSpeedPrefix = "# speed: ";

// MS of a "#t MS" line (without its line end); nullopt for any other line.
inline std::optional<std::uint64_t> RecordingTimeOf(std::string_view line) {
  if (!line.starts_with(kRecordingTimePrefix)) return std::nullopt;
  line.remove_prefix(kRecordingTimePrefix.size());
  std::uint64_t ms = 0;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), ms);
  if (error != std::errc() || end != line.data() + line.size() || line.empty()) return std::nullopt;
  return ms;
}

// Follows a received byte stream and tells after which bytes a line starts
// outside a binary frame. u-blox: sync B5 62, class, id, payload length (2
// bytes, little-endian), payload, CK_A CK_B ("u-blox 8 / M8 Receiver
// Description", UBX frame structure). SiRF binary: start A0 A2, payload
// length (2 bytes, big-endian, 15 bits), payload, checksum (2 bytes), end
// B0 B3 ("SiRF Binary Protocol Reference Manual", transport message).
class RecordingScanner {
 public:
  // True when the stream is at a line start outside a frame: at its start,
  // and after a line feed outside a frame.
  bool AtLineStart() const { return m_bLineStart && m_state == State::kText; }

  // Steps over one byte.
  void Step(unsigned char byte) {
    m_bLineStart = false;
    switch (m_state) {
      case State::kText:
        if (byte == 0xB5) m_state = State::kUbxSync;
        if (byte == 0xA0) m_state = State::kSirfSync;
        m_bLineStart = byte == '\n';
        return;
      case State::kUbxSync:
      case State::kSirfSync:
        if (byte == (m_state == State::kUbxSync ? 0x62 : 0xA2)) {
          m_state = m_state == State::kUbxSync ? State::kUbxHeader : State::kSirfHeader;
          m_nHeaderSeen = 0;
          m_nLength = 0;
          return;
        }
        // No frame after all: the byte is text, or another frame's start.
        m_state = State::kText;
        Step(byte);
        return;
      case State::kUbxHeader:  // class, id, length low, length high
        if (m_nHeaderSeen == 2) m_nLength = byte;
        if (m_nHeaderSeen == 3) m_nLength |= std::uint32_t{byte} << 8;
        if (++m_nHeaderSeen == 4) {
          m_nFrameLeft = m_nLength + 2;  // and CK_A, CK_B
          m_state = State::kFrameBody;
        }
        return;
      case State::kSirfHeader:  // length high, length low
        m_nLength = (m_nLength << 8) | byte;
        if (++m_nHeaderSeen == 2) {
          // A length beyond the protocol's 15 bits is no frame: back to text.
          m_state = m_nLength > 0x7FFF ? State::kText : State::kFrameBody;
          m_nFrameLeft = m_nLength + 4;  // and the checksum, B0 B3
        }
        return;
      case State::kFrameBody:
        if (--m_nFrameLeft == 0) m_state = State::kText;
        return;
    }
  }

 private:
  enum class State { kText, kUbxSync, kUbxHeader, kSirfSync, kSirfHeader, kFrameBody };

  State m_state = State::kText;
  bool m_bLineStart = true;
  std::size_t m_nHeaderSeen = 0;
  std::uint32_t m_nLength = 0;
  std::size_t m_nFrameLeft = 0;
};
