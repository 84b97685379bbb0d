// A page window for the layer's tests, built from one of the program's
// dialog templates, with a procedure that records what it receives.
#pragma once

#include <vector>

#include "platform/ui/ui_application.h"
#include "platform/ui/window_api.h"

struct ReceivedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Every message the test procedure received, in order.
std::vector<ReceivedMessage>& Received();

// Records the message, then lets the layer handle it.
LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The messages of one kind the procedure received.
std::vector<ReceivedMessage> ReceivedOf(UINT message);

// Creates the dialog of template `id` from the program's resources.
HWND CreateTestDialog(UINT id);
