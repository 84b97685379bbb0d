// The program's serial port: opens a device ("COM1:") exclusively,
// configures speed, framing, handshake lines and time-outs, reads and writes
// raw bytes, and closes it in an order that drops the handshake lines and
// discards pending data. No buffer, no thread, no lock of its own: the reader
// thread may Read while the user-interface thread Writes.
#pragma once

#include "platform/core/comm.h"
#include "platform/core/win_types.h"

class CSerialCom {
 public:
  CSerialCom();
  virtual ~CSerialCom();
  CSerialCom(const CSerialCom&) = delete;
  CSerialCom& operator=(const CSerialCom&) = delete;

  // TRUE when the port is open and configured; a failed open leaves the
  // object closed (an open port is closed first in every case).
  BOOL Open(LPCWSTR szPort, DWORD dwBaudRate, BYTE byByteSize, BYTE byParity, BYTE byStopBits);
  // Always TRUE; does nothing on a closed object.
  BOOL Close();
  BOOL Read(LPVOID pBuffer, DWORD dwToRead, DWORD* pdwRead);
  BOOL Write(LPCVOID pBuffer, DWORD dwToWrite, DWORD* pdwWritten);
  BOOL GetState(DCB* pDcb);
  // The CE_* errors (bytes lost) since the last call or the open.
  BOOL ClearError(DWORD* pdwErrors);

  // The open port, or INVALID_HANDLE_VALUE.
  HANDLE m_hCom;
};
