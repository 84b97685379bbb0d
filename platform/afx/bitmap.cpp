#include "platform/afx/bitmap.h"

#include "platform/afx/win_app.h"

CBitmap::CBitmap() : m_hObject(nullptr) {}

CBitmap::~CBitmap() { DeleteObject(); }

BOOL CBitmap::LoadBitmap(UINT id) {
  if (m_hObject != nullptr) return FALSE;
  m_hObject = ::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
  return m_hObject != nullptr ? TRUE : FALSE;
}

BOOL CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (m_hObject != nullptr) return FALSE;
  m_hObject = ::CreateCompatibleBitmap(dc, width, height);
  return m_hObject != nullptr ? TRUE : FALSE;
}

BOOL CBitmap::DeleteObject() {
  if (m_hObject == nullptr) return FALSE;
  if (!::DeleteObject(m_hObject)) return FALSE;
  m_hObject = nullptr;
  return TRUE;
}

HBITMAP CBitmap::GetSafeHandle() const { return m_hObject; }

CBitmap::operator HBITMAP() const { return m_hObject; }
