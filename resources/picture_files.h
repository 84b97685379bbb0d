// Bitmap and icon resources taken from .bmp and .ico files.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "platform/core/win_types.h"

// The bitmap resource of a .bmp file: the DIB (BITMAPINFOHEADER, colour
// table, pixels) that follows the 14-byte file header. Empty when the file is
// not a BMP whose pixels lie within it right after the headers.
std::span<const BYTE> DibOfBmpFile(std::span<const BYTE> file);

// An icon file in resource form: the group directory (GRPICONDIR with
// 14-byte entries naming the images by id) and the images themselves.
struct IconResources {
  std::vector<BYTE> group;
  std::vector<std::span<const BYTE>> images;  // ids firstImageId, firstImageId + 1, ...
};

// Nothing when the file is not an icon file whose images lie within it.
std::optional<IconResources> IconResourcesOfIcoFile(std::span<const BYTE> file, WORD firstImageId);
