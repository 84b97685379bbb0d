#include "platform/core/win_thread.h"

#include "platform/core/clock.h"
#include "platform/core/last_error.h"
#include "platform/core/message_queue.h"
#include "platform/core/waitable_object.h"
#include "platform/core/window_core.h"

#include <atomic>
#include <system_error>

namespace {
std::atomic<bool> g_failCreation{false};
}

CWinThread::CWinThread() : m_hThread(nullptr), m_nThreadID(0), m_msgCur{} {}

CWinThread::~CWinThread() {
  if (m_thread.joinable()) {
    if (m_thread.get_id() == std::this_thread::get_id()) {
      m_thread.detach();
    } else {
      m_thread.join();
    }
  }
  if (m_hThread != nullptr) CloseHandle(m_hThread);
}

void CWinThread::SimulateCreationFailure(bool fail) { g_failCreation = fail; }

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (dwCreateFlags != 0 || nStackSize != 0 || lpSecurityAttrs != nullptr || m_hThread != nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  auto ended = std::make_shared<WaitableObject>(HandleType::Thread, true, false);
  DWORD id = CoreAllocateThreadId();
  {
    std::lock_guard lock(KernelLock());
    CoreThreadQueue(id, true);
    CurrentClock().ReserveThread();
  }
  try {
    if (g_failCreation) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    m_nThreadID = id;
    m_thread = std::thread(&CWinThread::ThreadMain, this, ended);
  } catch (const std::system_error& error) {
    m_nThreadID = 0;
    std::lock_guard lock(KernelLock());
    CoreRemoveThreadQueue(id);
    CurrentClock().UnreserveThread();
    SetLastError(ErrorFromErrno(error.code().value()));
    return FALSE;
  }
  m_hThread = CoreAddHandle(std::move(ended));
  return TRUE;
}

void CWinThread::ThreadMain(std::shared_ptr<WaitableObject> ended) {
  DWORD id = m_nThreadID;
  CoreAdoptThreadId(id);
  {
    std::lock_guard lock(KernelLock());
    CurrentClock().JoinTime();
  }
  m_exitCode = InitInstance() ? Run() : ExitInstance();
  {
    std::lock_guard lock(KernelLock());
    CoreRemoveThreadQueue(id);
  }
  // The end is announced while the thread still takes part in simulated time:
  // leaving first would let time run on, with nobody holding it, until the
  // owner waiting for the end is released. Nothing after this touches the
  // object, which the owner may now delete.
  ended->Set();
  {
    std::lock_guard lock(KernelLock());
    CurrentClock().LeaveTime();
  }
}

BOOL CWinThread::InitInstance() { return TRUE; }

int CWinThread::Run() {
  while (GetMessageW(&m_msgCur, nullptr, 0, 0)) DispatchMessageW(&m_msgCur);
  return ExitInstance();
}

int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

int CWinThread::Join() {
  if (!m_thread.joinable()) return m_exitCode;
  // Wait in the kernel first, so that simulated time can go on while the
  // owner waits.
  WaitForSingleObject(m_hThread, INFINITE);
  m_thread.join();
  return m_exitCode;
}
