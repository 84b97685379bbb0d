#include "platform/core/message_queue.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>

namespace {

std::unordered_map<DWORD, std::shared_ptr<MessageQueue>>& Queues() {
  static auto* queues = new std::unordered_map<DWORD, std::shared_ptr<MessageQueue>>;
  return *queues;
}

std::atomic<DWORD> g_nextThreadId{0x1000};

// Owns the calling thread's id and removes its queue when the thread ends.
struct ThreadIdentity {
  DWORD id = 0;
  ~ThreadIdentity() {
    if (id == 0) return;
    std::lock_guard lock(KernelLock());
    CoreRemoveThreadQueue(id);
  }
};
thread_local ThreadIdentity t_identity;

bool Matches(const MSG& msg, HWND hwnd, UINT first, UINT last) {
  if (hwnd != nullptr && msg.hwnd != hwnd) return false;
  if (first == 0 && last == 0) return true;
  return msg.message >= first && msg.message <= last;
}

}  // namespace

std::function<void()> MessageQueue::Post(const MSG& msg) {
  m_messages.push_back(msg);
  for (KernelWaiter* waiter : m_waiters) WakeWaiter(*waiter);
  m_waiters.clear();
  return m_waker;
}

bool MessageQueue::Take(MSG* out, HWND hwnd, UINT first, UINT last, bool remove) {
  auto it = std::find_if(m_messages.begin(), m_messages.end(),
                         [&](const MSG& msg) { return Matches(msg, hwnd, first, last); });
  if (it == m_messages.end()) return false;
  *out = *it;
  if (remove) m_messages.erase(it);
  return true;
}

void MessageQueue::Wait(std::unique_lock<std::mutex>& lock) {
  KernelWaiter waiter;
  m_waiters.push_back(&waiter);
  CurrentClock().Block(lock, waiter, INFINITE);
}

DWORD CoreAllocateThreadId() { return g_nextThreadId++; }

std::shared_ptr<MessageQueue> CoreThreadQueue(DWORD id, bool create) {
  auto& queues = Queues();
  auto it = queues.find(id);
  if (it != queues.end()) return it->second;
  if (!create) return nullptr;
  auto queue = std::make_shared<MessageQueue>();
  queues.emplace(id, queue);
  return queue;
}

void CoreRemoveThreadQueue(DWORD id) { Queues().erase(id); }

void CoreAdoptThreadId(DWORD id) { t_identity.id = id; }

DWORD GetCurrentThreadId() {
  if (t_identity.id == 0) t_identity.id = CoreAllocateThreadId();
  return t_identity.id;
}
