// Pictures of windows for people to look at: the window's widget with its
// children, rendered into a PNG file.
#pragma once

#include <string>

#include "platform/ui/ui_types.h"

// Renders the window (a page or the sheet) as it shows now into a PNG file,
// creating the file's folder when needed; false on failure.
bool SaveWindowPicture(HWND window, const std::string& path);
