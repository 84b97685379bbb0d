#include "platform/ui/edit_text.h"

#include <gtest/gtest.h>

namespace {

TEST(EditText, CountsLinesAndIndexesAsTheHandheldDoes) {
  EditText text;
  text.Set(L"");
  EXPECT_EQ(text.LineCount(), 1);
  EXPECT_EQ(text.LineIndex(0), 0);
  EXPECT_EQ(text.LineIndex(1), -1);

  text.Set(L"$GPGGA\r\n$GPRMC\r\n");
  EXPECT_EQ(text.LineCount(), 3);
  EXPECT_EQ(text.LineIndex(1), 8);
  EXPECT_EQ(text.LineIndex(2), 16);
  EXPECT_EQ(text.LineFromChar(7), 0);
  EXPECT_EQ(text.LineFromChar(8), 1);
  EXPECT_EQ(text.LineFromChar(-1), 2);
}

TEST(EditText, ShowsCrLfAsOneBreakAndMapsIndexes) {
  EditText text;
  text.Set(L"ab\r\ncd\nx\r");
  EXPECT_EQ(text.DisplayText(), L"ab\ncd x ");
  EXPECT_EQ(text.LineCount(), 2);
  struct Case {
    int index;
    int shown;
  };
  for (Case c : {Case{0, 0}, Case{2, 2}, Case{3, 2}, Case{4, 3}, Case{6, 5}, Case{9, 8}, Case{-1, 8}, Case{99, 8}}) {
    EXPECT_EQ(text.ToDisplay(c.index), c.shown) << "index " << c.index;
  }
}

TEST(EditText, FindsWhatWasTrimmedAndWhatWasAppended) {
  struct Case {
    const wchar_t* before;
    const wchar_t* after;
    bool inPlace;
    std::size_t trim;
  };
  for (Case c : {Case{L"", L"abc", true, 0}, Case{L"abc", L"abcde", true, 0}, Case{L"abcde", L"cdefg", true, 2},
                 Case{L"abc", L"abc", true, 0}, Case{L"abcabc", L"abcabcX", true, 0}, Case{L"aaab", L"abX", true, 2},
                 Case{L"abc", L"xyz", false, 0}, Case{L"abc", L"", false, 0}, Case{L"abcdef", L"cd", false, 0}}) {
    std::size_t trim = 99;
    EXPECT_EQ(EditText::FindTrimAndAppend(c.before, c.after, &trim), c.inPlace) << c.before << " -> " << c.after;
    if (c.inPlace) {
      EXPECT_EQ(trim, c.trim) << c.before << " -> " << c.after;
    }
  }
  // A log cut between CR and LF shows a space before its first whole line.
  std::size_t trim = 0;
  std::size_t prefix = 0;
  ASSERT_TRUE(EditText::FindTrimPrefixAndAppend(L"ab\ncd\nef", L" cd\nefgh", &trim, &prefix));
  EXPECT_EQ(trim, 3u);
  EXPECT_EQ(prefix, 1u);
  ASSERT_TRUE(EditText::FindTrimPrefixAndAppend(L"ab\ncd", L"cd\nx", &trim, &prefix));
  EXPECT_EQ(trim, 3u);
  EXPECT_EQ(prefix, 0u);
  EXPECT_FALSE(EditText::FindTrimPrefixAndAppend(L"abc", L"x\nabc", &trim, &prefix)) << "a prefix holds no break";
  EXPECT_FALSE(EditText::FindTrimPrefixAndAppend(L"abc", L"vwxyzabc", &trim, &prefix)) << "nor is it long";
}

}  // namespace
