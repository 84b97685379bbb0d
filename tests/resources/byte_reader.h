// Reads the little-endian resource formats back, independently of the code
// that writes them. Reading past the end throws, which fails the test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <variant>

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
  ByteReader(const void* data, std::size_t size) : m_bytes(static_cast<const std::uint8_t*>(data), size) {}

  std::uint8_t U8() { return At(m_pos++); }
  std::uint16_t U16() {
    const auto low = At(m_pos);
    const auto high = At(m_pos + 1);
    m_pos += 2;
    return static_cast<std::uint16_t>(low | (high << 8));
  }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | (static_cast<std::uint32_t>(U16()) << 16);
  }
  // A zero-terminated UTF-16 string of BMP characters.
  std::wstring Text() {
    std::wstring text;
    for (std::uint16_t unit = U16(); unit != 0; unit = U16()) text.push_back(static_cast<wchar_t>(unit));
    return text;
  }
  // A name-or-ordinal field: 0xFFFF and an ordinal, or a string.
  std::variant<std::uint16_t, std::wstring> NameOrOrdinal() {
    if (At(m_pos) == 0xFF && At(m_pos + 1) == 0xFF) {
      m_pos += 2;
      return U16();
    }
    return Text();
  }
  std::string Bytes(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text.push_back(static_cast<char>(U8()));
    return text;
  }
  void Align4() { m_pos = (m_pos + 3) & ~std::size_t{3}; }
  void Seek(std::size_t pos) { m_pos = pos; }
  std::size_t Pos() const { return m_pos; }
  std::size_t Size() const { return m_bytes.size(); }

 private:
  std::uint8_t At(std::size_t pos) const {
    if (pos >= m_bytes.size()) throw std::out_of_range("read past the end of the resource");
    return m_bytes[pos];
  }

  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
};
