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
// Bytes for this long without one checksum-valid sentence: the raw text
// shows the wrong-speed hint instead.
constexpr DWORD kNoSentenceMs = 3000;
// A poll reads again while each read fills the buffer, so that a fast
// receiver (115200 bps brings 2.3 KB per poll) is kept up with; the bound
// keeps a poll short whatever a flooding port delivers.
constexpr int kReadsPerPoll = 64;
// The raw box's line when the driver counted bytes lost before they could
// be read.
constexpr wchar_t kDataLostLine[] = L"-- data lost: the serial port overran --";

// A line that is an NMEA sentence of any talker with a checksum that holds:
// "$", then "*" and two upper-case hexadecimal digits of the exclusive OR of
// the characters in between.
bool IsChecksumValidSentence(const std::wstring& line) {
  const std::size_t length = line.size();
  if (length < 4 || line[0] != L'$' || line[length - 3] != L'*') {
    return false;
  }
  unsigned sum = 0;
  for (std::size_t i = 1; i < length - 3; ++i) {
    sum ^= static_cast<unsigned>(line[i]);
  }
  sum &= 0xFF;
  static constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
  return line[length - 2] == kHexDigits[sum >> 4] && line[length - 1] == kHexDigits[sum & 0xF];
}

// What bytes without sentences most often mean: the receiver talks at
// another speed than the port's.
std::wstring WrongSpeedHint(CSerialCom& serial) {
  DCB dcb{};
  const DWORD speed = serial.GetState(&dcb) ? dcb.BaudRate : 0;
  return L"No NMEA sentences at " + std::to_wstring(speed) + L" bps - wrong speed? Try Scan.";
}

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
  // Bytes that form no sentence: since when (while `noSentence`), and
  // whether the raw text shows the hint in place of lines now.
  bool noSentence = false;
  DWORD noSentenceSince = 0;
  bool sentenceInRead = false;
  bool hintShown = false;
  CLineCutter cutter([&](const std::wstring& line) {
    const bool sentence = IsChecksumValidSentence(line);
    sentenceInRead = sentenceInRead || sentence;
    if (hintShown && sentence) {
      // The first real sentence replaces the hint.
      AppendRawText(line, line.size() + 2);
      hintShown = false;
      Post(WM_GPSUPDATE, 0);
    } else if (!hintShown) {
      AppendRawText(line, bufSize);
      Post(WM_GPSUPDATE, 0);
    }
    const int group = DecodeLine(line, fields);
    if (group >= 1 && group <= kGroupCount) {
      groups[group - 1] = TRUE;
    }
  });
  DWORD windowStart = 0;
  unsigned emptyPolls = 0;
  std::uint64_t bytesRead = 0;  // for the debug channel's account of a loss

  while (!m_bStop) {
    // What the port holds: reads until one comes back short.
    std::uint64_t count = 0;
    sentenceInRead = false;
    for (int reads = 0; buffer && reads < kReadsPerPoll; ++reads) {
      DWORD got = 0;
      m_pSerial->Read(buffer.get(), static_cast<DWORD>(bufSize), &got);
      if (got > bufSize) {
        got = 0;
      }
      buffer[got] = '\0';
      count += got;
      cutter.Feed(buffer.get(), got);
      if (got < bufSize) {
        break;
      }
    }
    if (count > 0) {
      bytesRead += count;
      DWORD errors = 0;
      if (m_pSerial->ClearError(&errors) && (errors & (CE_OVERRUN | CE_RXOVER)) != 0) {
        ZELMORA_DEBUG_LOG("reader: the driver reports lost bytes (errors 0x%x)", static_cast<unsigned>(errors));
        AppendRawText(kDataLostLine, bufSize);
        Post(WM_GPSUPDATE, 0);
      }
      emptyPolls = 0;
      if (sentenceInRead) {
        noSentence = false;
      } else if (!noSentence) {
        noSentence = true;
        noSentenceSince = GetTickCount();
      } else if (!hintShown && GetTickCount() - noSentenceSince >= kNoSentenceMs) {
        // The raw text keeps only the last line's length: the hint alone.
        const std::wstring hint = WrongSpeedHint(*m_pSerial);
        AppendRawText(hint, hint.size() + 2);
        hintShown = true;
        Post(WM_GPSUPDATE, 0);
      }
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
