// Types and constants of the handheld's user interface API: window and
// drawing handles, the messages the pages send to their controls, styles,
// message-box flags and the drawing constants.
#pragma once

#include <cstdint>

#include "platform/core/resources.h"
#include "platform/core/win_types.h"

struct HDC__;
using HDC = HDC__*;
// Drawing objects share one handle type, as on the handheld; the typed
// handles convert to it implicitly.
using HGDIOBJ = void*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HPEN__;
using HPEN = HPEN__*;
struct HFONT__;
using HFONT = HFONT__*;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HMENU__;
using HMENU = HMENU__*;
struct HDWP__;
using HDWP = HDWP__*;

using INT_PTR = std::intptr_t;
using LPINT = int*;
using LPSIZE = SIZE*;
using LPPOINT = POINT*;
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

// One item of a dialog template as it lies in the template (18 bytes).
#pragma pack(push, 2)
struct DLGITEMTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  short x;
  short y;
  short cx;
  short cy;
  WORD id;
};
#pragma pack(pop)

// Messages beyond the base set.
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_NCDESTROY = 0x0082;

// Window styles.
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_DISABLED = 0x08000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_VSCROLL = 0x00200000u;
constexpr DWORD WS_HSCROLL = 0x00100000u;
constexpr DWORD WS_GROUP = 0x00020000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD DS_SETFONT = 0x00000040u;

// Static control styles (the low bits are the kind).
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_LEFTNOWORDWRAP = 0x000C;
constexpr DWORD SS_BITMAP = 0x000E;
constexpr DWORD SS_TYPEMASK = 0x001F;

// Combo box and edit styles.
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;

// Buttons: the click notification, sent to the parent in WM_COMMAND.
constexpr WORD BN_CLICKED = 0;
// Combo boxes: the user chose another entry, sent to the parent in WM_COMMAND.
constexpr WORD CBN_SELCHANGE = 1;

// Edit messages.
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_LINESCROLL = 0x00B6;
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_LINEINDEX = 0x00BB;
// The grey hint an empty single-line box shows: lParam the text.
constexpr UINT EM_SETCUEBANNER = 0x1501;

// Combo box messages and results.
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_SELECTSTRING = 0x014D;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr LRESULT CB_ERR = -1;

// List box selection (walked by the layout code, never sent to our
// controls: the program's templates hold no list box).
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr LRESULT LB_ERR = -1;

// Static control images.
constexpr UINT STM_SETIMAGE = 0x0172;
constexpr UINT STM_GETIMAGE = 0x0173;
constexpr WPARAM IMAGE_BITMAP = 0;
constexpr WPARAM IMAGE_ICON = 1;

// The record in a dialog-initialisation resource that adds a string to a
// combo box (the 16-bit era's CB_ADDSTRING).
constexpr WORD DLGINIT_CB_ADDSTRING = 0x0403;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0;

// Deferred window positioning.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;

// Screen metrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

// Message boxes: buttons, icons and results.
constexpr UINT MB_OK = 0x00000000u;
constexpr UINT MB_OKCANCEL = 0x00000001u;
constexpr UINT MB_YESNO = 0x00000004u;
constexpr UINT MB_TYPEMASK = 0x0000000Fu;
constexpr UINT MB_ICONHAND = 0x00000010u;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020u;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030u;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040u;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x000000F0u;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Cursors.
#define IDC_WAIT MAKEINTRESOURCEW(32514)

// Drawing: background modes, pen styles, stock objects, raster operations,
// text formats.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int PS_SOLID = 0;
constexpr int WHITE_BRUSH = 0;
constexpr int NULL_BRUSH = 5;
constexpr int BLACK_PEN = 7;
constexpr DWORD SRCCOPY = 0x00CC0020u;
constexpr DWORD WHITENESS = 0x00FF0062u;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_NOCLIP = 0x0100;

// Buttons: a click as the user makes it.
constexpr UINT BM_CLICK = 0x00F5;
