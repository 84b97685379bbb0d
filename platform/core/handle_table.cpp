#include "platform/core/handle_table.h"

#include "platform/core/last_error.h"

#include <mutex>
#include <unordered_map>

namespace {

struct Table {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
  // Handle values step by 4 like the handheld's, starting clear of NULL.
  std::uintptr_t next = 0x100;
};

Table& TheTable() {
  static Table* table = new Table;
  return *table;
}

}  // namespace

KernelObject::~KernelObject() = default;

HANDLE CoreAddHandle(std::shared_ptr<KernelObject> object) {
  Table& table = TheTable();
  std::lock_guard lock(table.lock);
  std::uintptr_t value = table.next;
  table.next += 4;
  table.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> CoreLookupHandle(HANDLE handle, HandleType type) {
  Table& table = TheTable();
  {
    std::lock_guard lock(table.lock);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it != table.objects.end() && it->second->Type() == type) return it->second;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

BOOL CloseHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> object;
  Table& table = TheTable();
  {
    std::lock_guard lock(table.lock);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == table.objects.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    object = std::move(it->second);
    table.objects.erase(it);
  }
  object.reset();
  return TRUE;
}
