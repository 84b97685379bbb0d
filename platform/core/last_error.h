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

// Maps to a thread_local variable.
DWORD GetLastError();
// Maps to a thread_local variable.
void SetLastError(DWORD error);

// The one place where a Linux errno becomes the code GetLastError reports.
DWORD ErrorFromErrno(int err);
// Sets the last error from errno (or from `err`) and returns FALSE, for the
// common "fail with the system's reason" exit of a layer function.
BOOL FailWithErrno(int err);
