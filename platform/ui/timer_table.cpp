#include "platform/ui/timer_table.h"

#include <algorithm>

long TimerTable::Remaining(const Timer& timer, DWORD now) {
  // The difference as a signed 32-bit value stays right across the wrap.
  return static_cast<long>(static_cast<std::int32_t>(timer.deadline - now));
}

void TimerTable::Set(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc, DWORD now) {
  Kill(window, id);
  m_timers.push_back(Timer{window, id, elapse, proc, now + elapse, m_nextOrder++});
}

bool TimerTable::Kill(HWND window, UINT_PTR id) {
  auto it =
      std::find_if(m_timers.begin(), m_timers.end(), [&](const Timer& t) { return t.window == window && t.id == id; });
  if (it == m_timers.end()) return false;
  m_timers.erase(it);
  return true;
}

void TimerTable::KillAll(HWND window) {
  std::erase_if(m_timers, [&](const Timer& t) { return t.window == window; });
}

bool TimerTable::Has(HWND window, UINT_PTR id) const {
  return std::any_of(m_timers.begin(), m_timers.end(),
                     [&](const Timer& t) { return t.window == window && t.id == id; });
}

std::vector<TimerTable::Fired> TimerTable::Due(DWORD now) {
  std::vector<Timer*> due;
  for (Timer& t : m_timers) {
    if (Remaining(t, now) <= 0) due.push_back(&t);
  }
  std::sort(due.begin(), due.end(), [&](const Timer* a, const Timer* b) {
    long ra = Remaining(*a, now);
    long rb = Remaining(*b, now);
    return ra != rb ? ra < rb : a->order < b->order;
  });
  std::vector<Fired> fired;
  for (Timer* t : due) {
    fired.push_back(Fired{t->window, t->id, t->proc});
    t->deadline = now + t->elapse;
  }
  return fired;
}

bool TimerTable::NextDelay(DWORD now, DWORD& delay) const {
  if (m_timers.empty()) return false;
  long best = Remaining(m_timers.front(), now);
  for (const Timer& t : m_timers) best = std::min(best, Remaining(t, now));
  delay = best <= 0 ? 0 : static_cast<DWORD>(best);
  return true;
}
