#include "platform/core/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MultiByteToWideCharTest, MapsEveryByteToOneWindows1252Character) {
  char bytes[256];
  for (int i = 0; i < 256; ++i) {
    bytes[i] = static_cast<char>(i);
  }
  wchar_t wide[256];
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes, 256, wide, 256), 256);
  EXPECT_EQ(wide[0], L'\0');
  EXPECT_EQ(wide['$'], L'$');
  EXPECT_EQ(wide[0x7F], 0x7F);
  EXPECT_EQ(wide[0x80], 0x20AC);  // euro sign
  EXPECT_EQ(wide[0x81], 0x81);    // unassigned: kept as the control of that value
  EXPECT_EQ(wide[0x8A], 0x160);
  EXPECT_EQ(wide[0x9D], 0x9D);
  EXPECT_EQ(wide[0x9F], 0x178);
  EXPECT_EQ(wide[0xA0], 0xA0);
  EXPECT_EQ(wide[0xB0], 0xB0);  // degree sign
  EXPECT_EQ(wide[0xFF], 0xFF);
}

TEST(MultiByteToWideCharTest, HonoursLengthsAndBufferSizes) {
  wchar_t wide[8] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "$GP", -1, nullptr, 0), 4);  // the 0 byte counts
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "$GP", -1, wide, 8), 4);
  EXPECT_EQ(std::wstring(wide), L"$GP");
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "A\0B", 3, wide, 8), 3);
  EXPECT_EQ(wide[2], L'B');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ABCDEFGHI", 9, wide, 8), 0);  // too small
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "AB", 0, wide, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(65001, 0, "AB", 2, wide, 8), 0);  // only the ANSI code page
}

}  // namespace
