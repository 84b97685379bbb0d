// Events and waits, as the handheld's kernel offers them.
#pragma once

#include "platform/core/handle_table.h"
#include "platform/core/win_types.h"

constexpr DWORD EVENT_RESET = 2;
constexpr DWORD EVENT_SET = 3;

// Maps to a WaitableObject in the handle table; unnamed events only (a name
// fails with ERROR_NOT_SUPPORTED).
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
// Maps to WaitableObject::Set (EVENT_SET) or Reset (EVENT_RESET).
BOOL EventModify(HANDLE event, DWORD function);
inline BOOL SetEvent(HANDLE event) { return EventModify(event, EVENT_SET); }
inline BOOL ResetEvent(HANDLE event) { return EventModify(event, EVENT_RESET); }
// Maps to a condition-variable wait on the clock in force; works on event
// and thread handles. WAIT_FAILED (last error set) for any other handle.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
