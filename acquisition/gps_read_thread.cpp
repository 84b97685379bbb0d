#include "acquisition/gps_read_thread.h"

#include <cstdint>
#include <memory>
#include <new>

#include "acquisition/decode_sink.h"
#include "acquisition/line_cutter.h"
#include "acquisition/read_tap.h"
#include "acquisition/session_recorder.h"
#include "nmea/sentence.h"
#include "platform/core/clock.h"
#include "platform/core/diagnostics.h"
#include "platform/core/event.h"
#include "platform/core/window_core.h"
#include "serial/serial_com.h"

namespace {

constexpr DWORD kPollMs = 200;
constexpr std::int64_t kWindowMs = 1000;
constexpr unsigned kSilentPolls = 25;  // more empty polls than this: the receiver is lost
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

// What bytes without sentences most often mean on a serial line: the
// receiver talks at another speed than the port's. Two short lines, so that the advice fits
// the narrowest raw box without scrolling sideways.
std::wstring WrongSpeedHint(CSerialCom& serial) {
  DCB dcb{};
  const DWORD speed = serial.GetState(&dcb) ? dcb.BaudRate : 0;
  // A port without a line speed (a network source) has no speed to blame.
  if (speed == 0) return L"No NMEA sentences arrive.\r\nIs the source a receiver?";
  return L"No NMEA sentences at " + std::to_wstring(speed) + L" bps.\r\nWrong speed? Try Scan.";
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

void CGPSReadThread::RecogniseFamily(const std::wstring& line) {
  // Only proprietary sentences ("$P...") and banners ("$--TXT,") can name a
  // family; other lines cost two comparisons.
  const std::size_t start = line.find_first_not_of(L'$');
  if (start == 0 || start == std::wstring::npos) return;
  const std::wstring_view text = std::wstring_view(line).substr(start - 1);
  if (text.size() < 7 || (text[1] != L'P' && text.substr(3, 4) != L"TXT,")) return;
  std::string narrow;
  for (wchar_t c : text.substr(0, 82)) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  if (const ReceiverFamily* family = FamilyOfLine(narrow)) {
    ZELMORA_DEBUG_LOG("reader: the receiver's own sentences name it %s", std::string(family->name).c_str());
    m_pFamily = family;
  }
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
  BOOL groups[kDecodedGroupCount] = {FALSE, FALSE, FALSE, FALSE};  // from kGroupAltitude on
  // Bytes that form no sentence: since when (while `noSentence`), and
  // whether the raw text shows the hint in place of lines now.
  bool noSentence = false;
  DWORD noSentenceSince = 0;
  bool sentenceInRead = false;
  bool hintShown = false;
  CLineCutter cutter([&](const std::wstring& line) {
    // A sentence of any talker whose checksum holds.
    const bool sentence = NmeaChecksumHolds(line);
    sentenceInRead = sentenceInRead || sentence;
    if (hintShown && sentence) {
      // The first real sentence replaces the hint.
      AppendRawText(line, line.size() + 2);
      hintShown = false;
      Post(WM_GPSUPDATE, kGroupRawText);
    } else if (!hintShown) {
      AppendRawText(line, bufSize);
      Post(WM_GPSUPDATE, kGroupRawText);
    }
    if (m_pFamily.load() == nullptr) RecogniseFamily(line);
    const int group = DecodeLine(line, fields);
    // This thread is the record's only writer: reading it here needs no lock.
    if (group > 0 && m_pDecodeSink != nullptr) {
      m_pDecodeSink->Decoded(group, static_cast<const GPSRecordData&>(*this), GetTickCount());
    }
    if (group >= kGroupAltitude && group <= kGroupPosition) {
      groups[group - kGroupAltitude] = TRUE;
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
      if (got > 0 && (m_pTap != nullptr || m_pRecorder != nullptr)) {
        const DWORD tick = GetTickCount();
        if (m_pTap != nullptr) m_pTap->Push(std::string_view(buffer.get(), got), tick);
        if (m_pRecorder != nullptr) m_pRecorder->Push(std::string_view(buffer.get(), got), tick);
      }
      // u-blox's binary frames name it wherever they come in the stream.
      if (m_pFamily.load() == nullptr && HoldsUbxFrame(std::string_view(buffer.get(), got))) {
        m_pFamily = FindReceiverFamily("ublox");
      }
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
        Post(WM_GPSUPDATE, kGroupRawText);
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
        Post(WM_GPSUPDATE, kGroupRawText);
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
      for (int i = 0; i < kDecodedGroupCount; ++i) {
        if (groups[i]) {
          Post(WM_GPSUPDATE, static_cast<WPARAM>(kGroupAltitude + i));
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
