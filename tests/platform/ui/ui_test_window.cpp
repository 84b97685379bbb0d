#include "ui_test_window.h"

std::vector<ReceivedMessage>& Received() {
  static std::vector<ReceivedMessage> received;
  return received;
}

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Received().push_back(ReceivedMessage{window, message, wParam, lParam});
  return DefWindowProcW(window, message, wParam, lParam);
}

std::vector<ReceivedMessage> ReceivedOf(UINT message) {
  std::vector<ReceivedMessage> of;
  for (const ReceivedMessage& m : Received()) {
    if (m.message == message) of.push_back(m);
  }
  return of;
}

HWND CreateTestDialog(UINT id) {
  EnsureTestApplication();
  Received().clear();
  return CreateDialogParamW(nullptr, MAKEINTRESOURCEW(id), nullptr, &RecordingProc, 42);
}
