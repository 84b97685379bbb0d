// The user-interface thread: the thread that runs the QApplication. The
// core's messages posted to its windows are delivered from Qt's event loop
// (also from the nested loops of the modal sheet and of message boxes), in
// the order posted.
#pragma once

#include "platform/core/win_types.h"

// Connects the core's message queue of the calling thread to the running
// QApplication: every post schedules a drain on this thread. A network
// port's open on this thread then waits in WaitPumpingMessages.
void StartMessagePump();

// Delivers every message now waiting in the calling thread's queue; a
// message for a window that has gone is dropped.
void DeliverPostedMessages();

// Waits `milliseconds` on the layer's clock while the windows keep painting
// and their timers and posted messages run, as a long operation on the
// user-interface thread does when it pumps messages between its steps. The
// user's clicks, keys and wheel turns are swallowed meanwhile, so the
// windows stay as unusable as during a blocking call; Escape, or asking to
// close a window, ends the wait early instead. Returns FALSE when the user
// cancelled that way. Without a QApplication it is a plain Sleep.
BOOL WaitPumpingMessages(DWORD milliseconds);

// For tests: a QApplication (on Qt's offscreen platform unless another is
// chosen) with the message pump started, made on first use and kept for
// the whole process.
void EnsureTestApplication();
