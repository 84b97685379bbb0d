#include "platform/afx/data_exchange.h"

#include "platform/afx/wnd.h"
#include "platform/ui/window_api.h"

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

HWND CDataExchange::PrepareCtrl(int id) const { return ::GetDlgItem(m_pDlgWnd->m_hWnd, id); }

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  HWND item = dx->PrepareCtrl(id);
  if (item == nullptr || control.m_hWnd == item) return;
  control.Detach();
  control.Attach(item);
}

void DDX_CBStringExact(CDataExchange* dx, int id, std::wstring& value) {
  HWND combo = dx->PrepareCtrl(id);
  if (combo == nullptr) return;
  if (dx->m_bSaveAndValidate) {
    value.clear();
    LRESULT selection = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR) return;
    LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
    if (length == CB_ERR) return;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selection), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    value = std::move(text);
    return;
  }
  LRESULT found =
      ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.c_str()));
  if (found != CB_ERR) ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

void DDX_Text(CDataExchange* dx, int id, std::wstring& value) {
  HWND item = dx->PrepareCtrl(id);
  if (item == nullptr) return;
  int length = ::GetWindowTextLengthW(item);
  std::wstring current(static_cast<std::size_t>(length) + 1, L'\0');
  current.resize(static_cast<std::size_t>(::GetWindowTextW(item, current.data(), length + 1)));
  if (dx->m_bSaveAndValidate) {
    value = std::move(current);
  } else if (current != value) {
    // Only a changed text is set, so an unchanged control is not repainted.
    ::SetWindowTextW(item, value.c_str());
  }
}
