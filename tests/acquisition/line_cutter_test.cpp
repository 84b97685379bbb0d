#include "acquisition/line_cutter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "acquisition/byte_lines.h"
#include "tests/support/canned_epoch.h"

namespace {

// Feeds `reads` one after another and returns the lines cut from them.
std::vector<std::wstring> Cut(const std::vector<std::string>& reads) {
  std::vector<std::wstring> lines;
  CLineCutter cutter([&](const std::wstring& line) { lines.push_back(line); });
  for (const std::string& read : reads) {
    cutter.Feed(read.data(), read.size());
  }
  return lines;
}

using Lines = std::vector<std::wstring>;
using namespace std::string_literals;

TEST(LineCutterTest, CutsAtCrLfOnly) {
  EXPECT_EQ(Cut({"$GPGGA,1\r\n$GPRMC,2\r\n"}), (Lines{L"$GPGGA,1", L"$GPRMC,2"}));
  EXPECT_EQ(Cut({"A\rB\nC\r\n"}), Lines{L"A\rB\nC"});  // lone CR and LF stay in the line
  EXPECT_EQ(Cut({"\r\n\r\n"}), (Lines{L"", L""}));
  EXPECT_EQ(Cut({"A\r\r\n"}), Lines{L"A\r"});  // CR CR LF ends a line that ends in CR
  EXPECT_EQ(Cut({"no line end"}), Lines{});
}

TEST(LineCutterTest, JoinsLinesAcrossReads) {
  // A sentence split over reads comes out once, after the read with its CR LF.
  EXPECT_EQ(Cut({"$GPR", "MC,01", "3348\r\nX"}), Lines{L"$GPRMC,013348"});
  // A read that ends exactly with CR LF leaves nothing held.
  EXPECT_EQ(Cut({"A\r\n", "B\r\n"}), (Lines{L"A", L"B"}));
  // CR at the end of one read, LF at the start of the next.
  EXPECT_EQ(Cut({"A\r", "\nB\r", "\n"}), (Lines{L"A", L"B"}));
  EXPECT_EQ(Cut({"A\r", "", "\n"}), Lines{L"A"});
  EXPECT_EQ(Cut({"A\r", "B\r\n"}), Lines{L"A\rB"});
  EXPECT_EQ(Cut({"A\r", "\r", "\n"}), Lines{L"A\r"});
}

TEST(LineCutterTest, LosesTheBytesAfterAZeroInEachPiece) {
  EXPECT_EQ(Cut({"AB\0CD\r\nEF\r\n"s}), (Lines{L"AB", L"EF"}));
  EXPECT_EQ(Cut({"AB\0C"s, "DE\r\n"}), Lines{L"ABDE"});  // the next read is a new piece
  EXPECT_EQ(Cut({"A\0B\r"s, "C\r\n"}), Lines{L"AC"});    // the CR after the 0 is lost too
  EXPECT_EQ(Cut({"A\0B\r"s, "\nC\r\n"}), (Lines{L"A", L"C"}));
}

TEST(LineCutterTest, ConvertsFromTheAnsiCodePage) {
  EXPECT_EQ(Cut({"\x80\xB0\xFF\r\n"}), Lines{L"\u20AC\u00B0\u00FF"});
}

TEST(LineCutterTest, KeepsTheLastCharactersOfAnOverlongLine) {
  // 10 KB without a line end, then a sentence: memory stays bounded and the
  // line that finally ends keeps its last 1024 characters.
  std::vector<std::string> reads(10, std::string(1024, 'x'));
  reads.back().replace(1000, 24, std::string(24, 'y'));
  reads.push_back("$GPRMC\r\n");
  const Lines lines = Cut(reads);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), CLineCutter::kMaxLine);
  EXPECT_EQ(lines[0].substr(lines[0].size() - 30), std::wstring(24, L'y') + L"$GPRMC");
}

// At 1200 bps a 70-byte sentence arrives in reads of 24 bytes: nothing is lost.
TEST(LineCutterTest, SlowReceiversLoseNothing) {
  const std::string sentence(kCannedRmc);
  const std::string stream = sentence + sentence + sentence;
  std::vector<std::string> reads;
  for (std::size_t i = 0; i < stream.size(); i += 24) {
    reads.push_back(stream.substr(i, 24));
  }
  const std::wstring line(sentence.begin(), sentence.end() - 2);
  EXPECT_EQ(Cut(reads), (Lines{line, line, line}));
}

}  // namespace

// The byte-line cutter of the readers that do not decode.
namespace {

std::vector<std::pair<std::string, std::uint32_t>> CutBytes(CByteLines& lines, std::string_view bytes,
                                                            std::uint32_t tick) {
  std::vector<std::pair<std::string, std::uint32_t>> out;
  lines.Feed(bytes, tick, [&](std::string_view line, std::uint32_t start) { out.emplace_back(line, start); });
  return out;
}

TEST(ByteLines, ALineSpanningReadsKeepsItsEndingAndTheTickOfItsFirstByte) {
  CByteLines lines;
  EXPECT_TRUE(CutBytes(lines, "$GPGGA,1", 100).empty());
  const auto done = CutBytes(lines, "23*00\r\n$GPR", 300);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].first, "$GPGGA,123*00\r\n");
  EXPECT_EQ(done[0].second, 100u);
  const auto next = CutBytes(lines, "MC\n", 500);
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(next[0], std::make_pair(std::string("$GPRMC\n"), std::uint32_t{300}));
}

TEST(ByteLines, AnEndlessLineStaysBoundedAndItsLfStillEndsIt) {
  CByteLines lines;
  const std::string flood(CByteLines::kMaxLine * 4, 'x');
  EXPECT_TRUE(CutBytes(lines, flood, 1).empty());
  const auto done = CutBytes(lines, "\r\n$GPGSA\r\n", 2);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0].first, std::string(CByteLines::kMaxLine, 'x'));
  EXPECT_EQ(done[1].first, "$GPGSA\r\n");
  EXPECT_EQ(done[1].second, 2u);
}

}  // namespace
