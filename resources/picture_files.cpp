#include "resources/picture_files.h"

#include "resources/resource_writer.h"

namespace {

constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kIconDirSize = 6;
constexpr std::size_t kIconDirEntrySize = 16;
constexpr WORD kIconType = 1;

DWORD ReadDword(std::span<const BYTE> bytes, std::size_t offset) {
  return static_cast<DWORD>(bytes[offset]) | (static_cast<DWORD>(bytes[offset + 1]) << 8) |
         (static_cast<DWORD>(bytes[offset + 2]) << 16) | (static_cast<DWORD>(bytes[offset + 3]) << 24);
}

WORD ReadWord(std::span<const BYTE> bytes, std::size_t offset) {
  return static_cast<WORD>(bytes[offset] | (bytes[offset + 1] << 8));
}

}  // namespace

std::span<const BYTE> DibOfBmpFile(std::span<const BYTE> file) {
  if (file.size() < kBmpFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') return {};
  const DWORD pixelsAt = ReadDword(file, 10);
  if (ReadDword(file, kBmpFileHeaderSize) < kInfoHeaderSize || pixelsAt > file.size()) return {};
  return file.subspan(kBmpFileHeaderSize);
}

// ICONDIR {reserved, type 1, count} and count ICONDIRENTRYs {width, height,
// colour count, reserved, planes, bits per pixel, size, offset}. The group
// directory keeps the first six fields and puts the image's id in place of
// its offset.
std::optional<IconResources> IconResourcesOfIcoFile(std::span<const BYTE> file, WORD firstImageId) {
  if (file.size() < kIconDirSize || ReadWord(file, 0) != 0 || ReadWord(file, 2) != kIconType) return std::nullopt;
  const WORD count = ReadWord(file, 4);
  if (count == 0 || file.size() < kIconDirSize + count * kIconDirEntrySize) return std::nullopt;
  IconResources icon;
  ResourceWriter group;
  group.Word(0);
  group.Word(kIconType);
  group.Word(count);
  for (WORD i = 0; i < count; ++i) {
    const std::span<const BYTE> entry = file.subspan(kIconDirSize + i * kIconDirEntrySize, kIconDirEntrySize);
    const DWORD size = ReadDword(entry, 8);
    const DWORD offset = ReadDword(entry, 12);
    if (offset > file.size() || size > file.size() - offset) return std::nullopt;
    group.Bytes(entry.data(), 12);
    group.Word(static_cast<WORD>(firstImageId + i));
    icon.images.push_back(file.subspan(offset, size));
  }
  icon.group = group.Take();
  return icon;
}
