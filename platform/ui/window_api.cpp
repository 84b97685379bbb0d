#include "platform/ui/window_api.h"

#include <QCursor>
#include <QGuiApplication>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <vector>

#include "platform/ui/accessible_widgets.h"
#include "platform/ui/button_window.h"
#include "platform/ui/combo_box_window.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/gdi.h"
#include "platform/ui/line_edit_window.h"
#include "platform/ui/screen.h"
#include "platform/ui/static_window.h"

namespace {

bool SameClassName(LPCWSTR a, const wchar_t* b) {
  for (; *a != L'\0' && *b != L'\0'; ++a, ++b) {
    if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b))) return false;
  }
  return *a == *b;
}

// The control classes of dialog items, by ordinal or by name.
UiWindow::Kind ControlKind(const NameOrOrdinal& windowClass) {
  if (windowClass.isOrdinal) {
    switch (windowClass.ordinal) {
      case 0x80:
        return UiWindow::Kind::Button;
      case 0x81:
        return UiWindow::Kind::Edit;
      case 0x82:
        return UiWindow::Kind::Static;
      case 0x85:
        return UiWindow::Kind::ComboBox;
      default:
        return UiWindow::Kind::Plain;
    }
  }
  const wchar_t* name = windowClass.name.c_str();
  if (SameClassName(name, L"button")) return UiWindow::Kind::Button;
  if (SameClassName(name, L"edit")) return UiWindow::Kind::Edit;
  if (SameClassName(name, L"static")) return UiWindow::Kind::Static;
  if (SameClassName(name, L"combobox")) return UiWindow::Kind::ComboBox;
  return UiWindow::Kind::Plain;
}

UiWindow* CreateControl(UiWindow::Kind kind, UiWindow* parent, int id, DWORD style, std::wstring text) {
  switch (kind) {
    case UiWindow::Kind::Button:
      return new ButtonWindow(parent, id, style, std::move(text));
    case UiWindow::Kind::Edit:
      // The raw and results boxes are multi-line and read-only; an edit
      // that is neither takes typed text.
      if ((style & (ES_MULTILINE | ES_READONLY)) == 0) return new LineEditWindow(parent, id, style, std::move(text));
      return new EditWindow(parent, id, style, std::move(text));
    case UiWindow::Kind::Static:
      return new StaticWindow(parent, id, style, std::move(text));
    case UiWindow::Kind::ComboBox:
      return new ComboBoxWindow(parent, id, style, std::move(text));
    default:
      return nullptr;
  }
}

// MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c) {
  long long product = static_cast<long long>(a) * b;
  long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

HCURSOR WaitCursorHandle() {
  static int marker;
  return reinterpret_cast<HCURSOR>(&marker);
}

HCURSOR& CurrentCursor() {
  static HCURSOR cursor = nullptr;
  return cursor;
}

// A static with the icon or bitmap style shows the image its ordinal title
// names, loaded from the dialog's module.
void ShowTemplateImage(HINSTANCE instance, UiWindow* control, WORD ordinal) {
  if (control->GetKind() != UiWindow::Kind::Static) return;
  DWORD kind = control->Style() & SS_TYPEMASK;
  if (kind == SS_ICON) {
    if (HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(ordinal))) {
      SendMessageW(control->Handle(), STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    }
  } else if (kind == SS_BITMAP) {
    if (HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(ordinal))) {
      SendMessageW(control->Handle(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    }
  }
}

}  // namespace

HWND CreateWindowExW(DWORD, LPCWSTR className, LPCWSTR windowName, DWORD style, int, int, int, int, HWND parent, HMENU,
                     HINSTANCE, LPVOID) {
  if (className == nullptr || IS_INTRESOURCE(className) || !SameClassName(className, L"static")) return nullptr;
  if ((style & WS_CHILD) != 0) return nullptr;
  UiWindow* parentWindow = UiWindow::FromHandle(parent);
  if (parent != nullptr && parentWindow == nullptr) return nullptr;
  auto* window = new UiWindow(UiWindow::Kind::Plain, parentWindow, 0, style, windowName != nullptr ? windowName : L"");
  return window->Handle();
}

BOOL DestroyWindow(HWND window) {
  UiWindow* object = UiWindow::FromHandle(window);
  if (object == nullptr) return FALSE;
  UiWindow::Destroy(object);
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  UiWindow* object = UiWindow::FromHandle(dialog);
  if (object == nullptr) return nullptr;
  for (UiWindow* child : object->Children()) {
    if (child->Id() == id) return child->Handle();
  }
  return nullptr;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return FALSE;
  return SetWindowTextW(item, text);
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return 0;
  return SendMessageW(item, message, wParam, lParam);
}

BOOL IsWindowEnabled(HWND window) {
  UiWindow* object = UiWindow::FromHandle(window);
  return object != nullptr && object->Enabled() ? TRUE : FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  UiWindow* object = UiWindow::FromHandle(window);
  if (object == nullptr) return FALSE;
  bool wasDisabled = !object->Enabled();
  if (object->Enabled() != (enable != FALSE)) {
    object->SetEnabled(enable != FALSE);
    SendMessageW(window, WM_ENABLE, enable != FALSE ? TRUE : FALSE, 0);
  }
  return wasDisabled ? TRUE : FALSE;
}

BOOL ShowWindow(HWND window, int command) {
  UiWindow* object = UiWindow::FromHandle(window);
  if (object == nullptr) return FALSE;
  const bool wasVisible = (object->Style() & WS_VISIBLE) != 0;
  object->SetVisible(command != SW_HIDE);
  return wasVisible ? TRUE : FALSE;
}

int GetWindowTextW(HWND window, LPWSTR text, int maxCount) {
  if (text == nullptr || maxCount <= 0) return 0;
  text[0] = L'\0';
  return static_cast<int>(
      SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthW(HWND window) { return static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)); }

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
  if (!IsWindow(window)) return FALSE;
  return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) == TRUE ? TRUE : FALSE;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
  auto* object = dynamic_cast<DialogWindow*>(UiWindow::FromHandle(dialog));
  if (object == nullptr || rect == nullptr) return FALSE;
  DialogBaseUnits units = object->BaseUnits();
  rect->left = MulDiv(rect->left, units.cx, 4);
  rect->right = MulDiv(rect->right, units.cx, 4);
  rect->top = MulDiv(rect->top, units.cy, 8);
  rect->bottom = MulDiv(rect->bottom, units.cy, 8);
  return TRUE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  UiWindow* object = UiWindow::FromHandle(window);
  if (object == nullptr || rect == nullptr) return FALSE;
  const POINT origin = object->Parent() != nullptr ? object->Parent()->ClientOrigin() : POINT{0, 0};
  const RECT& own = object->Rect();
  *rect = RECT{origin.x + own.left, origin.y + own.top, origin.x + own.right, origin.y + own.bottom};
  return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  UiWindow* object = UiWindow::FromHandle(window);
  if (object == nullptr || rect == nullptr) return FALSE;
  const SIZE size = object->ClientSize();
  *rect = RECT{0, 0, size.cx, size.cy};
  return TRUE;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  UiWindow* object = UiWindow::FromHandle(window);
  return object != nullptr ? object->DefProc(message, wParam, lParam) : 0;
}

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, WNDPROC proc, LPARAM param) {
  HRSRC resource = FindResourceW(instance, templateName, RT_DIALOG);
  const auto* data = static_cast<const BYTE*>(LoadResource(instance, resource));
  if (data == nullptr) return nullptr;
  std::optional<DialogTemplate> dialog = DialogTemplate::Parse({data, SizeofResource(instance, resource)});
  UiWindow* parentWindow = UiWindow::FromHandle(parent);
  if (!dialog || (parent != nullptr && parentWindow == nullptr)) return nullptr;

  auto* window = new DialogWindow(parentWindow, dialog->style, dialog->title, ScreenScale());
  HWND handle = window->Handle();
  RECT size{0, 0, dialog->cx, dialog->cy};
  MapDialogRect(handle, &size);
  window->Move(0, 0, size.right, size.bottom);
  std::vector<TemplateControl> controls;
  for (const DialogItemTemplate& item : dialog->items) {
    std::wstring title = item.title.isOrdinal ? std::wstring() : item.title.name;
    UiWindow* control = CreateControl(ControlKind(item.windowClass), window, item.id, item.style, std::move(title));
    if (control == nullptr) {
      // The handheld refuses a dialog with a control it cannot make.
      UiWindow::Destroy(window);
      return nullptr;
    }
    RECT rect{item.x, item.y, item.x + item.cx, item.y + item.cy};
    MapDialogRect(handle, &rect);
    control->Move(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (item.title.isOrdinal) ShowTemplateImage(instance, control, item.title.ordinal);
    controls.push_back({control, {item.x, item.y, item.x + item.cx, item.y + item.cy}});
  }
  LabelByCaptions(controls);
  window->SetProc(proc);
  SendMessageW(handle, WM_INITDIALOG, 0, param);
  return IsWindow(handle) ? handle : nullptr;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (instance != nullptr || name != IDC_WAIT) return nullptr;
  return WaitCursorHandle();
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = CurrentCursor();
  if (cursor == previous) return previous;
  if (previous == WaitCursorHandle() && QGuiApplication::instance() != nullptr) {
    QGuiApplication::restoreOverrideCursor();
  }
  if (cursor == WaitCursorHandle() && QGuiApplication::instance() != nullptr) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  CurrentCursor() = cursor;
  return previous;
}
