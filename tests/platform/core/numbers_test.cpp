#include "platform/core/numbers.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

namespace {

struct DoubleCase {
  const wchar_t* text;
  double expected;
};

TEST(WcsToDoubleTest, ReadsTheHandheldsDecimalSyntaxOnly) {
  const double inf = std::numeric_limits<double>::infinity();
  const DoubleCase cases[] = {
      {L"2411.1630", 2411.163},
      {L"  \t-12.5xyz", -12.5},
      {L"+7", 7.0},
      {L"5.", 5.0},
      {L".25", 0.25},
      {L"1e3", 1000.0},
      {L"1.5E-2*7C", 0.015},
      {L"2e", 2.0},  // an exponent without digits is not part of the number
      {L"2e+", 2.0},
      {L"0x1A", 0.0},  // no hexadecimal: "0" then a stop
      {L"inf", 0.0},
      {L"-infinity", 0.0},
      {L"nan", 0.0},
      {L"", 0.0},
      {L".", 0.0},
      {L"-", 0.0},
      {L"*4F", 0.0},
      {L"1e999", inf},
      {L"-1e999", -inf},
      {L"1e-999", 0.0},
      {L"00000000000000000000000000012.75", 12.75},
      {L"0.000000000000000000000000000001", 1e-30},
      {L"12345678901234567890123", 1.2345678901234568e22},
      {L"9007199254740993", 9007199254740992.0},  // beyond 2^53: rounds to even
      {L"1\u00A0"
       L"5",
       1.0},
  };
  for (const DoubleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "text index " << (&c - cases));
    EXPECT_EQ(WcsToDouble(c.text), c.expected);
  }
  EXPECT_TRUE(std::signbit(WcsToDouble(L"-0.0")));
}

// Every number a receiver can send must read as the C library reads it.
TEST(WcsToDoubleTest, AgreesWithTheCLibraryOnRandomDecimals) {
  std::mt19937_64 random(20070309);
  locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  for (int i = 0; i < 20000; ++i) {
    std::string text = (random() % 4 == 0) ? "-" : "";
    const int intDigits = static_cast<int>(random() % 12);
    const int fracDigits = static_cast<int>(random() % 14);
    for (int d = 0; d < intDigits; ++d) text.push_back(static_cast<char>('0' + random() % 10));
    text.push_back('.');
    for (int d = 0; d < fracDigits + (intDigits == 0 ? 1 : 0); ++d)
      text.push_back(static_cast<char>('0' + random() % 10));
    if (random() % 5 == 0) text += "e" + std::to_string(static_cast<int>(random() % 80) - 40);
    const std::wstring wide(text.begin(), text.end());
    ASSERT_EQ(WcsToDouble(wide), strtod_l(text.c_str(), nullptr, c)) << text;
  }
  freelocale(c);
}

TEST(WcsToLongTest, SaturatesAtThirtyTwoBits) {
  const struct {
    const wchar_t* text;
    LONG expected;
  } cases[] = {
      {L"090307", 90307},
      {L"013348.000", 13348},
      {L" -42,", -42},
      {L"+5", 5},
      {L"", 0},
      {L"A", 0},
      {L"0x10", 0},
      {L"2147483647", 2147483647},
      {L"2147483648", 2147483647},
      {L"-2147483648", -2147483647 - 1},
      {L"-2147483649", -2147483647 - 1},
      {L"99999999999999999999999", 2147483647},
      {L"+-5", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WcsToLong(c.text), c.expected) << "text index " << (&c - cases);
  }
}

TEST(TruncateToIntTest, SaturatesAndGivesZeroForNaN) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(TruncateToInt(101.5), 101);
  EXPECT_EQ(TruncateToInt(-60.9), -60);
  EXPECT_EQ(TruncateToInt(1e300), std::numeric_limits<int>::max());
  EXPECT_EQ(TruncateToInt(-inf), std::numeric_limits<int>::min());
  EXPECT_EQ(TruncateToInt(2147483647.9), std::numeric_limits<int>::max());
  EXPECT_EQ(TruncateToInt(-2147483648.9), std::numeric_limits<int>::min());
  EXPECT_EQ(TruncateToInt(std::nan("")), 0);
}

TEST(FormatTextTest, FormatsTheProgramsConversions) {
  EXPECT_EQ(FormatText(L"%d\u00B0%d'%d\"", {24, 11, 9}), L"24\u00B011'9\"");
  EXPECT_EQ(FormatText(L"%.1f km/h", {11.29720}), L"11.3 km/h");
  EXPECT_EQ(FormatText(L"%.1f", {0.0}), L"0.0");
  EXPECT_EQ(FormatText(L"%.1f", {-0.04}), L"-0.0");
  EXPECT_EQ(FormatText(L"%.1f", {0.25}), L"0.2");  // the C library rounds an exact tie to even
  EXPECT_EQ(FormatText(L"%.1f", {1e300}).size(), 303u);
  EXPECT_EQ(FormatText(L"%.1f", {std::numeric_limits<double>::infinity()}), L"inf");
  EXPECT_EQ(FormatText(L"%.4d/%.2d/%.2d", {2007, 3, 9}), L"2007/03/09");
  EXPECT_EQ(FormatText(L"%.6d", {-5}), L"-000005");
  EXPECT_EQ(FormatText(L"%.6d", {1234567}), L"1234567");
  EXPECT_EQ(FormatText(L"%s %s", {L"E", std::wstring(L"101\u00B0")}), L"E 101\u00B0");
  EXPECT_EQ(FormatText(L"100%% %d", {-2147483647 - 1}), L"100% -2147483648");
  EXPECT_EQ(FormatText(L"%d %d", {1}), L"1 ");     // a missing argument gives no text
  EXPECT_EQ(FormatText(L"%d|%x", {1.5}), L"|%x");  // so does one of another kind
}

// The user's locale (a decimal comma here) must change neither reading nor writing.
TEST(NumbersLocaleTest, IgnoresTheUsersLocale) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/install-deps makes it)";
  }
  const double parsed = WcsToDouble(L"2411.1630");
  const double huge = WcsToDouble(L"123456789012345678901234.5");
  const std::wstring text = FormatText(L"%.1f", {7.5});
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(parsed, 2411.163);
  EXPECT_EQ(huge, 123456789012345678901234.5);
  EXPECT_EQ(text, L"7.5");
}

}  // namespace
