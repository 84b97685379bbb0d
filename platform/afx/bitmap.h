// CBitmap: a bitmap handle owned by an object; the destructor deletes it.
#pragma once

#include "platform/ui/gdi.h"

class CBitmap {
 public:
  CBitmap();
  ~CBitmap();
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;

  // LoadBitmapW from the program's resources; FALSE when already holding one
  // or when the resource is missing.
  BOOL LoadBitmap(UINT id);
  // CreateCompatibleBitmap.
  BOOL CreateCompatibleBitmap(HDC dc, int width, int height);
  // Deletes the bitmap (FALSE, and the handle kept, while it is selected).
  BOOL DeleteObject();

  HBITMAP GetSafeHandle() const;
  operator HBITMAP() const;

  HBITMAP m_hObject;
};
