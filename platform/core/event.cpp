#include "platform/core/event.h"

#include "platform/core/last_error.h"
#include "platform/core/waitable_object.h"

namespace {

std::shared_ptr<WaitableObject> LookupWaitable(HANDLE handle) {
  if (auto event = CoreLookup<WaitableObject>(handle, HandleType::Event)) return event;
  return CoreLookup<WaitableObject>(handle, HandleType::Thread);
}

}  // namespace

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  if (name != nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  return CoreAddHandle(
      std::make_shared<WaitableObject>(HandleType::Event, manualReset != FALSE, initialState != FALSE));
}

BOOL EventModify(HANDLE handle, DWORD function) {
  auto event = CoreLookup<WaitableObject>(handle, HandleType::Event);
  if (!event) return FALSE;
  switch (function) {
    case EVENT_SET:
      event->Set();
      return TRUE;
    case EVENT_RESET:
      event->Reset();
      return TRUE;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto object = LookupWaitable(handle);
  if (!object) return WAIT_FAILED;
  return object->Wait(milliseconds);
}
