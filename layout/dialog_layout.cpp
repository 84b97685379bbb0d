#include "layout/dialog_layout.h"

namespace {

constexpr WORD kUnnamedId = 0xFFFF;
constexpr WORD kButtonClass = 0x80;
constexpr WORD kStaticClass = 0x82;
constexpr WORD kListBoxClass = 0x83;
constexpr WORD kComboBoxClass = 0x85;
constexpr DWORD kIconStyle = 0x3;
constexpr DWORD kBitmapStyle = 0xE;

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
  // A template that cannot be read moves nothing: half a layout is worse
  // than the one the page has.
  std::optional<DialogTemplate> dialog = DialogTemplate::Parse({bytes, SizeofResource(instance, resource)});
  if (!dialog) return false;
  HDWP batch = BeginDeferWindowPos(static_cast<int>(dialog->items.size()));
  if (batch == nullptr) return false;

  bool result = true;
  int unnamed = 0;
  for (const DialogItemTemplate& item : dialog->items) {
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
    RefreshLayoutItem(instance, page, item);
    if (item.id == kUnnamedId) ++unnamed;
  }
  if (!EndDeferWindowPos(batch)) result = false;
  // Every unnamed item went onto the one control GetDlgItem finds.
  if (unnamed >= 2) result = false;
  return result;
}

void RefreshLayoutItem(HINSTANCE instance, HWND page, const DialogItemTemplate& item) {
  if (!item.windowClass.isOrdinal) return;
  int id = item.id;
  switch (item.windowClass.ordinal) {
    case kButtonClass:
    case kStaticClass: {
      if (!item.title.isOrdinal) {
        SetDlgItemTextW(page, id, item.title.name.c_str());
        return;
      }
      LPCWSTR image = MAKEINTRESOURCEW(item.title.ordinal);
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
