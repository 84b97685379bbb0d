// A drop-down list combo box (QComboBox) and the CB_* messages the program
// sends. The entries and the selection are the window's own; the widget
// shows them, and a choice the user makes becomes the selection. Adding
// entries leaves "no selection" alone, as the handheld does.
#pragma once

#include <vector>

#include "platform/ui/ui_window.h"

class QComboBox;

class ComboBoxWindow : public UiWindow {
 public:
  ComboBoxWindow(UiWindow* parent, int id, DWORD style, std::wstring text);
  LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The closed box's height follows the font; the template's height is the
  // dropped-down list's.
  void Move(int x, int y, int cx, int cy) override;

 protected:
  // At any zoom the closed box is as high as its zoomed font needs.
  void PlaceWidget() override;

 private:
  LRESULT Insert(int index, LPCWSTR text);
  LRESULT Delete(int index);
  LRESULT Find(int startAfter, LPCWSTR text, bool prefix) const;
  void SetSelection(int index);
  void ShowSelection();

  QComboBox* m_combo;
  std::vector<std::wstring> m_items;
  int m_selection = -1;
};
