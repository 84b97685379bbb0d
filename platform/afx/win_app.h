// CWinApp: the application object. There is one, constructed as a global;
// AfxWinMain calls its InitInstance, and when that returns FALSE its
// ExitInstance, and ends the process with ExitInstance's result.
#pragma once

#include <string>

#include "platform/ui/ui_types.h"

class CWinApp {
 public:
  // The application's name is `appName`, or the executable's base name
  // (without extension) when null.
  explicit CWinApp(LPCWSTR appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance();
  // Releases the framework's resources; returns the exit code (0).
  virtual int ExitInstance();
  // The message loop, for an application whose InitInstance returned TRUE;
  // returns ExitInstance's result.
  virtual int Run();

  // Roots the profile functions at HKEY_CURRENT_USER\Software\<key>\<name>.
  void SetRegistryKey(LPCWSTR key);

  // The profile functions, over the registry under HKEY_CURRENT_USER (the
  // key path is created when missing); a section of "" is the application's
  // key itself. A missing value, or one of the other type, gives the default.
  std::wstring GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue = nullptr);
  UINT GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue);
  BOOL WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value);
  BOOL WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value);

  // The key path the profile functions use for `section`.
  std::wstring ProfileKey(LPCWSTR section) const;

  LPCWSTR m_pszAppName;
  LPCWSTR m_pszRegistryKey;
  HINSTANCE m_hInstance;

 private:
  std::wstring m_strAppName;
  std::wstring m_strRegistryKey;
};

// Maps to: the one application object (null before it is constructed).
CWinApp* AfxGetApp();
// Maps to: the application's name.
LPCWSTR AfxGetAppName();
// Maps to: the program's resource module (GetModuleHandleW(nullptr)).
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// Maps to: string `id` of the program's string table (LoadStringW); empty
// when it is missing.
std::wstring AfxLoadString(UINT id);

// Maps to: MessageBoxW with the application's name as caption, owned by the
// active sheet.
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK);
// The same with string `promptId` of the string table.
int AfxMessageBox(UINT promptId, UINT type = MB_OK);
