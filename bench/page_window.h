// What the page benchmarks share: the toolkit, the program's resources and a
// screen of the size measured, and a page's window made at that size the
// way the sheet sizes its pages.
#pragma once

#include "platform/afx/afx.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_application.h"
#include "resources/resource_catalogue.h"

inline void PrepareBenchScreen(int width, int height) {
  EnsureTestApplication();
  RegisterProgramResources();
  SetScreenSize(width, height);
}

// False when the page's window could not be made.
inline bool OpenPageWindow(CPropertyPage& page, int width, int height) {
  if (page.CreatePageWindow(nullptr) == nullptr) return false;
  HDWP batch = BeginDeferWindowPos(1);
  batch = DeferWindowPos(batch, page.m_hWnd, nullptr, 0, 0, width, height, SWP_NOZORDER);
  EndDeferWindowPos(batch);
  SendMessageW(page.m_hWnd, WM_SIZE, SIZE_RESTORED, 0);
  return true;
}
