// Pictures from the program's resources: device-independent bitmaps and
// icon groups, decoded by Qt's image readers.
#pragma once

#include <QImage>

#include "platform/ui/ui_types.h"

// The bitmap resource as an RGB32 image; null image when missing or broken.
QImage LoadBitmapImage(HINSTANCE instance, LPCWSTR name);
// The largest image of the icon group resource (ARGB32); null image when
// missing or broken.
QImage LoadIconImage(HINSTANCE instance, LPCWSTR name);
