// UTF-8 text from the kernel and the command line, as the layer's wide strings.
#pragma once

#include <string>
#include <string_view>

// Lenient, for names from the kernel and the command line: each byte that
// does not start a well-formed sequence becomes U+FFFD.
std::wstring Utf8ToWide(const std::string& text);
// Strict, for files the program reads back: appends the characters of
// `bytes` to `out`, or fails at the first malformed sequence (an overlong
// form, a surrogate, a code above U+10FFFF, a cut or stray byte).
bool DecodeUtf8(std::string_view bytes, std::wstring& out);
std::string WideToUtf8(const std::wstring& text);

// Appends the UTF-8 bytes of one character; a code that is not a Unicode
// scalar value (a surrogate, beyond U+10FFFF) becomes U+FFFD.
inline void AppendUtf8(std::string& out, char32_t c) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}
