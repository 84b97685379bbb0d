#include "platform/ui/line_edit_window.h"

#include <QLineEdit>

LineEditWindow::LineEditWindow(UiWindow* parent, int id, DWORD style, std::wstring text)
    : UiWindow(Kind::Edit, parent, id, style, std::move(text)), m_edit(new QLineEdit) {
  m_edit->setFrame((style & WS_BORDER) != 0);
  // What the user types becomes the window text; the box already shows it.
  QObject::connect(m_edit, &QLineEdit::textEdited, [this](const QString& typed) {
    m_typing = true;
    SetText(typed.toStdWString());
    m_typing = false;
  });
  ShowText();
  AdoptWidget(m_edit);
}

LRESULT LineEditWindow::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == EM_SETCUEBANNER) {
    // wParam (show the hint while focused too) is Qt's way already.
    m_edit->setPlaceholderText(lParam != 0 ? QString::fromWCharArray(reinterpret_cast<LPCWSTR>(lParam)) : QString());
    return TRUE;
  }
  return UiWindow::DefProc(message, wParam, lParam);
}

// A text set by the program replaces the box's, the caret at its end.
void LineEditWindow::ShowText() {
  if (!m_typing) m_edit->setText(QString::fromStdWString(Text()));
}
