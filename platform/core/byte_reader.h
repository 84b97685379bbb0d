// Little-endian reads of the binary resource formats (dialog templates,
// string blocks, bitmaps, icon directories). Nothing here reads past the
// end of the bytes it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The 16-bit or 32-bit little-endian value at `offset`, or 0 when the bytes
// end before the value does. For formats whose size the caller has checked
// and that it reads at fixed offsets.
inline std::uint16_t ReadLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return 0;
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t ReadLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return 0;
  return ReadLe16(bytes, offset) | (static_cast<std::uint32_t>(ReadLe16(bytes, offset + 2)) << 16);
}

// A sequential reader. A read that would run past the end reads nothing,
// returns 0 (an empty string) and marks the reader failed for good, so a
// parser can read a whole header and ask Ok() once.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  std::uint8_t U8() { return Take(1) ? m_bytes[m_pos - 1] : 0; }
  std::uint16_t U16() { return Take(2) ? ReadLe16(m_bytes, m_pos - 2) : 0; }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::uint32_t U32() { return Take(4) ? ReadLe32(m_bytes, m_pos - 4) : 0; }
  // The next 16-bit value, left unread (0 at the end, without failing).
  std::uint16_t PeekU16() const { return ReadLe16(m_bytes, m_pos); }

  // A zero-terminated string of UTF-16 code units, one character each; the
  // terminator is read and not kept.
  std::wstring Utf16z() {
    std::wstring text;
    for (std::uint16_t unit = U16(); unit != 0; unit = U16()) text.push_back(static_cast<wchar_t>(unit));
    return text;
  }
  // The next `count` bytes, or an empty span when fewer are left.
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    return Take(count) ? m_bytes.subspan(m_pos - count, count) : std::span<const std::uint8_t>{};
  }
  void Skip(std::size_t count) { Take(count); }
  // Skips to the next multiple of four from the start of the bytes.
  void Align4() { Skip((4 - m_pos % 4) % 4); }
  // Moves to `pos`; a position past the end fails the reader.
  void Seek(std::size_t pos) {
    if (pos > m_bytes.size()) {
      m_failed = true;
      pos = m_bytes.size();
    }
    m_pos = pos;
  }

  bool Ok() const { return !m_failed; }
  std::size_t Pos() const { return m_pos; }
  std::size_t Size() const { return m_bytes.size(); }

 private:
  bool Take(std::size_t count) {
    if (m_failed || count > m_bytes.size() - m_pos) {
      m_failed = true;
      return false;
    }
    m_pos += count;
    return true;
  }

  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
  bool m_failed = false;
};
