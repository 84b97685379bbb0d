#include "platform/ui/resource_images.h"

#include <QByteArray>
#include <QPixmap>
#include <span>
#include <vector>

#include "platform/core/byte_reader.h"

namespace {

std::span<const BYTE> ResourceBytes(HINSTANCE instance, LPCWSTR name, LPCWSTR type) {
  HRSRC resource = FindResourceW(instance, name, type);
  const auto* data = static_cast<const BYTE*>(LoadResource(instance, resource));
  if (data == nullptr) return {};
  return {data, SizeofResource(instance, resource)};
}

void AppendWord(QByteArray& out, WORD value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>(value >> 8));
}

void AppendDword(QByteArray& out, DWORD value) {
  AppendWord(out, static_cast<WORD>(value & 0xFFFF));
  AppendWord(out, static_cast<WORD>(value >> 16));
}

constexpr std::size_t kInfoHeaderSize = 40;
constexpr DWORD kBitFields = 3;

}  // namespace

// A bitmap resource is a BMP file without its 14-byte file header: the
// header is put back (it says where the pixels start, after the info header
// and the colour table) and Qt's BMP reader does the rest.
QImage LoadBitmapImage(HINSTANCE instance, LPCWSTR name) {
  std::span<const BYTE> dib = ResourceBytes(instance, name, RT_BITMAP);
  if (dib.size() < kInfoHeaderSize) return {};
  DWORD headerSize = ReadLe32(dib, 0);
  if (headerSize < kInfoHeaderSize || headerSize > dib.size()) return {};
  WORD bitCount = ReadLe16(dib, 14);
  DWORD compression = ReadLe32(dib, 16);
  DWORD colorsUsed = ReadLe32(dib, 32);
  DWORD colors = colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? (1u << bitCount) : 0);
  DWORD masks = (headerSize == kInfoHeaderSize && compression == kBitFields) ? 12 : 0;
  DWORD pixelsAt = 14 + headerSize + masks + colors * 4;
  QByteArray file;
  file.append("BM");
  AppendDword(file, static_cast<DWORD>(14 + dib.size()));
  AppendDword(file, 0);
  AppendDword(file, pixelsAt);
  file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
  QImage image;
  if (!image.loadFromData(file, "BMP")) return {};
  return image.convertToFormat(QImage::Format_RGB32);
}

namespace {

// An icon group lists its images in 14-byte entries ending in the image's
// resource id; the image at entry `entry` becomes a one-image ICO file for
// Qt's reader.
QImage IconGroupImage(HINSTANCE instance, std::span<const BYTE> group, std::size_t entry) {
  WORD imageId = ReadLe16(group, entry + 12);
  std::span<const BYTE> image = ResourceBytes(instance, MAKEINTRESOURCEW(imageId), RT_ICON);
  if (image.empty()) return {};
  QByteArray file;
  AppendWord(file, 0);
  AppendWord(file, 1);
  AppendWord(file, 1);
  file.append(reinterpret_cast<const char*>(group.data() + entry), 8);
  AppendDword(file, static_cast<DWORD>(image.size()));
  AppendDword(file, 6 + 16);
  file.append(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
  QImage decoded;
  if (!decoded.loadFromData(file, "ICO")) return {};
  return decoded.convertToFormat(QImage::Format_ARGB32);
}

// The offsets of a group's entries; none for a broken group.
std::vector<std::size_t> IconGroupEntries(std::span<const BYTE> group) {
  if (group.size() < 6) return {};
  WORD count = ReadLe16(group, 4);
  if (group.size() < 6 + static_cast<std::size_t>(count) * 14) return {};
  std::vector<std::size_t> entries;
  for (WORD i = 0; i < count; ++i) entries.push_back(6 + static_cast<std::size_t>(i) * 14);
  return entries;
}

}  // namespace

// The largest image of the group.
QImage LoadIconImage(HINSTANCE instance, LPCWSTR name) {
  std::span<const BYTE> group = ResourceBytes(instance, name, RT_GROUP_ICON);
  int bestArea = -1;
  std::size_t best = 0;
  for (std::size_t entry : IconGroupEntries(group)) {
    int width = group[entry] != 0 ? group[entry] : 256;
    int height = group[entry + 1] != 0 ? group[entry + 1] : 256;
    if (width * height > bestArea) {
      bestArea = width * height;
      best = entry;
    }
  }
  if (bestArea < 0) return {};
  return IconGroupImage(instance, group, best);
}

QIcon ProgramIcon() {
  const ResourceModule* module = ResourceModule::FromHandle(nullptr);
  if (module == nullptr) return {};
  for (const ResourceEntry& resource : module->Entries()) {
    if (resource.type != RT_GROUP_ICON) continue;
    QIcon icon;
    for (std::size_t entry : IconGroupEntries(resource.data)) {
      QImage image = IconGroupImage(nullptr, resource.data, entry);
      if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
  }
  return {};
}
