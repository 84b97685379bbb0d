// A multi-line, read-only edit box (a log view without wrapping, with both
// scroll bars) and the EM_* messages the program sends to it. The program's
// multi-line boxes (the raw sentences, the TTFF results) are read-only, so
// every box here is: it shows no caret and keeps the user's horizontal
// scroll position when its text changes. (A single-line box the user types
// into is line_edit_window.h's.)
#pragma once

#include "platform/ui/edit_text.h"
#include "platform/ui/ui_window.h"

#include <memory>
#include <optional>
#include <utility>

class LogView;
class QObject;

class EditWindow : public UiWindow {
 public:
  EditWindow(UiWindow* parent, int id, DWORD style, std::wstring text);
  ~EditWindow() override;
  LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The widget, brought up to date, for tests that look at what it shows.
  LogView* View();

 protected:
  void ShowText() override;

 private:
  // While the box cannot be seen (its page is not in front), its text and
  // the scroll and selection requests wait, and are applied in one go when
  // it is shown. A box in view waits the same way until the messages
  // already queued have been handled: one edit per batch of lines.
  bool Deferring() const;
  void CatchUp();
  void LineScroll(int chars, int lines);
  void Select(int start, int end);
  // Brings the view from m_shown to `shown`.
  void ShowDisplayText(std::wstring shown, bool fromTop);

  LogView* m_view;
  EditText m_lines;
  std::wstring m_shown;  // what the view shows
  int m_caret = 0;
  std::unique_ptr<QObject> m_showWatcher;
  // What waits to be applied while deferring.
  bool m_catchUpPosted = false;  // a visible box catches up after the waiting messages
  bool m_behind = false;         // the text
  bool m_behindFromTop = false;  // ... replaced: the view starts at the top
  int m_pendingChars = 0;
  int m_pendingLines = 0;
  std::optional<std::pair<int, int>> m_pendingSelection;  // anchor, caret
  bool m_pendingScrollCaret = false;
};
