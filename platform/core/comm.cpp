#include "platform/core/comm.h"

#include "platform/core/com_device_table.h"
#include "platform/core/diagnostics.h"
#include "platform/core/last_error.h"
#include "platform/core/network_port.h"
#include "platform/core/network_source.h"
#include "platform/core/termios_port.h"
#include "platform/core/utf8.h"

#include <cstring>
#include <mutex>
#include <optional>

namespace {

// An open port in the handle table.
class CommFile final : public KernelObject {
 public:
  explicit CommFile(std::unique_ptr<CommPort> port) : KernelObject(HandleType::Comm), m_port(std::move(port)) {}
  CommPort& Port() { return *m_port; }

 private:
  std::unique_ptr<CommPort> m_port;
};

std::mutex g_openerLock;
CommOpener g_opener;

std::unique_ptr<CommPort> OpenTermios(LPCWSTR name, DWORD access, DWORD shareMode, DWORD creation, DWORD flags) {
  if (shareMode != 0 || creation != OPEN_EXISTING || flags != 0 || (access & (GENERIC_READ | GENERIC_WRITE)) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string path = ComDeviceTable::Active().PathOf(name);
  if (path.empty()) {
    ZELMORA_DEBUG_LOG("serial: %s names no device: nothing is listed under that number", WideToUtf8(name).c_str());
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  ZELMORA_DEBUG_LOG("serial: opening %s as %s", WideToUtf8(name).c_str(), path.c_str());
  if (HasNetworkScheme(path)) {
    // The table holds only sources that parse; one that no longer does is
    // no device.
    const std::optional<NetworkSource> source = ParseNetworkSource(path);
    if (!source) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    return NetworkPort::Open(*source, access);
  }
  return TermiosPort::Open(path, access);
}

std::shared_ptr<CommFile> Lookup(HANDLE file) { return CoreLookup<CommFile>(file, HandleType::Comm); }

}  // namespace

CommPort::~CommPort() = default;

BOOL CommPort::ClearErrors(DWORD* errors) {
  *errors = 0;
  return TRUE;
}

ReadTimeoutPlan PlanRead(const COMMTIMEOUTS& t, DWORD toRead) {
  ReadTimeoutPlan plan{};
  plan.immediate =
      t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
  plan.firstByteOnly = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                       t.ReadTotalTimeoutConstant != MAXDWORD;
  plan.hasTotal = plan.firstByteOnly || t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0;
  plan.totalMs = plan.firstByteOnly ? t.ReadTotalTimeoutConstant
                                    : std::uint64_t{t.ReadTotalTimeoutMultiplier} * toRead + t.ReadTotalTimeoutConstant;
  plan.hasInterval = !plan.firstByteOnly && t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD;
  return plan;
}

DWORD DcbFlags(const DCB& dcb) {
  DWORD flags;
  std::memcpy(&flags, reinterpret_cast<const unsigned char*>(&dcb) + kDcbFlagsOffset, sizeof flags);
  return flags;
}

void SetDcbFlags(DCB& dcb, DWORD flags) {
  std::memcpy(reinterpret_cast<unsigned char*>(&dcb) + kDcbFlagsOffset, &flags, sizeof flags);
}

void CoreSetCommOpener(CommOpener opener) {
  std::lock_guard lock(g_openerLock);
  g_opener = std::move(opener);
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  if (fileName == nullptr || securityAttributes != nullptr || templateFile != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  CommOpener opener;
  {
    std::lock_guard lock(g_openerLock);
    opener = g_opener;
  }
  std::unique_ptr<CommPort> port =
      opener ? opener(fileName, desiredAccess, shareMode, creationDisposition, flagsAndAttributes)
             : OpenTermios(fileName, desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
  if (!port) return INVALID_HANDLE_VALUE;
  return CoreAddHandle(std::make_shared<CommFile>(std::move(port)));
}

BOOL GetCommState(HANDLE file, LPDCB dcb) {
  auto comm = Lookup(file);
  if (!comm) return FALSE;
  if (dcb == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return comm->Port().GetState(dcb);
}

BOOL SetCommState(HANDLE file, LPDCB dcb) {
  auto comm = Lookup(file);
  if (!comm) return FALSE;
  if (dcb == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return comm->Port().SetState(*dcb);
}

BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
  auto comm = Lookup(file);
  if (!comm) return FALSE;
  if (timeouts == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return comm->Port().SetTimeouts(*timeouts);
}

BOOL PurgeComm(HANDLE file, DWORD flags) {
  auto comm = Lookup(file);
  return comm ? comm->Port().Purge(flags) : FALSE;
}

BOOL EscapeCommFunction(HANDLE file, DWORD function) {
  auto comm = Lookup(file);
  return comm ? comm->Port().Escape(function) : FALSE;
}

BOOL SetCommMask(HANDLE file, DWORD mask) {
  auto comm = Lookup(file);
  return comm ? comm->Port().SetMask(mask) : FALSE;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
  if (read != nullptr) *read = 0;
  auto comm = Lookup(file);
  if (!comm) return FALSE;
  if (read == nullptr || overlapped != nullptr || (buffer == nullptr && toRead != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return comm->Port().Read(buffer, toRead, read);
}

BOOL ClearCommError(HANDLE file, LPDWORD errors, void* stat) {
  if (errors != nullptr) *errors = 0;
  auto comm = Lookup(file);
  if (!comm) return FALSE;
  if (errors == nullptr || stat != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return comm->Port().ClearErrors(errors);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
  if (written != nullptr) *written = 0;
  auto comm = Lookup(file);
  if (!comm) return FALSE;
  if (written == nullptr || overlapped != nullptr || (buffer == nullptr && toWrite != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return comm->Port().Write(buffer, toWrite, written);
}
