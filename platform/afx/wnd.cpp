#include "platform/afx/wnd.h"

#include <unordered_map>

#include "platform/afx/data_exchange.h"
#include "platform/afx/paint_dc.h"
#include "platform/ui/window_api.h"

namespace {

// The objects that own their windows' messages (pages and sheets), by handle.
std::unordered_map<HWND, CWnd*>& PermanentMap() {
  static std::unordered_map<HWND, CWnd*> map;
  return map;
}

int& WaitCursorCount() {
  static int count = 0;
  return count;
}

// A window's whole text, whatever its length.
std::wstring WholeText(HWND window) {
  int length = ::GetWindowTextLengthW(window);
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  int copied = ::GetWindowTextW(window, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(copied));
  return buffer;
}

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
  auto& map = PermanentMap();
  auto it = map.find(m_hWnd);
  if (it != map.end() && it->second == this) {
    // A window this object owns does not outlive it; its last messages go
    // to the window's own handling, never to the object being destroyed.
    map.erase(it);
    ::DestroyWindow(m_hWnd);
  }
}

BOOL CWnd::Attach(HWND window) {
  if (window == nullptr || m_hWnd != nullptr) return FALSE;
  m_hWnd = window;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND window = m_hWnd;
  auto& map = PermanentMap();
  auto it = map.find(window);
  if (it != map.end() && it->second == this) map.erase(it);
  m_hWnd = nullptr;
  return window;
}

HWND CWnd::GetSafeHwnd() const { return m_hWnd; }

CWnd::operator HWND() const { return m_hWnd; }

BOOL CWnd::DestroyWindow() { return ::DestroyWindow(m_hWnd); }

void CWnd::SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }

int CWnd::GetWindowText(LPWSTR text, int maxCount) const { return ::GetWindowTextW(m_hWnd, text, maxCount); }

void CWnd::GetWindowText(std::wstring& text) const { text = WholeText(m_hWnd); }

int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }

BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }

void CWnd::SetDlgItemText(int id, LPCWSTR text) { ::SetDlgItemTextW(m_hWnd, id, text); }

int CWnd::GetDlgItemText(int id, std::wstring& text) const {
  text = WholeText(::GetDlgItem(m_hWnd, id));
  return static_cast<int>(text.size());
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC func) { return ::SetTimer(m_hWnd, id, elapse, func); }

BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CWnd::BeginWaitCursor() {
  if (WaitCursorCount()++ == 0) ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

void CWnd::EndWaitCursor() {
  if (WaitCursorCount() > 0 && --WaitCursorCount() == 0) ::SetCursor(nullptr);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr; map = map->base) {
    for (const AFX_MSGMAP_ENTRY& entry : map->entries) {
      if (entry.message != message) continue;
      if (message == WM_COMMAND && (entry.id != LOWORD(wParam) || entry.code != HIWORD(wParam))) continue;
      return entry.handler(this, wParam, lParam);
    }
  }
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP map{nullptr,
                              {
                                  {WM_NCDESTROY, 0, 0,
                                   [](CWnd* w, WPARAM, LPARAM) -> LRESULT {
                                     w->OnNcDestroy();
                                     return 0;
                                   }},
                              }};
  return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd* CWnd::FromHandlePermanent(HWND window) {
  auto& map = PermanentMap();
  auto it = map.find(window);
  return it == map.end() ? nullptr : it->second;
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* owner = FromHandlePermanent(window);
  if (owner == nullptr && message == WM_INITDIALOG) {
    // The first message of a page's window names its object.
    owner = reinterpret_cast<CWnd*>(lParam);
    if (owner != nullptr) owner->SubclassOwned(window);
  }
  if (owner == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return owner->WindowProc(message, wParam, lParam);
}

void CWnd::SubclassOwned(HWND window) {
  m_hWnd = window;
  PermanentMap()[window] = this;
}

void CWnd::PostNcDestroy() {}

void CWnd::OnSize(UINT type, int cx, int cy) {
  DefWindowProc(WM_SIZE, type, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(cx), static_cast<WORD>(cy))));
}

void CWnd::OnPaint() { CPaintDC dc(this); }

void CWnd::OnDestroy() { DefWindowProc(WM_DESTROY, 0, 0); }

void CWnd::OnTimer(UINT_PTR id) { DefWindowProc(WM_TIMER, id, 0); }

void CWnd::OnNcDestroy() {
  DefWindowProc(WM_NCDESTROY, 0, 0);
  Detach();
  PostNcDestroy();
}
