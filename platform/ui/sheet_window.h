// The property sheet's window: the handheld's screen (a widget the size of
// the screen with a title bar (caption, OK, close), the page area and the
// tabs at the bottom) in a top-level window that zooms it to fit. Its
// client area, where the pages go, is the page area. It creates
// pages the first time they are shown, keeps them, and sends WM_SIZE to
// every created page when the screen changes. Keys: Tab goes round ok, close,
// the page's controls and the tabs; Ctrl+Tab, Ctrl+PgDn, Ctrl+Shift+Tab and
// Ctrl+PgUp switch pages from anywhere, as a tap on a tab does.
#pragma once

#include <vector>

#include "platform/ui/property_sheet_window.h"
#include "platform/ui/ui_window.h"

class QEventLoop;
class QFont;
class QLabel;
class QPushButton;
class QTabBar;
class QWidget;

class SheetWindow : public UiWindow {
 public:
  SheetWindow(PropertySheetClient& client, UiWindow* owner, const std::wstring& caption);
  ~SheetWindow() override;

  LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  QWidget* ChildContainer() const override;
  POINT ClientOrigin() const override;
  SIZE ClientSize() const override;

  // Shows the sheet with `startPage` in front and runs `loop` until the
  // sheet is closed (its exit code is IDOK or IDCANCEL).
  void Start(int startPage, QEventLoop& loop);
  // The created page windows, in tab order.
  std::vector<HWND> CreatedPages() const;
  // Whether the sheet was closed (also before its loop ran), and how.
  bool Finished() const { return m_finished; }
  int Result() const { return m_result; }
  // Puts the chrome and the pages at the screen's current size; pages whose
  // size changed get WM_SIZE. The window keeps its zoom.
  void FollowScreen();
  // Moves the focus to the next (or previous) control in the sheet's order:
  // ok, close, the shown page's controls, the tabs, round again.
  bool MoveFocus(bool next);

 protected:
  // Places the chrome and the page area at the zoom (not the window).
  void PlaceWidget() override;

 private:
  // The page `step` tabs away (round), shown as a click on its tab shows it.
  static void SwitchPage(HWND sheet, int step);
  std::vector<QWidget*> FocusOrder() const;
  void SetChromeFont(const QFont& font);
  bool Activate(int index);
  void Finish(int result);
  void Ok();
  void SizePage(int index);

  PropertySheetClient& m_client;
  QWidget* m_screen;  // the handheld's screen, shown by m_frame
  QWidget* m_bar;
  QLabel* m_title;
  QPushButton* m_ok;
  QPushButton* m_close;
  QWidget* m_pageArea;
  QTabBar* m_tabs;
  QWidget* m_frame;     // the top-level window
  int m_barHeight = 0;  // in handheld pixels
  int m_tabsHeight = 0;
  std::vector<HWND> m_pages;
  std::vector<std::pair<int, int>> m_sentSizes;
  int m_current = -1;
  QEventLoop* m_loop = nullptr;
  bool m_finished = false;
  int m_result = IDCANCEL;
};
