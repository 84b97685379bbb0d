// Numbers read and written as the handheld's C library did, whatever the
// user's locale: the decimal point is always ".".
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/core/win_types.h"

// wcstod(text, NULL) of the handheld: optional blanks (space, tab to carriage
// return), an optional sign, digits with an optional fraction, an optional
// exponent; parsing stops at the first character that does not fit, and text
// without a leading number gives 0. Hexadecimal numbers, "inf" and "nan" are
// not numbers there. A value too large for a double gives +-HUGE_VAL.
double WcsToDouble(std::wstring_view text);

// wcstol(text, NULL, 10) of the handheld, whose long has 32 bits: optional
// blanks, an optional sign, decimal digits; values out of range saturate at
// the 32-bit limits, text without a leading number gives 0.
LONG WcsToLong(std::wstring_view text);

// A double truncated toward zero to an int, saturating at the int's limits;
// NaN gives 0. (A plain cast of an out-of-range double is undefined.)
int TruncateToInt(double value);

// "%d" and "%.Nd": at least `minDigits` digits, zero-padded, sign in front.
void AppendInt(std::wstring& out, long long value, int minDigits);

// "%.Nf": fixed notation with `decimals` digits after the point, rounded as
// the C library rounds; infinities and NaN as "inf", "-inf", "nan".
void AppendFixed(std::wstring& out, double value, int decimals);

// One argument of FormatText: an int, a double or a wide string (viewed, not
// copied: it must outlive the call).
struct TextArg {
  enum class Kind { Int, Double, Text };
  TextArg(int value) : kind(Kind::Int), nValue(value) {}
  TextArg(double value) : kind(Kind::Double), dValue(value) {}
  TextArg(std::wstring_view value) : kind(Kind::Text), text(value) {}
  TextArg(const std::wstring& value) : kind(Kind::Text), text(value) {}
  TextArg(const wchar_t* value) : kind(Kind::Text), text(value) {}

  Kind kind;
  int nValue = 0;
  double dValue = 0.0;
  std::wstring_view text;
};

// The handheld's swprintf for the conversions the program's texts use:
// "%d" and "%.Nd" (int), "%.Nf" (double), "%s" (wide string) and "%%".
// Formatted by hand so that the user's locale never enters. A conversion
// whose argument is missing or of another kind produces no text.
std::wstring FormatText(std::wstring_view format, std::initializer_list<TextArg> args);
