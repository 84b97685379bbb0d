// The settings the Setup page keeps between runs, read and written
// through the application's profile functions (GetProfileString,
// GetProfileInt, WriteProfileString, WriteProfileInt of CWinApp, or any
// object that has them). The section is "", so the values stand directly in
// the application's key:
//
//   PortName  REG_SZ     default "COM1:"  the port's device name
//   BaudRate  REG_DWORD  default 4800     bits per second
//   DemoMode  REG_DWORD  default 0        non-zero: canned sentences
//   GpsOnly   REG_DWORD  default 0        non-zero: decode $GP sentences only
//                                         (set by hand; never written)
#pragma once

#include <string>

#include "platform/core/numbers.h"
#include "session/port_list.h"

struct SetupSettings {
  std::wstring strPort;
  int nBaudRate;
  int nDemoMode;
  int nGpsOnly;
};

// Read once, when the Setup page is constructed. A value that is missing
// (or of another type) gives its default.
template <class App>
SetupSettings ReadSetupSettings(App& app) {
  SetupSettings settings;
  settings.strPort = app.GetProfileString(L"", L"PortName", L"COM1:");
  settings.nBaudRate = static_cast<int>(app.GetProfileInt(L"", L"BaudRate", 4800));
  settings.nDemoMode = static_cast<int>(app.GetProfileInt(L"", L"DemoMode", 0));
  settings.nGpsOnly = static_cast<int>(app.GetProfileInt(L"", L"GpsOnly", 0));
  return settings;
}

// Written once, when the sheet is closed with OK: the device name of the
// port text (empty without a ":"), the speed text read as a base-10 number
// (optional blanks and sign, digits up to the first other character, 0
// without digits, saturating at 32 bits), and the demo switch as it was
// read. The results of the writes are not looked at. Returns the speed, which
// the page keeps in m_nBaudRate.
template <class App>
int WriteSetupSettings(App& app, const std::wstring& strPort, const std::wstring& strBaudRate, int nDemoMode) {
  const std::wstring port = DeviceNameOf(strPort);
  const int nBaudRate = WcsToLong(strBaudRate);
  app.WriteProfileString(L"", L"PortName", port.c_str());
  app.WriteProfileInt(L"", L"BaudRate", nBaudRate);
  app.WriteProfileInt(L"", L"DemoMode", nDemoMode);
  return nBaudRate;
}
