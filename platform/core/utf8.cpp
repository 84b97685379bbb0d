#include "platform/core/utf8.h"

namespace {

// The well-formed sequence at the start of `bytes`: its length, with its
// character in `code`; 0 when it is malformed.
std::size_t DecodeOne(std::string_view bytes, char32_t& code) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  std::size_t extra = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, code = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (extra >= bytes.size()) return 0;
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(bytes[k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return extra + 1;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  std::string_view rest = text;
  while (!rest.empty()) {
    char32_t code = 0;
    const std::size_t length = DecodeOne(rest, code);
    out.push_back(length != 0 ? static_cast<wchar_t>(code) : L'\uFFFD');
    rest.remove_prefix(length != 0 ? length : 1);
  }
  return out;
}

bool DecodeUtf8(std::string_view bytes, std::wstring& out) {
  while (!bytes.empty()) {
    char32_t code = 0;
    const std::size_t length = DecodeOne(bytes, code);
    if (length == 0) return false;
    out.push_back(static_cast<wchar_t>(code));
    bytes.remove_prefix(length);
  }
  return true;
}

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  for (wchar_t wc : text) AppendUtf8(out, static_cast<char32_t>(wc));
  return out;
}
