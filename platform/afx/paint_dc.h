// CPaintDC: the painting context of a WM_PAINT handler, from BeginPaint to
// EndPaint.
#pragma once

#include "platform/afx/wnd.h"
#include "platform/ui/gdi.h"

class CPaintDC {
 public:
  explicit CPaintDC(CWnd* window);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  HDC GetSafeHdc() const;
  operator HDC() const;

  HDC m_hDC;
  PAINTSTRUCT m_ps;

 private:
  HWND m_hWnd;
};
