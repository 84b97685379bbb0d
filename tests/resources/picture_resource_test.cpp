#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/resources/byte_reader.h"
#include "tests/resources/resource_bytes.h"

namespace {

struct InfoHeader {
  std::uint32_t size;
  std::int32_t width, height;
  std::uint16_t planes, bitCount;
  std::uint32_t compression, imageSize;
};

InfoHeader ReadInfoHeader(CheckedReader& in) {
  InfoHeader h;
  h.size = in.U32();
  h.width = static_cast<std::int32_t>(in.U32());
  h.height = static_cast<std::int32_t>(in.U32());
  h.planes = in.U16();
  h.bitCount = in.U16();
  h.compression = in.U32();
  h.imageSize = in.U32();
  in.Seek(in.Pos() + 16);  // resolution and palette counts
  return h;
}

std::size_t Stride(std::int32_t width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }

std::vector<BYTE> ReadSourceFile(const std::string& name) {
  std::ifstream file(std::string(ZELMORA_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Red, green, blue of pixel (x, y) counted from the top of a bottom-up DIB.
std::array<int, 3> Pixel(std::span<const BYTE> dib, const InfoHeader& h, int x, int y) {
  const std::size_t at = h.size + Stride(h.width, h.bitCount) * (h.height - 1 - y) + x * (h.bitCount / 8);
  return {dib[at + 2], dib[at + 1], dib[at]};
}

struct BitmapCase {
  UINT id;
  const char* file;
  int side_x, side_y, bits;
};

const BitmapCase kBitmaps[] = {
    {IDB_LOGO, "logo.bmp", 111, 37, 24},
    {IDB_SKY_PORTRAIT, "sky_portrait.bmp", 121, 121, 24},
    {IDB_SKY_LANDSCAPE, "sky_landscape.bmp", 105, 105, 32},
    {IDB_SKY_SQUARE, "sky_square.bmp", 79, 79, 24},
};

TEST(Bitmaps, AreBottomUpUncompressedDibsOfTheirSizeAndDepth) {
  for (const BitmapCase& c : kBitmaps) {
    SCOPED_TRACE(c.file);
    const std::span<const BYTE> dib = ProgramResource(MAKEINTRESOURCEW(c.id), RT_BITMAP);
    ASSERT_FALSE(dib.empty());
    CheckedReader in(dib);
    const InfoHeader h = ReadInfoHeader(in);
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, c.side_x);
    EXPECT_EQ(h.height, c.side_y) << "a positive height: bottom-up";
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bitCount, c.bits);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(dib.size(), 40 + Stride(c.side_x, c.bits) * c.side_y);
  }
}

TEST(Bitmaps, AreTheFilesOfTheResourceFolderWithoutTheirFileHeader) {
  for (const BitmapCase& c : kBitmaps) {
    SCOPED_TRACE(c.file);
    const std::vector<BYTE> file = ReadSourceFile(c.file);
    ASSERT_GT(file.size(), 14u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    const std::span<const BYTE> dib = ProgramResource(MAKEINTRESOURCEW(c.id), RT_BITMAP);
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14, file.end()));
  }
}

// The sky discs fill their square: white in the corners, light blue in the
// middle, light enough for grey rings and black or red labels on top.
TEST(Bitmaps, SkyBackgroundsAreLightBlueDiscsOnWhite) {
  for (const BitmapCase& c : kBitmaps) {
    if (c.id == IDB_LOGO) continue;
    SCOPED_TRACE(c.file);
    const std::span<const BYTE> dib = ProgramResource(MAKEINTRESOURCEW(c.id), RT_BITMAP);
    CheckedReader in(dib);
    const InfoHeader h = ReadInfoHeader(in);
    const int mid = c.side_x / 2;
    const int last = c.side_x - 1;
    for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) {
      EXPECT_EQ(Pixel(dib, h, x, y), (std::array{255, 255, 255})) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{mid, mid}, {mid, 4}, {4, mid}, {mid, last - 4}, {last - 4, mid}}) {
      const auto [r, g, b] = Pixel(dib, h, x, y);
      EXPECT_GT(b, r + 10) << x << "," << y << " is not blue";
      EXPECT_GT(r + g + b, 3 * 150) << x << "," << y << " is too dark";
    }
  }
}

TEST(Bitmaps, LogoIsDarkInkOnWhite) {
  const std::span<const BYTE> dib = ProgramResource(MAKEINTRESOURCEW(IDB_LOGO), RT_BITMAP);
  CheckedReader in(dib);
  const InfoHeader h = ReadInfoHeader(in);
  int ink = 0;
  for (int y = 0; y < h.height; ++y) {
    for (int x = 0; x < h.width; ++x) {
      const auto [r, g, b] = Pixel(dib, h, x, y);
      if (r + g + b < 3 * 100) ++ink;
    }
  }
  EXPECT_EQ(Pixel(dib, h, 0, 0), (std::array{255, 255, 255}));
  EXPECT_GT(ink, 300) << "the name is drawn";
  EXPECT_LT(ink, 111 * 37 / 2) << "on a light ground";
}

TEST(Icon, GroupListsThreeImagesThatExistWithTheirSizes) {
  const std::span<const BYTE> group = ProgramResource(MAKEINTRESOURCEW(IDI_ZELMORA), RT_GROUP_ICON);
  ASSERT_FALSE(group.empty());
  CheckedReader in(group);
  EXPECT_EQ(in.U16(), 0);
  EXPECT_EQ(in.U16(), 1) << "type: icon";
  ASSERT_EQ(in.U16(), 3);
  const std::array<std::array<int, 2>, 3> expected = {{{16, 32}, {32, 24}, {64, 32}}};
  for (const auto& [side, bits] : expected) {
    SCOPED_TRACE("image " + std::to_string(side));
    EXPECT_EQ(in.U8(), side);
    EXPECT_EQ(in.U8(), side);
    EXPECT_EQ(in.U8(), 0) << "colour count";
    EXPECT_EQ(in.U8(), 0);
    EXPECT_EQ(in.U16(), 1) << "planes";
    EXPECT_EQ(in.U16(), bits);
    const std::uint32_t size = in.U32();
    const std::uint16_t id = in.U16();

    const std::span<const BYTE> image = ProgramResource(MAKEINTRESOURCEW(id), RT_ICON);
    ASSERT_EQ(image.size(), size);
    CheckedReader dib(image);
    const InfoHeader h = ReadInfoHeader(dib);
    EXPECT_EQ(h.width, side);
    EXPECT_EQ(h.height, 2 * side) << "colour plane and mask";
    EXPECT_EQ(h.bitCount, bits);
    EXPECT_EQ(image.size(), 40 + Stride(side, bits) * side + Stride(side, 1) * side);
  }
  EXPECT_EQ(in.Pos(), in.Size());
}

}  // namespace
