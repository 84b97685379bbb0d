// The window timers as a table of deadlines on the tick count: setting a
// timer (again) restarts its delay; a due timer fires once per call of Due
// and is due again one period later. Tick counts wrap as a DWORD.
#pragma once

#include <vector>

#include "platform/ui/ui_types.h"

class TimerTable {
 public:
  struct Fired {
    HWND window;
    UINT_PTR id;
    TIMERPROC proc;  // called instead of WM_TIMER when set
  };

  void Set(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc, DWORD now);
  bool Kill(HWND window, UINT_PTR id);
  void KillAll(HWND window);
  bool Has(HWND window, UINT_PTR id) const;
  // The timers due at `now`, earliest deadline first (ties in the order they
  // were set); each is re-armed one period after `now`.
  std::vector<Fired> Due(DWORD now);
  // Milliseconds from `now` to the earliest deadline (0 when overdue);
  // false when there is no timer.
  bool NextDelay(DWORD now, DWORD& delay) const;

 private:
  struct Timer {
    HWND window;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    DWORD deadline;
    unsigned long long order;
  };
  static long Remaining(const Timer& timer, DWORD now);

  std::vector<Timer> m_timers;
  unsigned long long m_nextOrder = 0;
};
