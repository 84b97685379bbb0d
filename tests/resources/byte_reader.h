// Reads the little-endian resource formats back, independently of the code
// that writes them: the layer's ByteReader, made to throw when a read runs
// past the end, which fails the test at that read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <variant>

#include "platform/core/byte_reader.h"

class CheckedReader {
 public:
  explicit CheckedReader(std::span<const std::uint8_t> bytes) : m_in(bytes) {}
  CheckedReader(const void* data, std::size_t size) : m_in({static_cast<const std::uint8_t*>(data), size}) {}

  std::uint8_t U8() { return Checked(m_in.U8()); }
  std::uint16_t U16() { return Checked(m_in.U16()); }
  std::int16_t I16() { return Checked(m_in.I16()); }
  std::uint32_t U32() { return Checked(m_in.U32()); }
  // A zero-terminated UTF-16 string of BMP characters.
  std::wstring Text() { return Checked(m_in.Utf16z()); }
  // A name-or-ordinal field: 0xFFFF and an ordinal, or a string.
  std::variant<std::uint16_t, std::wstring> NameOrOrdinal() {
    if (m_in.Pos() + 2 > m_in.Size()) throw std::out_of_range("read past the end of the resource");
    if (m_in.PeekU16() == 0xFFFF) {
      m_in.Skip(2);
      return U16();
    }
    return Text();
  }
  std::string Bytes(std::size_t count) {
    const std::span<const std::uint8_t> bytes = Checked(m_in.Bytes(count));
    return std::string(bytes.begin(), bytes.end());
  }
  void Align4() { m_in.Align4(); }
  void Seek(std::size_t pos) { m_in.Seek(pos); }
  std::size_t Pos() const { return m_in.Pos(); }
  std::size_t Size() const { return m_in.Size(); }

 private:
  template <class T>
  T Checked(T value) const {
    if (!m_in.Ok()) throw std::out_of_range("read past the end of the resource");
    return value;
  }

  ByteReader m_in;
};
