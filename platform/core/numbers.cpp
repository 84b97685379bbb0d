#include "platform/core/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The "C" locale, created once: the decimal point never comes from the user.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// The slow path: the number's characters, already checked to be a plain
// decimal number, handed to the C library's correctly rounded strtod.
double ParseWithCLibrary(std::wstring_view number) {
  std::string narrow(number.size(), '\0');
  for (std::size_t i = 0; i < number.size(); ++i) {
    narrow[i] = static_cast<char>(number[i]);
  }
  return strtod_l(narrow.c_str(), nullptr, CLocale());
}

}  // namespace

// Maps to a hand-written scanner of the plain decimal syntax; exact values go
// through Clinger's fast path, the rest through strtod_l in the "C" locale.
double WcsToDouble(std::wstring_view text) {
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n && IsBlank(text[i])) {
    ++i;
  }
  const std::size_t start = i;
  bool negative = false;
  if (i < n && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }

  // The significand's digits without leading zeros, as long as they fit.
  std::uint64_t significand = 0;
  int digits = 0;
  int exponent = 0;
  bool exact = true;
  bool anyDigit = false;
  auto takeDigit = [&](wchar_t c, bool fraction) {
    anyDigit = true;
    const int d = c - L'0';
    if (significand == 0 && d == 0) {
      exponent -= fraction ? 1 : 0;
    } else if (digits < 19) {
      significand = significand * 10 + static_cast<std::uint64_t>(d);
      ++digits;
      exponent -= fraction ? 1 : 0;
    } else {
      exact = false;
    }
  };
  while (i < n && IsDigit(text[i])) {
    takeDigit(text[i++], false);
  }
  if (i < n && text[i] == L'.') {
    ++i;
    while (i < n && IsDigit(text[i])) {
      takeDigit(text[i++], true);
    }
  }
  if (!anyDigit) {
    return 0.0;
  }
  if (i < n && (text[i] == L'e' || text[i] == L'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < n && (text[j] == L'+' || text[j] == L'-')) {
      negativeExponent = text[j] == L'-';
      ++j;
    }
    if (j < n && IsDigit(text[j])) {
      int value = 0;
      while (j < n && IsDigit(text[j])) {
        if (value < 100000) {
          value = value * 10 + (text[j] - L'0');
        }
        ++j;
      }
      exponent += negativeExponent ? -value : value;
      i = j;
    }
  }

  if (exact && significand == 0) {
    return negative ? -0.0 : 0.0;
  }
  if (exact && significand <= (std::uint64_t{1} << 53) && exponent >= -22 && exponent <= 22) {
    // Both operands are exact doubles, so one rounding gives the correctly
    // rounded result.
    double value = static_cast<double>(significand);
    value = exponent < 0 ? value / kExactPowers[-exponent] : value * kExactPowers[exponent];
    return negative ? -value : value;
  }
  return ParseWithCLibrary(text.substr(start, i - start));
}

// Maps to a hand-written decimal scanner with 32-bit saturation.
LONG WcsToLong(std::wstring_view text) {
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n && IsBlank(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < n && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  std::int64_t value = 0;
  while (i < n && IsDigit(text[i])) {
    if (value <= kLimit) {
      value = value * 10 + (text[i] - L'0');
    }
    ++i;
  }
  if (negative) {
    return value >= kLimit ? std::numeric_limits<LONG>::min() : static_cast<LONG>(-value);
  }
  return value >= kLimit ? std::numeric_limits<LONG>::max() : static_cast<LONG>(value);
}

// Maps to a range check before the cast.
int TruncateToInt(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  return static_cast<int>(value);
}

// Maps to std::to_chars, which never consults a locale.
void AppendInt(std::wstring& out, long long value, int minDigits) {
  char buffer[32];
  const bool negative = value < 0;
  const unsigned long long magnitude =
      negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
  const int length = static_cast<int>(result.ptr - buffer);
  if (negative) {
    out.push_back(L'-');
  }
  if (minDigits > length) {
    out.append(static_cast<std::size_t>(minDigits - length), L'0');
  }
  out.append(buffer, result.ptr);
}

// Maps to std::to_chars with a precision, which rounds exactly as printf
// does in the "C" locale.
void AppendFixed(std::wstring& out, double value, int decimals) {
  if (std::isnan(value)) {
    out.append(std::signbit(value) ? L"-nan" : L"nan");
    return;
  }
  if (std::isinf(value)) {
    out.append(value < 0 ? L"-inf" : L"inf");
    return;
  }
  // The longest fixed text of a finite double: 309 integer digits, a sign,
  // a point and the decimals.
  char buffer[330 + 64];
  const int precision = decimals < 0 ? 0 : (decimals > 64 ? 64 : decimals);
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
  out.append(buffer, result.ptr);
}

// Maps to a hand-written walk of the format; see the header for what it knows.
std::wstring FormatText(std::wstring_view format, std::initializer_list<TextArg> args) {
  std::wstring out;
  out.reserve(format.size() + 16);
  const TextArg* next = args.begin();
  const std::size_t n = format.size();
  for (std::size_t i = 0; i < n; ++i) {
    const wchar_t c = format[i];
    if (c != L'%') {
      out.push_back(c);
      continue;
    }
    std::size_t j = i + 1;
    if (j < n && format[j] == L'%') {
      out.push_back(L'%');
      i = j;
      continue;
    }
    int precision = -1;
    if (j < n && format[j] == L'.') {
      precision = 0;
      ++j;
      while (j < n && IsDigit(format[j])) {
        precision = precision * 10 + (format[j] - L'0');
        if (precision > 64) {
          precision = 64;
        }
        ++j;
      }
    }
    if (j >= n || (format[j] != L'd' && format[j] != L'f' && format[j] != L's')) {
      out.append(format.substr(i, j - i));
      i = j - 1;
      continue;
    }
    const wchar_t conversion = format[j];
    i = j;
    if (next == args.end()) {
      continue;
    }
    const TextArg& arg = *next++;
    if (conversion == L'd' && arg.kind == TextArg::Kind::Int) {
      AppendInt(out, arg.nValue, precision < 0 ? 1 : precision);
    } else if (conversion == L'f' && arg.kind == TextArg::Kind::Double) {
      AppendFixed(out, arg.dValue, precision < 0 ? 6 : precision);
    } else if (conversion == L's' && arg.kind == TextArg::Kind::Text) {
      out.append(arg.text);
    }
  }
  return out;
}
