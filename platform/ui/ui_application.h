// The user-interface thread: the thread that runs the QApplication. The
// core's messages posted to its windows are delivered from Qt's event loop
// (also from the nested loops of the modal sheet and of message boxes), in
// the order posted.
#pragma once

// Connects the core's message queue of the calling thread to the running
// QApplication: every post schedules a drain on this thread.
void StartMessagePump();

// Delivers every message now waiting in the calling thread's queue; a
// message for a window that has gone is dropped.
void DeliverPostedMessages();

// For tests: a QApplication (on Qt's offscreen platform unless another is
// chosen) with the message pump started, made on first use and kept for
// the whole process.
void EnsureTestApplication();
