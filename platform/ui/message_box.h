// Message boxes: modal, in a nested loop that keeps delivering timers and
// posted messages, as the handheld's do. Every box shown is recorded, and a
// test can install an answerer that stands in for the user.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/ui_types.h"

// One box as it was asked for.
struct MessageBoxRecord {
  std::wstring text;
  std::wstring caption;
  UINT icon;     // type & MB_ICONMASK
  UINT buttons;  // type & MB_TYPEMASK
};

// Gives the button the user pressed (IDOK, IDYES, IDNO, IDCANCEL) for a box.
using MessageBoxAnswerer = std::function<int(const MessageBoxRecord&)>;

// Maps to: a QMessageBox run modally (its own nested event loop) with the
// text, caption, icon and buttons; or the installed answerer's result.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// Installs the answerer every later box asks instead of showing itself;
// an empty function restores the real boxes.
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);
// Every box shown since the last clear, in order.
const std::vector<MessageBoxRecord>& MessageBoxesShown();
void ClearMessageBoxesShown();
