// The calling thread's last-error code, as the handheld's kernel keeps it.
#pragma once

#include "platform/core/win_types.h"

// Error codes the layer reports beyond the base ones in win_types.h.
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_IO_DEVICE = 1117;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;
constexpr DWORD ERROR_BAD_PATHNAME = 161;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr DWORD ERROR_OPERATION_ABORTED = 995;
// What a network source's open and writes meet (network_port.h).
constexpr DWORD ERROR_WRITE_PROTECT = 19;  // a read-only source refused a write
constexpr DWORD ERROR_DEV_NOT_EXIST = 55;  // gpsd has no such device
constexpr DWORD ERROR_BAD_NET_RESP = 58;   // the server does not speak gpsd's protocol
constexpr DWORD ERROR_CONNECTION_REFUSED = 1225;
constexpr DWORD ERROR_HOST_UNREACHABLE = 1232;
constexpr DWORD WSAHOST_NOT_FOUND = 11001;              // no such host
constexpr DWORD ERROR_AMBIGUOUS_SYSTEM_DEVICE = 15250;  // gpsd has several devices and none was named

// Maps to a thread_local variable.
DWORD GetLastError();
// Maps to a thread_local variable.
void SetLastError(DWORD error);

// The one place where a Linux errno becomes the code GetLastError reports.
DWORD ErrorFromErrno(int err);
// Sets the last error from errno (or from `err`) and returns FALSE, for the
// common "fail with the system's reason" exit of a layer function.
BOOL FailWithErrno(int err);
