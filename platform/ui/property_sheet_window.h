// The property sheet: the window that stands for the handheld's screen, with
// a title bar holding OK and a close button, the page area, and the tabs at
// the bottom, as on the handheld. Pages are created the first time they are
// shown, live (also hidden behind other pages) until the sheet closes, and
// are destroyed before RunPropertySheet returns.
#pragma once

#include <string>

#include "platform/ui/ui_types.h"

// Messages the sheet's window understands: WM_COMMAND with IDOK (the OK
// button), WM_CLOSE (closing without OK), and PSM_SETCURSEL with the index of
// the page to show in wParam (a tap on its tab). PSM_GETCURRENTPAGEHWND gives
// the shown page's window.
constexpr UINT PSM_SETCURSEL = WM_USER + 101;
constexpr UINT PSM_GETCURRENTPAGEHWND = WM_USER + 118;

// What the sheet asks of its owner (the framework's CPropertySheet).
class PropertySheetClient {
 public:
  virtual ~PropertySheetClient();
  virtual int PageCount() const = 0;
  virtual std::wstring PageCaption(int index) const = 0;
  // The sheet's window has been created (or, with null, destroyed).
  virtual void SheetWindowChanged(HWND sheet) = 0;
  // Creates the page's window as a child of the sheet; it has had
  // WM_INITDIALOG when this returns. Null when it cannot be created.
  virtual HWND CreatePage(int index, HWND sheet) = 0;
  // The page is about to be shown (true) or left (false). A page that
  // refuses to be left (false) stays in front.
  virtual bool PageActivated(int index, bool active) = 0;
  // OK was pressed: the shown page is left and every page whose window
  // exists takes its data; the windows are destroyed afterwards. False keeps
  // the sheet open (the shown page refused to be left).
  virtual bool ApplyPages() = 0;
};

// Maps to: the sheet's QWidget at the screen's size, run modally in a nested
// event loop until OK (IDOK) or close (IDCANCEL), with `owner` disabled
// meanwhile. The page windows are destroyed (WM_DESTROY) before it returns.
INT_PTR RunPropertySheet(PropertySheetClient& client, HWND owner, LPCWSTR caption, int startPage);

// The sheet now running (the innermost one), or null; lets end-to-end tests
// find the program's sheet and, with PSM_GETCURRENTPAGEHWND, its pages.
HWND RunningPropertySheet();
