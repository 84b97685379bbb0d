// A static control (QLabel): left-aligned text without word wrap, or with
// the icon and bitmap styles an image set by STM_SETIMAGE (scaled smoothly
// in a zoomed window).
#pragma once

#include "platform/ui/ui_window.h"

class QLabel;

class StaticWindow : public UiWindow {
 public:
  StaticWindow(UiWindow* parent, int id, DWORD style, std::wstring text);
  LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ApplyZoom() override;

 protected:
  void ShowText() override;

 private:
  bool ShowsImage() const;
  bool ShowImage();

  QLabel* m_label;
  HICON m_icon = nullptr;
  HBITMAP m_bitmap = nullptr;
  WPARAM m_imageType = 0;  // of the image last set
};
