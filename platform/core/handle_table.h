// The one table of kernel-like objects (events, threads, serial ports,
// registry keys). Every object carries a type tag, so CloseHandle and the
// typed functions dispatch on it and reject a handle of the wrong kind.
#pragma once

#include "platform/core/win_types.h"

#include <memory>

enum class HandleType { Event, Thread, Comm, RegistryKey };

class KernelObject {
 public:
  explicit KernelObject(HandleType type) : m_type(type) {}
  virtual ~KernelObject();
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;
  HandleType Type() const { return m_type; }

 private:
  HandleType m_type;
};

// Enters `object` in the table and returns its handle: a value never handed
// out before in this process, never NULL nor INVALID_HANDLE_VALUE.
HANDLE CoreAddHandle(std::shared_ptr<KernelObject> object);

// The object behind `handle` when it is open and of `type`; otherwise nullptr
// with the last error set to ERROR_INVALID_HANDLE. The caller's reference
// keeps the object alive through an operation that races a CloseHandle.
std::shared_ptr<KernelObject> CoreLookupHandle(HANDLE handle, HandleType type);

template <class T>
std::shared_ptr<T> CoreLookup(HANDLE handle, HandleType type) {
  return std::static_pointer_cast<T>(CoreLookupHandle(handle, type));
}

// Maps to removing the table entry; the object (an open descriptor, say) is
// released when the last operation using it has finished.
BOOL CloseHandle(HANDLE handle);
