// The framework's worker thread over std::thread. CreateThread starts a
// thread that runs InitInstance and then Run (ExitInstance when InitInstance
// fails); the base Run is a message loop over the thread's own queue that
// ends on WM_QUIT and returns ExitInstance(), whose base result is the quit
// message's wParam. That result is the thread's exit code.
//
// The object does not delete itself: the owner destroys it after the thread
// has ended, which Join (or a wait on m_hThread) tells. The destructor joins a
// thread still running and closes m_hThread.
#pragma once

#include "platform/core/event.h"
#include "platform/core/win_types.h"

#include <memory>
#include <thread>

class WaitableObject;

class CWinThread {
 public:
  CWinThread();
  virtual ~CWinThread();
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // Maps to std::thread; the thread's queue exists before this returns, so a
  // PostThreadMessageW right after it reaches the thread. Only the defaults
  // are offered (no suspended start, no stack size, no security attributes):
  // anything else fails with ERROR_NOT_SUPPORTED. FALSE, with the last error
  // set, when the system cannot start a thread; the object then stays unstarted.
  BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

  virtual BOOL InitInstance();
  virtual int Run();
  virtual int ExitInstance();

  // Blocks until the thread has ended and returns its exit code; at once when
  // it has already been joined or never started (then 0). Owner only, not
  // from the thread itself.
  int Join();

  // Tests only: makes CreateThread fail as when the system has no thread to give.
  static void SimulateCreationFailure(bool fail);

  HANDLE m_hThread;
  DWORD m_nThreadID;
  MSG m_msgCur;

 private:
  void ThreadMain(std::shared_ptr<WaitableObject> ended);

  std::thread m_thread;
  int m_exitCode = 0;
};
