// A little-endian byte builder for the classic binary resource formats.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/win_types.h"

class ResourceWriter {
 public:
  void Byte(BYTE value);
  void Word(WORD value);
  void Short(short value);
  void Dword(DWORD value);
  void Bytes(const void* data, std::size_t size);
  // The text as UTF-16 code units, without and with a terminating zero.
  void Utf16(std::wstring_view text);
  void Text(std::wstring_view text);
  // A name-or-ordinal field holding an ordinal: 0xFFFF, then the number.
  void Ordinal(WORD ordinal);
  // Zero bytes up to the next multiple of 4 from the start.
  void AlignTo4();
  // Overwrites the word at `offset`, written earlier.
  void PatchWord(std::size_t offset, WORD value);

  std::size_t Size() const { return m_bytes.size(); }
  std::vector<BYTE> Take() { return std::move(m_bytes); }

  // UTF-16 of the text; characters beyond 0xFFFF become surrogate pairs.
  static std::u16string ToUtf16(std::wstring_view text);

 private:
  std::vector<BYTE> m_bytes;
};
