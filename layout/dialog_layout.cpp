#include "layout/dialog_layout.h"

#include <cstring>

namespace {

constexpr WORD kOrdinalMark = 0xFFFF;
constexpr WORD kUnnamedId = 0xFFFF;
constexpr WORD kButtonClass = 0x80;
constexpr WORD kStaticClass = 0x82;
constexpr WORD kListBoxClass = 0x83;
constexpr WORD kComboBoxClass = 0x85;
constexpr DWORD kIconStyle = 0x3;
constexpr DWORD kBitmapStyle = 0xE;

WORD WordAt(const BYTE* at) { return static_cast<WORD>(at[0] | (at[1] << 8)); }

// A walk over the template bytes that reports running past their end.
class TemplateWalk {
 public:
  TemplateWalk(const BYTE* start, DWORD size) : m_start(start), m_at(start), m_end(start + size) {}

  const BYTE* At() const { return m_at; }
  bool Skip(std::size_t count) {
    if (count > static_cast<std::size_t>(m_end - m_at)) return false;
    m_at += count;
    return true;
  }
  bool Word(WORD& value) {
    if (m_end - m_at < 2) return false;
    value = WordAt(m_at);
    m_at += 2;
    return true;
  }
  bool Dword(DWORD& value) {
    WORD low = 0;
    WORD high = 0;
    if (!Word(low) || !Word(high)) return false;
    value = MAKELONG(low, high);
    return true;
  }
  // A name-or-ordinal field: 0xFFFF and an ordinal, or a string to its zero.
  bool SkipNameOrOrdinal() {
    WORD first = 0;
    if (!Word(first)) return false;
    if (first == kOrdinalMark) return Skip(2);
    while (first != 0) {
      if (!Word(first)) return false;
    }
    return true;
  }
  bool AlignDword() { return Skip((4 - static_cast<std::size_t>(m_at - m_start) % 4) % 4); }

 private:
  const BYTE* m_start;
  const BYTE* m_at;
  const BYTE* m_end;
};

std::wstring StringField(const BYTE* field) {
  std::wstring text;
  for (WORD c = WordAt(field); c != 0; field += 2, c = WordAt(field)) text += static_cast<wchar_t>(c);
  return text;
}

}  // namespace

UINT ChooseLayoutTemplate(UINT landscape, UINT square, UINT portrait) {
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  if (height < width) return landscape;
  if (height > width) return portrait;
  return square;
}

bool ApplyDialogLayout(HINSTANCE instance, HWND page, UINT templateId) {
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
  if (resource == nullptr) return false;
  const auto* bytes = static_cast<const BYTE*>(LoadResource(instance, resource));
  if (bytes == nullptr) return false;
  TemplateWalk walk(bytes, SizeofResource(instance, resource));
  DWORD style = 0;
  WORD count = 0;
  if (!walk.Dword(style) || !walk.Skip(4) || !walk.Word(count)) return false;
  HDWP batch = BeginDeferWindowPos(count);
  if (batch == nullptr) return false;

  bool result = true;
  int unnamed = 0;
  // Header rest (x, y, cx, cy), menu, class and title, then the font.
  bool readable = walk.Skip(8) && walk.SkipNameOrOrdinal() && walk.SkipNameOrOrdinal() && walk.SkipNameOrOrdinal();
  if (readable && (style & DS_SETFONT) != 0) readable = walk.Skip(2) && walk.SkipNameOrOrdinal();
  for (WORD i = 0; readable && i < count; ++i) {
    DLGITEMTEMPLATE item{};
    if (!walk.AlignDword() || !walk.Skip(sizeof item)) {
      readable = false;
      break;
    }
    std::memcpy(&item, walk.At() - sizeof item, sizeof item);
    HWND control = GetDlgItem(page, item.id);
    RECT rect{item.x, item.y, item.x + item.cx, item.y + item.cy};
    if (control == nullptr || !MapDialogRect(page, &rect)) {
      // A control the page lacks: no move for it, and the batch stays usable.
      result = false;
    } else {
      HDWP next = DeferWindowPos(batch, control, nullptr, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top, SWP_NOZORDER);
      if (next == nullptr) {
        result = false;
      } else {
        batch = next;
      }
    }
    const BYTE* classField = walk.At();
    if (!walk.SkipNameOrOrdinal()) {
      readable = false;
      break;
    }
    const BYTE* titleField = walk.At();
    WORD extra = 0;
    if (!walk.SkipNameOrOrdinal()) {
      readable = false;
      break;
    }
    RefreshLayoutItem(instance, page, item, classField, titleField);
    if (!walk.Word(extra) || (extra > 2 && !walk.Skip(extra - 2u))) readable = false;
    if (item.id == kUnnamedId) ++unnamed;
  }
  if (!readable) result = false;
  if (!EndDeferWindowPos(batch)) result = false;
  // Every unnamed item went onto the one control GetDlgItem finds.
  if (unnamed >= 2) result = false;
  return result;
}

void RefreshLayoutItem(HINSTANCE instance, HWND page, const DLGITEMTEMPLATE& item, const BYTE* classField,
                       const BYTE* titleField) {
  if (WordAt(classField) != kOrdinalMark) return;
  int id = item.id;
  switch (WordAt(classField + 2)) {
    case kButtonClass:
    case kStaticClass: {
      if (WordAt(titleField) != kOrdinalMark) {
        SetDlgItemTextW(page, id, StringField(titleField).c_str());
        return;
      }
      LPCWSTR image = MAKEINTRESOURCEW(WordAt(titleField + 2));
      if ((item.style & kIconStyle) == kIconStyle) {
        auto old = reinterpret_cast<HICON>(SendDlgItemMessageW(page, id, STM_GETIMAGE, IMAGE_ICON, 0));
        HICON icon = LoadIconW(instance, image);
        if (icon == nullptr) return;
        SendDlgItemMessageW(page, id, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        DestroyIcon(old);
      } else if ((item.style & kBitmapStyle) == kBitmapStyle) {
        auto old = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(page, id, STM_GETIMAGE, IMAGE_BITMAP, 0));
        HBITMAP bitmap = LoadBitmapW(instance, image);
        if (bitmap == nullptr) return;
        SendDlgItemMessageW(page, id, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
        DeleteObject(old);
      }
      return;
    }
    case kListBoxClass: {
      LRESULT selection = SendDlgItemMessageW(page, id, LB_GETCURSEL, 0, 0);
      if (selection != LB_ERR) SendDlgItemMessageW(page, id, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
      return;
    }
    case kComboBoxClass: {
      LRESULT selection = SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0);
      if (selection != CB_ERR) SendDlgItemMessageW(page, id, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
      return;
    }
    default:
      return;
  }
}
