// The picture files of resources/, compiled in byte for byte.
#pragma once

#include <span>

extern const std::span<const unsigned char> kLogoBmpFile;
extern const std::span<const unsigned char> kSkyPortraitBmpFile;
extern const std::span<const unsigned char> kSkyLandscapeBmpFile;
extern const std::span<const unsigned char> kSkySquareBmpFile;
extern const std::span<const unsigned char> kZelmoraIcoFile;
