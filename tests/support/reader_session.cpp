#include "tests/support/reader_session.h"

#include "platform/core/clock.h"
#include "platform/core/event.h"
#include "platform/core/handle_table.h"

namespace {

constexpr int kBytesPerRead = 1024;  // also the raw text's length

}  // namespace

LRESULT ReaderSession::RecordingWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM) {
  received.push_back({msg, wParam, GetTickCount()});
  return 0;
}

ReaderSession::ReaderSession() {
  m_owner.m_hWnd = CoreRegisterWindow(&m_window);
  m_hStart = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  m_hStop = CreateEventW(nullptr, FALSE, TRUE, nullptr);
}

// A reader is destroyed only after its thread has ended: the thread still
// runs on it for a moment after the stop event.
ReaderSession::~ReaderSession() {
  StopAndJoin();
  m_reader.reset();
  m_serial.Close();
  CloseHandle(m_hStart);
  CloseHandle(m_hStop);
  CoreUnregisterWindow(m_owner.m_hWnd);
}

bool ReaderSession::Open(LPCWSTR com, DWORD speed) { return m_serial.Open(com, speed, 8, 0, 0) != FALSE; }

CGPSReadThread& ReaderSession::Create() {
  StopAndJoin();
  m_reader = std::make_unique<CGPSReadThread>(&m_owner, &m_serial, kBytesPerRead, m_hStart, m_hStop);
  m_started = false;
  return *m_reader;
}

bool ReaderSession::Start() {
  if (m_reader == nullptr || m_started) Create();
  m_started = true;
  m_running = m_reader->StartThread(m_hStart) != FALSE;
  return m_running;
}

void ReaderSession::Stop() {
  if (!m_running) return;
  m_reader->StopThread(m_hStop);
  m_running = false;
}

int ReaderSession::StopAndJoin() {
  Stop();
  return m_reader != nullptr ? m_reader->Join() : 0;
}

void ReaderSession::Deliver() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
