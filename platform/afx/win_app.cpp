#include "platform/afx/win_app.h"

#include <QApplication>
#include <QFile>
#include <climits>
#include <cstring>
#include <cwchar>
#include <optional>
#include <vector>
#include <string>
#include <unistd.h>

#include "platform/core/registry.h"
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

namespace {

// The application's key for a section, created when missing (as reading
// through the profile functions creates it too); null when the hive refuses.
HKEY OpenProfileKey(const std::wstring& path) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_READ | KEY_WRITE, nullptr, &key, &disposition);
  return result == static_cast<LONG>(ERROR_SUCCESS) ? key : nullptr;
}

// The value's bytes when it exists with that type.
std::optional<std::vector<BYTE>> QueryValue(const std::wstring& path, LPCWSTR entry, DWORD wantedType) {
  HKEY key = OpenProfileKey(path);
  if (key == nullptr) return std::nullopt;
  DWORD type = REG_NONE;
  DWORD size = 0;
  std::optional<std::vector<BYTE>> bytes;
  if (RegQueryValueExW(key, entry, nullptr, &type, nullptr, &size) == static_cast<LONG>(ERROR_SUCCESS) &&
      type == wantedType) {
    std::vector<BYTE> data(size);
    if (RegQueryValueExW(key, entry, nullptr, &type, data.data(), &size) == static_cast<LONG>(ERROR_SUCCESS)) {
      data.resize(size);
      bytes = std::move(data);
    }
  }
  RegCloseKey(key);
  return bytes;
}

BOOL SetValue(const std::wstring& path, LPCWSTR entry, DWORD type, const BYTE* data, DWORD size) {
  HKEY key = OpenProfileKey(path);
  if (key == nullptr) return FALSE;
  LONG result = RegSetValueExW(key, entry, 0, type, data, size);
  RegCloseKey(key);
  return result == static_cast<LONG>(ERROR_SUCCESS) ? TRUE : FALSE;
}

}  // namespace

std::wstring CWinApp::GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue) {
  std::optional<std::vector<BYTE>> bytes;
  if (entry != nullptr) bytes = QueryValue(ProfileKey(section), entry, REG_SZ);
  if (!bytes) return defaultValue != nullptr ? defaultValue : L"";
  std::wstring text(bytes->size() / sizeof(WCHAR), L'\0');
  std::memcpy(text.data(), bytes->data(), text.size() * sizeof(WCHAR));
  text.resize(std::wcslen(text.c_str()));
  return text;
}

UINT CWinApp::GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue) {
  std::optional<std::vector<BYTE>> bytes;
  if (entry != nullptr) bytes = QueryValue(ProfileKey(section), entry, REG_DWORD);
  if (!bytes || bytes->size() != sizeof(DWORD)) return static_cast<UINT>(defaultValue);
  DWORD value = 0;
  std::memcpy(&value, bytes->data(), sizeof value);
  return value;
}

BOOL CWinApp::WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value) {
  if (entry == nullptr || value == nullptr) return FALSE;
  auto size = static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(WCHAR));
  return SetValue(ProfileKey(section), entry, REG_SZ, reinterpret_cast<const BYTE*>(value), size);
}

BOOL CWinApp::WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value) {
  if (entry == nullptr) return FALSE;
  auto number = static_cast<DWORD>(value);
  return SetValue(ProfileKey(section), entry, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
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
