#include "serial/serial_com.h"

namespace {

// The flag word: fBinary, fParity, DTR_CONTROL_ENABLE, fTXContinueOnXoff and
// RTS_CONTROL_ENABLE in bits 0 to 14; bits 15 to 31 keep the driver's value.
constexpr DWORD kKeptFlags = 0xFFFF8000u;
constexpr DWORD kPortFlags = 0x1093u;

}  // namespace

CSerialCom::CSerialCom() : m_hCom(INVALID_HANDLE_VALUE) {}

CSerialCom::~CSerialCom() {
  if (m_hCom != INVALID_HANDLE_VALUE) Close();
}

BOOL CSerialCom::Open(LPCWSTR szPort, DWORD dwBaudRate, BYTE byByteSize, BYTE byParity, BYTE byStopBits) {
  if (m_hCom != INVALID_HANDLE_VALUE) Close();

  m_hCom = CreateFileW(szPort, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (m_hCom == INVALID_HANDLE_VALUE) return FALSE;

  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  if (!GetCommState(m_hCom, &dcb)) {
    CloseHandle(m_hCom);
    m_hCom = INVALID_HANDLE_VALUE;
    return FALSE;
  }

  dcb.BaudRate = dwBaudRate;
  SetDcbFlags(dcb, (DcbFlags(dcb) & kKeptFlags) | kPortFlags);
  dcb.ByteSize = byByteSize;
  dcb.Parity = byParity;
  dcb.StopBits = byStopBits;
  if (!SetCommState(m_hCom, &dcb)) {
    CloseHandle(m_hCom);
    m_hCom = INVALID_HANDLE_VALUE;
    return FALSE;
  }

  // Reads return at once with what has arrived; a write gives up after
  // 10 ms per byte plus one second.
  COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 10, 1000};
  SetCommTimeouts(m_hCom, &timeouts);
  PurgeComm(m_hCom, PURGE_TXCLEAR | PURGE_RXCLEAR);
  EscapeCommFunction(m_hCom, SETDTR);
  EscapeCommFunction(m_hCom, SETRTS);
  return TRUE;
}

BOOL CSerialCom::Close() {
  if (m_hCom == INVALID_HANDLE_VALUE) return TRUE;
  SetCommMask(m_hCom, 0);
  EscapeCommFunction(m_hCom, CLRRTS);
  EscapeCommFunction(m_hCom, CLRDTR);
  PurgeComm(m_hCom, PURGE_TXCLEAR | PURGE_RXCLEAR);
  CloseHandle(m_hCom);
  m_hCom = INVALID_HANDLE_VALUE;
  return TRUE;
}

BOOL CSerialCom::Read(LPVOID pBuffer, DWORD dwToRead, DWORD* pdwRead) {
  return ReadFile(m_hCom, pBuffer, dwToRead, pdwRead, nullptr);
}

BOOL CSerialCom::Write(LPCVOID pBuffer, DWORD dwToWrite, DWORD* pdwWritten) {
  return WriteFile(m_hCom, pBuffer, dwToWrite, pdwWritten, nullptr);
}

BOOL CSerialCom::GetState(DCB* pDcb) { return GetCommState(m_hCom, pDcb); }

BOOL CSerialCom::ClearError(DWORD* pdwErrors) { return ClearCommError(m_hCom, pdwErrors, nullptr); }
