// The window timers of the user-interface thread: the timer table on the
// layer's clock, woken by one QTimer, delivering WM_TIMER by SendMessageW.
#pragma once

#include "platform/ui/ui_types.h"

// Drops every timer of a window (it is being destroyed).
void KillWindowTimers(HWND window);

// Sends WM_TIMER for every timer due at the clock's current tick count.
// The QTimer calls it; tests on a simulated clock call it after advancing.
void DeliverDueTimers();
