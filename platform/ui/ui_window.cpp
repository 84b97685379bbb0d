#include "platform/ui/ui_window.h"

#include <QWidget>
#include <algorithm>
#include <cwchar>

#include "platform/ui/timer_service.h"
#include "platform/ui/window_zoom.h"

UiWindow::UiWindow(Kind kind, UiWindow* parent, int id, DWORD style, std::wstring text)
    : m_kind(kind),
      m_parent(parent),
      m_id(id),
      m_style(style),
      m_text(std::move(text)),
      m_enabled((style & WS_DISABLED) == 0),
      m_handle(CoreRegisterWindow(this)) {
  if (m_parent != nullptr) m_parent->m_children.push_back(this);
}

UiWindow::~UiWindow() {
  CoreUnregisterWindow(m_handle);
  if (m_parent != nullptr) {
    auto& siblings = m_parent->m_children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  if (m_widget != nullptr) {
    // The widget may be inside one of its own signals (a click that closes
    // the sheet): hide it now, delete it when the event loop comes back.
    m_widget->hide();
    QObject::disconnect(m_widget, nullptr, nullptr, nullptr);
    m_widget->deleteLater();
  }
}

UiWindow* UiWindow::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  return dynamic_cast<UiWindow*>(CoreLookupWindow(window));
}

LRESULT UiWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_proc != nullptr) return m_proc(m_handle, message, wParam, lParam);
  return DefProc(message, wParam, lParam);
}

LRESULT UiWindow::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      SetText(lParam != 0 ? reinterpret_cast<LPCWSTR>(lParam) : L"");
      return TRUE;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(m_text.size());
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<LPWSTR>(lParam);
      if (buffer == nullptr || wParam == 0) return 0;
      std::size_t count = std::min<std::size_t>(m_text.size(), wParam - 1);
      std::wmemcpy(buffer, m_text.data(), count);
      buffer[count] = L'\0';
      return static_cast<LRESULT>(count);
    }
    default:
      return 0;
  }
}

QWidget* UiWindow::Widget() const { return m_widget; }

QWidget* UiWindow::ChildContainer() const { return m_widget; }

void UiWindow::Destroy(UiWindow* window) {
  HWND handle = window->m_handle;
  SendMessageW(handle, WM_DESTROY, 0, 0);
  // Children in creation order; each may have gone meanwhile.
  std::vector<HWND> children;
  if (UiWindow* self = FromHandle(handle)) {
    for (UiWindow* child : self->m_children) children.push_back(child->m_handle);
  }
  for (HWND child : children) {
    if (UiWindow* c = FromHandle(child)) Destroy(c);
  }
  if (FromHandle(handle) == nullptr) return;
  KillWindowTimers(handle);
  SendMessageW(handle, WM_NCDESTROY, 0, 0);
  if (UiWindow* self = FromHandle(handle)) delete self;
}

void UiWindow::SetText(std::wstring text) {
  m_text = std::move(text);
  ShowText();
}

void UiWindow::SetEnabled(bool enabled) {
  m_enabled = enabled;
  ShowEnabled();
}

void UiWindow::SetVisible(bool visible) {
  m_style = visible ? (m_style | WS_VISIBLE) : (m_style & ~DWORD{WS_VISIBLE});
  if (m_widget != nullptr && m_parent != nullptr && m_parent->ChildContainer() != nullptr)
    m_widget->setVisible(visible);
}

void UiWindow::Move(int x, int y, int cx, int cy) {
  m_rect = RECT{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
  PlaceWidget();
}

POINT UiWindow::ClientOrigin() const {
  if (m_parent == nullptr) return POINT{0, 0};
  POINT origin = m_parent->ClientOrigin();
  return POINT{origin.x + m_rect.left, origin.y + m_rect.top};
}

SIZE UiWindow::ClientSize() const { return SIZE{m_rect.right - m_rect.left, m_rect.bottom - m_rect.top}; }

double UiWindow::Zoom() const {
  if (m_widget != nullptr) return WindowZoom(m_widget);
  return m_parent != nullptr ? m_parent->Zoom() : 1.0;
}

void UiWindow::SetZoom(double zoom) {
  if (m_widget != nullptr) SetWindowZoom(m_widget->window(), zoom);
  ApplyZoom();
}

void UiWindow::ApplyZoom() {
  PlaceWidget();
  for (UiWindow* child : m_children) child->ApplyZoom();
}

void UiWindow::PlaceWidget() {
  if (m_widget == nullptr) return;
  const POINT origin = m_parent != nullptr ? m_parent->ClientOrigin() : POINT{0, 0};
  const QRect rect(m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top);
  m_widget->setGeometry(ZoomedRect(rect, QPoint(origin.x, origin.y), Zoom()));
}

void UiWindow::ShowText() {}

void UiWindow::ShowEnabled() {
  if (m_widget != nullptr) m_widget->setEnabled(m_enabled);
}

void UiWindow::AdoptWidget(QWidget* widget) {
  m_widget = widget;
  QWidget* container = m_parent != nullptr ? m_parent->ChildContainer() : nullptr;
  if (container != nullptr) m_widget->setParent(container);
  m_widget->setEnabled(m_enabled);
  if (container != nullptr && (m_style & WS_VISIBLE) != 0) m_widget->show();
}
