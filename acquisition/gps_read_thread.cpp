#include "acquisition/gps_read_thread.h"

#include <cstdint>
#include <memory>
#include <new>

#include "acquisition/line_cutter.h"
#include "platform/core/clock.h"
#include "platform/core/diagnostics.h"
#include "platform/core/event.h"
#include "platform/core/window_core.h"
#include "serial/serial_com.h"

namespace {

constexpr DWORD kPollMs = 200;
constexpr std::int64_t kWindowMs = 1000;
constexpr unsigned kSilentPolls = 25;  // more empty polls than this: the receiver is lost
constexpr int kGroupCount = 4;

}  // namespace

CGPSReadThread::CGPSReadThread(CWndHandle* pParent, CSerialCom* pSerial, int nBufSize, HANDLE hStartEvent,
                               HANDLE hStopEvent)
    : m_pParent(pParent),
      m_pSerial(pSerial),
      m_nBufSize(nBufSize > 0 ? nBufSize : 1),
      m_hStartEvent(hStartEvent),
      m_hStopEvent(hStopEvent) {
  ResetEvent(m_hStartEvent);
}

CGPSReadThread::~CGPSReadThread() = default;

BOOL CGPSReadThread::InitInstance() { return TRUE; }

int CGPSReadThread::ExitInstance() { return CWinThread::ExitInstance(); }

BOOL CGPSReadThread::StartThread(HANDLE hStartEvent) {
  ResetEvent(hStartEvent);
  if (!CreateThread()) {
    return FALSE;
  }
  WaitForSingleObject(hStartEvent, INFINITE);
  return TRUE;
}

BOOL CGPSReadThread::RequestStop() {
  m_bStop = TRUE;
  return TRUE;
}

BOOL CGPSReadThread::StopThread(HANDLE hStopEvent) {
  RequestStop();
  WaitForSingleObject(hStopEvent, INFINITE);
  return TRUE;
}

void CGPSReadThread::Post(UINT message, WPARAM wParam) const { PostMessageW(m_pParent->m_hWnd, message, wParam, 0); }

int CGPSReadThread::Run() {
  ResetEvent(m_hStopEvent);
  SetEvent(m_hStartEvent);

  // A buffer that cannot be had leaves every poll empty: the session then
  // reports the receiver as lost and is rebuilt, instead of reading into
  // nothing.
  const std::size_t bufSize = static_cast<std::size_t>(m_nBufSize);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[bufSize + 1]);
  CFieldArray fields;
  BOOL groups[kGroupCount] = {FALSE, FALSE, FALSE, FALSE};
  CLineCutter cutter([&](const std::wstring& line) {
    AppendRawText(line, bufSize);
    Post(WM_GPSUPDATE, 0);
    const int group = DecodeLine(line, fields);
    if (group >= 1 && group <= kGroupCount) {
      groups[group - 1] = TRUE;
    }
  });
  DWORD windowStart = 0;
  unsigned emptyPolls = 0;
  std::uint64_t bytesRead = 0;  // for the debug channel's account of a loss

  while (!m_bStop) {
    DWORD count = 0;
    if (buffer) {
      m_pSerial->Read(buffer.get(), static_cast<DWORD>(bufSize), &count);
      if (count > bufSize) {
        count = 0;
      }
      buffer[count] = '\0';
    }
    if (count > 0) {
      bytesRead += count;
      cutter.Feed(buffer.get(), count);
      emptyPolls = 0;
    } else {
      ++emptyPolls;
    }

    // The window closes when more than a second lies between now and its
    // start either way; the difference is taken in 32 bits so the tick
    // counter's wrap after 49.7 days does not matter.
    std::int64_t elapsed = static_cast<std::int32_t>(GetTickCount() - windowStart);
    if (elapsed < 0) {
      elapsed = -elapsed;
    }
    if (elapsed > kWindowMs) {
      for (int i = 0; i < kGroupCount; ++i) {
        if (groups[i]) {
          Post(WM_GPSUPDATE, static_cast<WPARAM>(i + 1));
          groups[i] = FALSE;
        }
      }
      windowStart = GetTickCount();
    } else if (emptyPolls > kSilentPolls) {
      ZELMORA_DEBUG_LOG("reader: receiver lost: %u polls in a row (%u ms apart) brought no byte; %llu bytes before",
                        emptyPolls, static_cast<unsigned>(kPollMs), static_cast<unsigned long long>(bytesRead));
      Post(WM_GPSLOST, 0);
      emptyPolls = 0;
    }
    Sleep(kPollMs);
  }

  buffer.reset();
  SetEvent(m_hStopEvent);
  PostThreadMessageW(m_nThreadID, WM_QUIT, 0, 0);
  return CWinThread::Run();
}
