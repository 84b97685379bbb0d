// The part of a window wrapper that code below the user interface sees: the
// handle it posts messages to. The framework's CWnd derives from it, so the
// reader thread can hold its owner page without depending on the UI layer.
#pragma once

#include "platform/core/win_types.h"

struct CWndHandle {
  HWND m_hWnd = nullptr;
};
