// Message maps: per class, a table of {message, control id, notification,
// handler} in the order the class declares them, chained to its base
// class's table. The first matching entry, most derived class first,
// handles the message; an unmatched message goes to DefWindowProc.
//
// A class overrides GetMessageMap and returns a function-local static
// AFX_MSGMAP whose base is its base class's GetThisMessageMap() and whose
// entries come from the builders below, given the class's member handlers
// (for example OnWmSize(&CAboutPpg::OnSize)). GetThisMessageMap of a class
// returns the map of that class itself.
#pragma once

#include <functional>
#include <vector>

#include "platform/ui/ui_types.h"

class CWnd;

struct AFX_MSGMAP_ENTRY {
  UINT message;
  UINT id;    // WM_COMMAND: the control id; 0 otherwise
  WORD code;  // WM_COMMAND: the notification code; 0 otherwise
  std::function<LRESULT(CWnd*, WPARAM, LPARAM)> handler;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* base;
  std::vector<AFX_MSGMAP_ENTRY> entries;
};

// WM_SIZE: handler(type, width, height).
template <class C>
AFX_MSGMAP_ENTRY OnWmSize(void (C::*handler)(UINT, int, int)) {
  return {WM_SIZE, 0, 0, [handler](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {
            (static_cast<C*>(w)->*handler)(static_cast<UINT>(wp), LOWORD(static_cast<std::uintptr_t>(lp)),
                                           HIWORD(static_cast<std::uintptr_t>(lp)));
            return 0;
          }};
}

// WM_PAINT: handler().
template <class C>
AFX_MSGMAP_ENTRY OnWmPaint(void (C::*handler)()) {
  return {WM_PAINT, 0, 0, [handler](CWnd* w, WPARAM, LPARAM) -> LRESULT {
            (static_cast<C*>(w)->*handler)();
            return 0;
          }};
}

// WM_DESTROY: handler().
template <class C>
AFX_MSGMAP_ENTRY OnWmDestroy(void (C::*handler)()) {
  return {WM_DESTROY, 0, 0, [handler](CWnd* w, WPARAM, LPARAM) -> LRESULT {
            (static_cast<C*>(w)->*handler)();
            return 0;
          }};
}

// WM_TIMER: handler(timer id).
template <class C>
AFX_MSGMAP_ENTRY OnWmTimer(void (C::*handler)(UINT_PTR)) {
  return {WM_TIMER, 0, 0, [handler](CWnd* w, WPARAM wp, LPARAM) -> LRESULT {
            (static_cast<C*>(w)->*handler)(static_cast<UINT_PTR>(wp));
            return 0;
          }};
}

// WM_COMMAND with BN_CLICKED from control `id`: handler().
template <class C>
AFX_MSGMAP_ENTRY OnBnClicked(UINT id, void (C::*handler)()) {
  return {WM_COMMAND, id, BN_CLICKED, [handler](CWnd* w, WPARAM, LPARAM) -> LRESULT {
            (static_cast<C*>(w)->*handler)();
            return 0;
          }};
}

// WM_COMMAND with CBN_SELCHANGE from combo box `id`: handler().
template <class C>
AFX_MSGMAP_ENTRY OnCbnSelchange(UINT id, void (C::*handler)()) {
  return {WM_COMMAND, id, CBN_SELCHANGE, [handler](CWnd* w, WPARAM, LPARAM) -> LRESULT {
            (static_cast<C*>(w)->*handler)();
            return 0;
          }};
}

// Any message, for the program's own: handler(wParam, lParam) -> result.
template <class C>
AFX_MSGMAP_ENTRY OnMessage(UINT message, LRESULT (C::*handler)(WPARAM, LPARAM)) {
  return {message, 0, 0,
          [handler](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT { return (static_cast<C*>(w)->*handler)(wp, lp); }};
}
