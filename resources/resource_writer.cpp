#include "resources/resource_writer.h"

void ResourceWriter::Byte(BYTE value) { m_bytes.push_back(value); }

void ResourceWriter::Word(WORD value) {
  m_bytes.push_back(static_cast<BYTE>(value & 0xFF));
  m_bytes.push_back(static_cast<BYTE>(value >> 8));
}

void ResourceWriter::Short(short value) { Word(static_cast<WORD>(value)); }

void ResourceWriter::Dword(DWORD value) {
  Word(static_cast<WORD>(value & 0xFFFF));
  Word(static_cast<WORD>(value >> 16));
}

void ResourceWriter::Bytes(const void* data, std::size_t size) {
  const auto* first = static_cast<const BYTE*>(data);
  m_bytes.insert(m_bytes.end(), first, first + size);
}

void ResourceWriter::Utf16(std::wstring_view text) {
  for (char16_t unit : ToUtf16(text)) Word(static_cast<WORD>(unit));
}

void ResourceWriter::Text(std::wstring_view text) {
  Utf16(text);
  Word(0);
}

void ResourceWriter::Ordinal(WORD ordinal) {
  Word(0xFFFF);
  Word(ordinal);
}

void ResourceWriter::AlignTo4() {
  while (m_bytes.size() % 4 != 0) m_bytes.push_back(0);
}

void ResourceWriter::PatchWord(std::size_t offset, WORD value) {
  m_bytes.at(offset) = static_cast<BYTE>(value & 0xFF);
  m_bytes.at(offset + 1) = static_cast<BYTE>(value >> 8);
}

std::u16string ResourceWriter::ToUtf16(std::wstring_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (wchar_t c : text) {
    const auto code = static_cast<char32_t>(c);
    if (code > 0xFFFF) {
      units.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(code));
    }
  }
  return units;
}
