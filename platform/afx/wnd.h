// CWnd: the framework's wrapper of a window handle. It sends the window its
// messages, and for the windows it owns (pages, the sheet) it receives their
// messages and dispatches them through its message map.
#pragma once

#include <string>

#include "platform/afx/message_map.h"
#include "platform/core/wnd_handle.h"
#include "platform/ui/ui_types.h"

class CDataExchange;

class CWnd : public CWndHandle {
 public:
  CWnd();
  // Destroys a window the object owns (a page's or sheet's) that still exists.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Wraps a window handle (FALSE when already wrapping one or for null).
  BOOL Attach(HWND window);
  // Lets go of the handle and returns it.
  HWND Detach();
  HWND GetSafeHwnd() const;
  operator HWND() const;

  // Destroys the wrapped window.
  virtual BOOL DestroyWindow();

  // The window functions of the same names on the wrapped handle.
  void SetWindowText(LPCWSTR text);
  int GetWindowText(LPWSTR text, int maxCount) const;
  void GetWindowText(std::wstring& text) const;
  int GetWindowTextLength() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  void SetDlgItemText(int id, LPCWSTR text);
  // The control's whole text; its length.
  int GetDlgItemText(int id, std::wstring& text) const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC func);
  BOOL KillTimer(UINT_PTR id);

  // Runs DoDataExchange: from the controls into the members (TRUE) or
  // toward the controls (FALSE).
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // The wait cursor, shown until EndWaitCursor.
  void BeginWaitCursor();
  void EndWaitCursor();

  // The window procedure of the windows this object owns: the message map,
  // else DefWindowProc.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // The object that owns the window's messages, or null.
  static CWnd* FromHandlePermanent(HWND window);

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual void DoDataExchange(CDataExchange* dx);

  // The window procedure of owned windows: the page or sheet object
  // (registered with SubclassOwned before or at creation) gets the message.
  static LRESULT AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Makes this object the owner of the window's messages.
  void SubclassOwned(HWND window);
  // After the last message of an owned window (WM_NCDESTROY).
  virtual void PostNcDestroy();

  // The default handlers, for classes that map these messages.
  void OnSize(UINT type, int cx, int cy);
  void OnPaint();
  void OnDestroy();
  void OnTimer(UINT_PTR id);

 private:
  void OnNcDestroy();
};
