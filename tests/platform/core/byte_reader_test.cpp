#include "platform/core/byte_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

TEST(ByteReader, ReadsLittleEndianInOrder) {
  const std::vector<std::uint8_t> bytes{0x34, 0x12, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12,
                                        0x7F, 'G',  0,    'P',  0,    0,    0,    0xAA};
  ByteReader in(bytes);
  EXPECT_EQ(in.U16(), 0x1234);
  EXPECT_EQ(in.I16(), -2);
  EXPECT_EQ(in.PeekU16(), 0x5678);
  EXPECT_EQ(in.U32(), 0x12345678u);
  EXPECT_EQ(in.U8(), 0x7F);
  EXPECT_EQ(in.Utf16z(), L"GP");
  EXPECT_EQ(in.Pos(), 15u);
  in.Align4();
  EXPECT_EQ(in.Pos(), 16u);
  EXPECT_TRUE(in.Ok());
  EXPECT_EQ(ReadLe32(bytes, 4), 0x12345678u);
  EXPECT_EQ(ReadLe16(bytes, 14), 0xAA00);
}

// A read that does not fit reads nothing and fails the reader for good; the
// fixed-offset reads give 0 past the end.
TEST(ByteReader, RunningPastTheEndFailsAndStaysFailed) {
  const std::vector<std::uint8_t> bytes{1, 2, 3};
  struct Case {
    const char* name;
    void (*read)(ByteReader&);
  } cases[] = {
      {"U32 of three bytes", [](ByteReader& in) { EXPECT_EQ(in.U32(), 0u); }},
      {"U16 after U16",
       [](ByteReader& in) {
         in.U16();
         EXPECT_EQ(in.U16(), 0);
       }},
      {"string without its terminator", [](ByteReader& in) { EXPECT_EQ(in.Utf16z(), L"\u0201"); }},
      {"Bytes(4)", [](ByteReader& in) { EXPECT_TRUE(in.Bytes(4).empty()); }},
      {"Skip(4)", [](ByteReader& in) { in.Skip(4); }},
      {"Align4 at 1",
       [](ByteReader& in) {
         in.U8();
         in.Align4();
       }},
      {"Seek(4)", [](ByteReader& in) { in.Seek(4); }},
  };
  for (const Case& c : cases) {
    ByteReader in(bytes);
    c.read(in);
    EXPECT_FALSE(in.Ok()) << c.name;
    EXPECT_EQ(in.U8(), 0) << c.name << ": a failed reader reads nothing more";
    EXPECT_LE(in.Pos(), bytes.size()) << c.name;
  }
  EXPECT_EQ(ReadLe16(bytes, 2), 0);
  EXPECT_EQ(ReadLe32(bytes, 0), 0u);
  EXPECT_EQ(ReadLe16(bytes, static_cast<std::size_t>(-1)), 0);
}

}  // namespace
