// The pages' dialog templates: one table per page naming every control once,
// with its rectangle in each of the three screen shapes, and the builder of
// the classic binary template of one page in one shape.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "platform/core/win_types.h"

// Every page template: WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SETFONT.
constexpr DWORD kPageStyle = 0x90C00040;
constexpr DWORD kPageExStyle = 0x80040000;
constexpr WORD kPageFontPoints = 9;
inline constexpr wchar_t kPageFontFace[] = L"System";

// Window classes of dialog items, given as ordinals in the templates.
enum class DialogClass : WORD {
  Button = 0x80,
  Edit = 0x81,
  Static = 0x82,
  ListBox = 0x83,
  ScrollBar = 0x84,
  ComboBox = 0x85,
};

// WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST
constexpr DWORD kComboBoxStyle = 0x50210003;
// WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFTNOWORDWRAP
constexpr DWORD kLabelStyle = 0x5002000C;
// WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON
constexpr DWORD kButtonStyle = 0x50010000;
// The same, created WS_DISABLED.
constexpr DWORD kDisabledButtonStyle = 0x58010000;
// WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
// ES_WANTRETURN | ES_READONLY | ES_AUTOHSCROLL | ES_MULTILINE
constexpr DWORD kRawTextStyle = 0x50B11884;
// WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL: a
// single-line box that takes typed text.
constexpr DWORD kLineEditStyle = 0x50810080;

// The three layouts of a page, indexing its template ids, sizes and rects.
enum DialogLayout : std::size_t { kLandscapeLayout = 0, kSquareLayout = 1, kPortraitLayout = 2 };
constexpr std::size_t kDialogLayoutCount = 3;

// x, y, width, height in dialog units.
struct DialogRect {
  short x;
  short y;
  short cx;
  short cy;
};

struct DialogControl {
  WORD id;
  DialogClass windowClass;
  DWORD style;
  const wchar_t* text;
  std::array<DialogRect, kDialogLayoutCount> rects;
};

struct DialogPage {
  const wchar_t* caption;
  std::array<WORD, kDialogLayoutCount> templateIds;
  std::array<DialogRect, kDialogLayoutCount> frames;  // position and size of the page
  std::span<const DialogControl> controls;            // in template order
};

// The Setup, GPS Info and About pages, in that order.
std::span<const DialogPage> DialogPages();
// The TTFF page, which the sheet shows between GPS Info and About.
const DialogPage& TtffDialogPage();

// The Accuracy page, which the sheet shows after the TTFF page.
const DialogPage& AccuracyDialogPage();
// A static the page draws over and screen readers do not see:
// WS_CHILD | SS_LEFTNOWORDWRAP, not visible.
constexpr DWORD kAreaStyle = 0x4000000C;

// The classic dialog template (DLGTEMPLATE and DWORD-aligned DLGITEMTEMPLATEs)
// of `page` in `layout`.
std::vector<BYTE> BuildDialogTemplate(const DialogPage& page, DialogLayout layout);
