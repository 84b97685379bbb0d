#include "resources/picture_files.h"

#include "platform/core/byte_reader.h"
#include "resources/resource_writer.h"

namespace {

constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kIconDirSize = 6;
constexpr std::size_t kIconDirEntrySize = 16;
constexpr WORD kIconType = 1;

}  // namespace

std::span<const BYTE> DibOfBmpFile(std::span<const BYTE> file) {
  if (file.size() < kBmpFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') return {};
  const DWORD pixelsAt = ReadLe32(file, 10);
  if (ReadLe32(file, kBmpFileHeaderSize) < kInfoHeaderSize || pixelsAt > file.size()) return {};
  return file.subspan(kBmpFileHeaderSize);
}

// ICONDIR {reserved, type 1, count} and count ICONDIRENTRYs {width, height,
// colour count, reserved, planes, bits per pixel, size, offset}. The group
// directory keeps the first six fields and puts the image's id in place of
// its offset.
std::optional<IconResources> IconResourcesOfIcoFile(std::span<const BYTE> file, WORD firstImageId) {
  if (file.size() < kIconDirSize || ReadLe16(file, 0) != 0 || ReadLe16(file, 2) != kIconType) return std::nullopt;
  const WORD count = ReadLe16(file, 4);
  if (count == 0 || file.size() < kIconDirSize + count * kIconDirEntrySize) return std::nullopt;
  IconResources icon;
  ResourceWriter group;
  group.Word(0);
  group.Word(kIconType);
  group.Word(count);
  for (WORD i = 0; i < count; ++i) {
    const std::span<const BYTE> entry = file.subspan(kIconDirSize + i * kIconDirEntrySize, kIconDirEntrySize);
    const DWORD size = ReadLe32(entry, 8);
    const DWORD offset = ReadLe32(entry, 12);
    if (offset > file.size() || size > file.size() - offset) return std::nullopt;
    group.Bytes(entry.data(), 12);
    group.Word(static_cast<WORD>(firstImageId + i));
    icon.images.push_back(file.subspan(offset, size));
  }
  icon.group = group.Take();
  return icon;
}
