// A push button (QPushButton). A click, by the user or by BM_CLICK, sends
// WM_COMMAND with BN_CLICKED to the parent; a disabled button does not click.
#pragma once

#include "platform/ui/ui_window.h"

class QPushButton;

class ButtonWindow : public UiWindow {
 public:
  ButtonWindow(UiWindow* parent, int id, DWORD style, std::wstring text);
  LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  void ShowText() override;

 private:
  void Clicked();

  QPushButton* m_button;
};
