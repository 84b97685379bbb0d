// Windows and controls of the user interface: creation and destruction, the
// dialog items of a page, texts and enabled state, dialog units, deferred
// positioning, the screen's metrics and window timers. Messages themselves
// (SendMessageW, PostMessageW, IsWindow) are the core layer's.
#pragma once

#include "platform/core/window_core.h"
#include "platform/ui/ui_types.h"

// Maps to: a window object without a widget, never shown, for class
// "static" (the program's hidden owner window); it keeps its text and
// enabled state. Null for any other class and for child windows.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);

// Maps to: WM_DESTROY to the window and then to its children, removal from
// the window table, deletion of the widgets; FALSE for an invalid handle.
BOOL DestroyWindow(HWND window);

// Maps to: the first child (in creation order) with that control id.
HWND GetDlgItem(HWND dialog, int id);

// Maps to: WM_SETTEXT to the dialog item.
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);

// Maps to: SendMessageW to the dialog item; 0 when there is none.
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

// Maps to: the window's own enabled flag (QWidget::setEnabled follows it).
BOOL IsWindowEnabled(HWND window);
// Maps to: setting that flag; returns TRUE when the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);

// Maps to: WS_VISIBLE and QWidget::setVisible, for SW_HIDE and SW_SHOW; a
// hidden control is neither drawn, nor reached with Tab, nor shown to
// screen readers. Returns TRUE when the window was visible before.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
BOOL ShowWindow(HWND window, int command);

// Maps to: WM_GETTEXT; copies at most maxCount - 1 characters, returns the count.
int GetWindowTextW(HWND window, LPWSTR text, int maxCount);
// Maps to: WM_GETTEXTLENGTH.
int GetWindowTextLengthW(HWND window);
// Maps to: WM_SETTEXT.
BOOL SetWindowTextW(HWND window, LPCWSTR text);

// Maps to: dialog units to pixels with the dialog font's base units
// (x * average letter width / 4, y * font height / 8, rounded as MulDiv).
// FALSE when the window is not a dialog.
BOOL MapDialogRect(HWND dialog, LPRECT rect);

// Maps to: the window's rectangle on the handheld's screen, in its pixels
// whatever the window's zoom (a page's is in the sheet's page area, the
// sheet's is the whole screen); FALSE for an invalid window.
BOOL GetWindowRect(HWND window, LPRECT rect);
// Maps to: the window's client area from (0, 0), in handheld pixels (the
// sheet's is its page area); FALSE for an invalid window.
BOOL GetClientRect(HWND window, LPRECT rect);

// Maps to: a batch of moves collected and applied together (QWidget::setGeometry).
HDWP BeginDeferWindowPos(int numWindows);
// Maps to: adding one move to the batch and giving the batch back; null for
// an invalid batch or window, and the batch stays as it was.
HDWP DeferWindowPos(HDWP batch, HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Maps to: applying the batch's moves; FALSE for an invalid batch.
BOOL EndDeferWindowPos(HDWP batch);

// Maps to: the simulated handheld screen (the sheet's window): its width
// (SM_CXSCREEN) and height (SM_CYSCREEN) in pixels; 0 for other indexes.
int GetSystemMetrics(int index);

// Maps to: a timer on the layer's clock that sends WM_TIMER to the window on
// the user-interface thread every `elapse` ms; setting an existing id again
// restarts its delay. Returns the id, 0 for an invalid window.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC func);
// Maps to: removing the timer; FALSE when there was none.
BOOL KillTimer(HWND window, UINT_PTR id);

// Maps to: the window's own handling of the messages its procedure passes
// on (texts, the controls' messages); 0 for the rest.
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Maps to: a dialog window (a QWidget with a backing image) and its controls
// built from the dialog template resource, with the dialog font of the
// current screen; `proc` receives the window's messages, first WM_INITDIALOG
// (lParam = param) once the controls exist, and passes on what it does not
// handle to DefWindowProcW. The window is a child of `parent` and hidden
// until shown. Null when the template is missing or malformed.
HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, WNDPROC proc, LPARAM param);

// Maps to: the system's wait cursor for IDC_WAIT (no instance), else null.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
// Maps to: QGuiApplication's override cursor; null removes it. Returns the
// previous cursor.
HCURSOR SetCursor(HCURSOR cursor);
