#include "platform/ui/button_window.h"

#include <QPushButton>

ButtonWindow::ButtonWindow(UiWindow* parent, int id, DWORD style, std::wstring text)
    : UiWindow(Kind::Button, parent, id, style, std::move(text)), m_button(new QPushButton) {
  m_button->setAutoDefault(false);
  m_button->setFocusPolicy(Qt::TabFocus);
  QObject::connect(m_button, &QPushButton::clicked, [this] { Clicked(); });
  ShowText();
  AdoptWidget(m_button);
}

LRESULT ButtonWindow::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BM_CLICK) {
    m_button->click();
    return 0;
  }
  return UiWindow::DefProc(message, wParam, lParam);
}

void ButtonWindow::ShowText() { m_button->setText(QString::fromStdWString(Text())); }

void ButtonWindow::Clicked() {
  if (Parent() == nullptr) return;
  HWND self = Handle();
  SendMessageW(Parent()->Handle(), WM_COMMAND, MAKELONG(static_cast<WORD>(Id()), BN_CLICKED),
               reinterpret_cast<LPARAM>(self));
}
