// Drawing: device contexts over QImages, bitmaps, pens, brushes and text,
// with the handheld's integer pixel rules (no anti-aliasing; rectangles and
// ellipses leave out their right and bottom edge; lines leave out their last
// point; stretching is nearest-neighbour). Every handle is validated on use;
// a drawing object cannot be deleted while it is selected into a context.
#pragma once

#include "platform/ui/ui_types.h"

// Maps to: a context drawing into the window's backing image, which the
// widget shows; null for an invalid window.
HDC GetDC(HWND window);
// Maps to: ending that context and showing the backing image; 1 on success.
int ReleaseDC(HWND window, HDC dc);
// Maps to: the context of a WM_PAINT handler, over the backing image.
HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
// Maps to: ending that context.
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// Maps to: a memory context with the stock 1 x 1 bitmap selected.
HDC CreateCompatibleDC(HDC dc);
// Maps to: deleting a memory context; its selected objects become free.
BOOL DeleteDC(HDC dc);
// Maps to: a black QImage of that size (RGB32).
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// Maps to: the bitmap resource (a DIB) decoded into a QImage; null when missing.
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);
// Maps to: the largest image of the icon group resource; null when missing.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
// Maps to: deleting the icon.
BOOL DestroyIcon(HICON icon);

// Maps to: a 1-pixel-wide solid pen for PS_SOLID (wider pens draw with
// QPainter at that width); null for other styles.
HPEN CreatePen(int style, int width, COLORREF color);
// Maps to: a solid brush.
HBRUSH CreateSolidBrush(COLORREF color);
// Maps to: the drawing font's family at |height| pixels (the character
// height; a positive height is taken as the same), without anti-aliasing,
// for DrawTextW and GetTextExtentExPointW once selected; every other field
// is left to the drawing font. Null for a height of 0 or above 1000.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR faceName);
// Maps to: the permanent stock objects (NULL_BRUSH, WHITE_BRUSH, BLACK_PEN).
HGDIOBJ GetStockObject(int object);
// Maps to: making the pen, brush, font or bitmap the context's current one;
// returns the previous object of that kind, null on failure (a bitmap
// selected elsewhere, a bitmap into a window context).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Maps to: deleting a pen, brush, font or bitmap; FALSE while selected into a
// context; stock objects stay.
BOOL DeleteObject(HGDIOBJ object);

// Maps to: the context's background mode for text (TRANSPARENT or OPAQUE
// with a white background); returns the previous mode, 0 on failure.
int SetBkMode(HDC dc, int mode);
// Maps to: the context's text colour; returns the previous one.
COLORREF SetTextColor(HDC dc, COLORREF color);

// Maps to: copying pixels (SRCCOPY) or filling white (WHITENESS, no source).
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int srcX, int srcY, DWORD rop);
// Maps to: a nearest-neighbour copy from the source rectangle onto the
// destination rectangle (SRCCOPY).
BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int srcX, int srcY, int srcCx, int srcCy, DWORD rop);
// Maps to: filling [left, right) x [top, bottom) with the brush's colour.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Maps to: an ellipse inside [left, right) x [top, bottom), outlined with the
// pen and filled with the brush.
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// Maps to: lines through the points with the pen, the last point left out.
BOOL Polyline(HDC dc, const POINT* points, int count);

// Maps to: the text drawn with the selected font (the drawing font until
// one is selected) from the rectangle's top-left
// corner in the text colour (DT_NOCLIP: not clipped to the rectangle);
// returns the text's height, 0 on failure. count -1 means zero-terminated.
int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
// Maps to: the text's extent in the selected font (QFontMetrics): size, and
// optionally how many characters fit in maxExtent and their offsets.
BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT dx, LPSIZE size);
