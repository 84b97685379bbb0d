#include "platform/ui/timer_service.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

#include "platform/core/clock.h"
#include "platform/ui/timer_table.h"
#include "platform/ui/window_api.h"

namespace {

TimerTable& Table() {
  static TimerTable table;
  return table;
}

// Wakes the user-interface thread at the earliest deadline; the event loop
// (also a message box's nested one) runs it.
void Reschedule() {
  if (QCoreApplication::instance() == nullptr) return;
  static QTimer* wake = [] {
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, &DeliverDueTimers);
    return timer;
  }();
  DWORD delay = 0;
  if (Table().NextDelay(GetTickCount(), delay)) {
    wake->start(static_cast<int>(std::min<DWORD>(delay, 0x7FFFFFFF)));
  } else {
    wake->stop();
  }
}

}  // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (!IsWindow(window)) return 0;
  Table().Set(window, id, elapse, proc, GetTickCount());
  Reschedule();
  return id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  BOOL killed = Table().Kill(window, id) ? TRUE : FALSE;
  Reschedule();
  return killed;
}

void KillWindowTimers(HWND window) {
  Table().KillAll(window);
  Reschedule();
}

void DeliverDueTimers() {
  DWORD now = GetTickCount();
  for (const TimerTable::Fired& fired : Table().Due(now)) {
    // An earlier handler may have killed this one.
    if (!Table().Has(fired.window, fired.id)) continue;
    if (fired.proc != nullptr) {
      fired.proc(fired.window, WM_TIMER, fired.id, now);
    } else {
      SendMessageW(fired.window, WM_TIMER, fired.id, 0);
    }
  }
  Reschedule();
}
