#include "platform/ui/combo_box_window.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <cmath>
#include <cwchar>

namespace {

int IntOf(WPARAM wParam) { return static_cast<int>(static_cast<std::intptr_t>(wParam)); }

}  // namespace

ComboBoxWindow::ComboBoxWindow(UiWindow* parent, int id, DWORD style, std::wstring text)
    : UiWindow(Kind::ComboBox, parent, id, style, std::move(text)), m_combo(new QComboBox) {
  m_combo->setEditable(false);
  // The user's choice is told to the parent as Windows tells it; a choice
  // the program makes (CB_SETCURSEL) is not.
  QObject::connect(m_combo, qOverload<int>(&QComboBox::activated), [this](int index) {
    SetSelection(index);
    if (Parent() == nullptr) return;
    SendMessageW(Parent()->Handle(), WM_COMMAND, MAKELONG(static_cast<WORD>(Id()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Handle()));
  });
  SetSelection(-1);
  AdoptWidget(m_combo);
}

LRESULT ComboBoxWindow::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case CB_ADDSTRING:
      return Insert(-1, reinterpret_cast<LPCWSTR>(lParam));
    case CB_INSERTSTRING:
      return Insert(IntOf(wParam), reinterpret_cast<LPCWSTR>(lParam));
    case CB_DELETESTRING:
      return Delete(IntOf(wParam));
    case CB_GETCOUNT:
      return static_cast<LRESULT>(m_items.size());
    case CB_GETCURSEL:
      return m_selection;
    case CB_SETCURSEL: {
      int index = IntOf(wParam);
      if (index < 0 || index >= static_cast<int>(m_items.size())) {
        SetSelection(-1);
        return CB_ERR;
      }
      SetSelection(index);
      return index;
    }
    case CB_GETLBTEXTLEN: {
      int index = IntOf(wParam);
      if (index < 0 || index >= static_cast<int>(m_items.size())) return CB_ERR;
      return static_cast<LRESULT>(m_items[static_cast<std::size_t>(index)].size());
    }
    case CB_GETLBTEXT: {
      int index = IntOf(wParam);
      auto* buffer = reinterpret_cast<LPWSTR>(lParam);
      if (index < 0 || index >= static_cast<int>(m_items.size()) || buffer == nullptr) return CB_ERR;
      const std::wstring& item = m_items[static_cast<std::size_t>(index)];
      std::wmemcpy(buffer, item.c_str(), item.size() + 1);
      return static_cast<LRESULT>(item.size());
    }
    case CB_FINDSTRINGEXACT:
      return Find(IntOf(wParam), reinterpret_cast<LPCWSTR>(lParam), false);
    case CB_SELECTSTRING: {
      LRESULT found = Find(IntOf(wParam), reinterpret_cast<LPCWSTR>(lParam), true);
      if (found != CB_ERR) SetSelection(static_cast<int>(found));
      return found;
    }
    case WM_SETTEXT:
      // A drop-down list has no text of its own to set.
      return CB_ERR;
    default:
      return UiWindow::DefProc(message, wParam, lParam);
  }
}

void ComboBoxWindow::Move(int x, int y, int cx, int) {
  const double zoom = Zoom();
  const int height = m_combo->sizeHint().height();
  UiWindow::Move(x, y, cx, zoom == 1.0 ? height : static_cast<int>(std::lround(height / zoom)));
}

void ComboBoxWindow::PlaceWidget() {
  UiWindow::PlaceWidget();
  m_combo->resize(m_combo->width(), m_combo->sizeHint().height());
}

LRESULT ComboBoxWindow::Insert(int index, LPCWSTR text) {
  int count = static_cast<int>(m_items.size());
  if (index == -1) index = count;
  if (index < 0 || index > count) return CB_ERR;
  m_items.insert(m_items.begin() + index, text != nullptr ? std::wstring(text) : std::wstring());
  {
    QSignalBlocker block(m_combo);
    m_combo->insertItem(index, QString::fromStdWString(m_items[static_cast<std::size_t>(index)]));
  }
  if (m_selection >= index) ++m_selection;
  ShowSelection();
  return index;
}

LRESULT ComboBoxWindow::Delete(int index) {
  if (index < 0 || index >= static_cast<int>(m_items.size())) return CB_ERR;
  m_items.erase(m_items.begin() + index);
  {
    QSignalBlocker block(m_combo);
    m_combo->removeItem(index);
  }
  if (m_selection == index) {
    m_selection = -1;
  } else if (m_selection > index) {
    --m_selection;
  }
  ShowSelection();
  return static_cast<LRESULT>(m_items.size());
}

// Searches after `startAfter` (-1: from the first entry) to the end and on
// from the first entry, without regard to case, for the whole text or (with
// `prefix`) for an entry that begins with it.
LRESULT ComboBoxWindow::Find(int startAfter, LPCWSTR text, bool prefix) const {
  int count = static_cast<int>(m_items.size());
  if (count == 0 || text == nullptr) return CB_ERR;
  QString wanted = QString::fromWCharArray(text);
  int first = (startAfter < -1 || startAfter >= count) ? 0 : startAfter + 1;
  for (int step = 0; step < count; ++step) {
    int index = (first + step) % count;
    QString item = QString::fromStdWString(m_items[static_cast<std::size_t>(index)]);
    bool match = prefix ? item.startsWith(wanted, Qt::CaseInsensitive) : item.compare(wanted, Qt::CaseInsensitive) == 0;
    if (match) return index;
  }
  return CB_ERR;
}

void ComboBoxWindow::SetSelection(int index) {
  m_selection = index;
  ShowSelection();
}

// The widget and the window text (what WM_GETTEXT gives) follow the selection.
void ComboBoxWindow::ShowSelection() {
  {
    QSignalBlocker block(m_combo);
    m_combo->setCurrentIndex(m_selection);
  }
  UiWindow::SetText(m_selection >= 0 ? m_items[static_cast<std::size_t>(m_selection)] : std::wstring());
}
