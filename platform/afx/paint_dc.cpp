#include "platform/afx/paint_dc.h"

CPaintDC::CPaintDC(CWnd* window) : m_hDC(nullptr), m_ps{}, m_hWnd(window->m_hWnd) {
  m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
  if (m_hDC != nullptr) ::EndPaint(m_hWnd, &m_ps);
}

HDC CPaintDC::GetSafeHdc() const { return m_hDC; }

CPaintDC::operator HDC() const { return m_hDC; }
