#include "platform/afx/win_app.h"

#include <QApplication>
#include <QFile>
#include <climits>
#include <string>
#include <unistd.h>

#include "platform/afx/profile_store.h"
#include "platform/ui/message_box.h"

namespace {

CWinApp*& TheApp() {
  static CWinApp* app = nullptr;
  return app;
}

// The running program file's name without folder and extension.
std::wstring ExecutableBaseName() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return L"";
  std::string name(path, static_cast<std::size_t>(length));
  name = name.substr(name.find_last_of('/') + 1);
  std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return QFile::decodeName(QByteArray::fromStdString(name)).toStdWString();
}

}  // namespace

CWinApp::CWinApp(LPCWSTR appName)
    : m_pszAppName(nullptr),
      m_pszRegistryKey(nullptr),
      m_hInstance(GetModuleHandleW(nullptr)),
      m_strAppName(appName != nullptr ? appName : ExecutableBaseName()) {
  m_pszAppName = m_strAppName.c_str();
  TheApp() = this;
}

CWinApp::~CWinApp() {
  if (TheApp() == this) TheApp() = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() {
  if (QApplication::instance() != nullptr) QApplication::exec();
  return ExitInstance();
}

void CWinApp::SetRegistryKey(LPCWSTR key) {
  m_strRegistryKey = key != nullptr ? key : L"";
  m_pszRegistryKey = m_strRegistryKey.c_str();
}

std::wstring CWinApp::ProfileKey(LPCWSTR section) const {
  std::wstring key = L"Software\\";
  if (!m_strRegistryKey.empty()) key += m_strRegistryKey + L"\\";
  key += m_strAppName;
  if (section != nullptr && section[0] != L'\0') key += std::wstring(L"\\") + section;
  return key;
}

std::wstring CWinApp::GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue) {
  std::optional<std::wstring> value;
  if (entry != nullptr) value = CurrentProfileStore().ReadString(ProfileKey(section), entry);
  if (value) return *value;
  return defaultValue != nullptr ? defaultValue : L"";
}

UINT CWinApp::GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue) {
  std::optional<DWORD> value;
  if (entry != nullptr) value = CurrentProfileStore().ReadNumber(ProfileKey(section), entry);
  return value ? static_cast<UINT>(*value) : static_cast<UINT>(defaultValue);
}

BOOL CWinApp::WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value) {
  if (entry == nullptr || value == nullptr) return FALSE;
  return CurrentProfileStore().WriteString(ProfileKey(section), entry, value) ? TRUE : FALSE;
}

BOOL CWinApp::WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value) {
  if (entry == nullptr) return FALSE;
  return CurrentProfileStore().WriteNumber(ProfileKey(section), entry, static_cast<DWORD>(value)) ? TRUE : FALSE;
}

CWinApp* AfxGetApp() { return TheApp(); }

LPCWSTR AfxGetAppName() { return TheApp() != nullptr ? TheApp()->m_pszAppName : L""; }

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleW(nullptr); }

HINSTANCE AfxGetResourceHandle() { return GetModuleHandleW(nullptr); }

int AfxMessageBox(LPCWSTR text, UINT type) { return MessageBoxW(nullptr, text, AfxGetAppName(), type); }

std::wstring AfxLoadString(UINT id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
  return text != nullptr ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

int AfxMessageBox(UINT promptId, UINT type) { return AfxMessageBox(AfxLoadString(promptId).c_str(), type); }
