// Pictures from the program's resources: device-independent bitmaps and
// icon groups, decoded by Qt's image readers.
#pragma once

#include <QIcon>
#include <QImage>

#include "platform/ui/ui_types.h"

// The bitmap resource as an RGB32 image; null image when missing or broken.
QImage LoadBitmapImage(HINSTANCE instance, LPCWSTR name);
// The largest image of the icon group resource (ARGB32); null image when
// missing or broken.
QImage LoadIconImage(HINSTANCE instance, LPCWSTR name);
// The program's icon: every image of the program module's first icon group,
// which the handheld's shell shows for the executable; null when there is
// none.
QIcon ProgramIcon();
