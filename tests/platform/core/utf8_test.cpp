#include "platform/core/utf8.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// One decoder, two policies: a malformed sequence is one U+FFFD per byte it
// starts for names from the kernel, and a failure for files read back.
struct Utf8Case {
  const char* name;
  std::string bytes;
  std::wstring lenient;
  std::optional<std::wstring> strict;
};

TEST(Utf8Decoding, LenientReplacesWhatStrictRefuses) {
  const Utf8Case cases[] = {
      {"ascii", "COM1:", L"COM1:", L"COM1:"},
      {"two, three and four bytes", "\xC2\xB0\xE2\x82\xAC\xF0\x9F\x9B\xB0", L"\u00B0\u20AC\U0001F6F0",
       L"\u00B0\u20AC\U0001F6F0"},
      {"highest scalar", "\xF4\x8F\xBF\xBF", L"\U0010FFFF", L"\U0010FFFF"},
      {"stray continuation", "a\x80z", L"a\uFFFDz", std::nullopt},
      {"overlong slash", "\xC0\xAF", L"\uFFFD\uFFFD", std::nullopt},
      {"overlong three bytes", "\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD", std::nullopt},
      {"surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD", std::nullopt},
      {"above U+10FFFF", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD", std::nullopt},
      {"five-byte lead", "\xF8\x88\x80\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", std::nullopt},
      {"cut at the end", "ab\xE2\x82", L"ab\uFFFD\uFFFD", std::nullopt},
      {"lead before ascii", "\xC3(", L"\uFFFD(", std::nullopt},
  };
  for (const Utf8Case& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.bytes), c.lenient) << c.name;
    std::wstring strict = L"kept:";
    const bool ok = DecodeUtf8(c.bytes, strict);
    EXPECT_EQ(ok, c.strict.has_value()) << c.name;
    if (c.strict) {
      EXPECT_EQ(strict, L"kept:" + *c.strict) << c.name;
    }
  }
}

TEST(Utf8Decoding, WideToUtf8RoundTripsAndReplacesNonScalars) {
  const std::wstring text = L"Z\u00E9lmora \u20AC \U0001F6F0";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
  EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
