#include "platform/core/codepage.h"

#include <cstring>

namespace {

// Windows-1252 from 0x80 to 0x9F; every other byte is its own code point.
constexpr wchar_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

wchar_t FromWindows1252(unsigned char byte) {
  return (byte >= 0x80 && byte <= 0x9F) ? kHighControls[byte - 0x80] : static_cast<wchar_t>(byte);
}

}  // namespace

// Maps to a table lookup per byte (Windows-1252); no iconv, no locale.
int MultiByteToWideChar(UINT CodePage, DWORD /*dwFlags*/, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar) {
  if (CodePage != CP_ACP || lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && lpWideCharStr == nullptr)) {
    return 0;
  }
  const std::size_t count = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
  if (count > static_cast<std::size_t>(INT32_MAX)) {
    return 0;
  }
  if (cchWideChar == 0) {
    return static_cast<int>(count);
  }
  if (count > static_cast<std::size_t>(cchWideChar)) {
    return 0;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
  for (std::size_t i = 0; i < count; ++i) {
    lpWideCharStr[i] = FromWindows1252(bytes[i]);
  }
  return static_cast<int>(count);
}
