#include "platform/ui/ui_application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "platform/core/clock.h"
#include "platform/core/network_port.h"
#include "platform/core/window_core.h"

namespace {

std::atomic<bool>& DrainScheduled() {
  static std::atomic<bool> scheduled{false};
  return scheduled;
}

// Swallows the user's input to every window of the program while a busy
// wait runs; Escape and a window's close request mark the wait cancelled.
class BusyInputFilter final : public QObject {
 public:
  bool Cancelled() const { return m_cancelled; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) m_cancelled = true;
        return true;
      case QEvent::Close:
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
          m_cancelled = true;
          event->ignore();
          return true;
        }
        return false;
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TabletPress:
      case QEvent::TabletRelease:
        return true;
      default:
        return false;
    }
  }

 private:
  bool m_cancelled = false;
};

// How long the busy wait sleeps between two looks at the event queue: short
// enough that painting and the cursor feel live.
constexpr DWORD kBusySliceMs = 20;

}  // namespace

void StartMessagePump() {
  // A network port's open on this thread waits with the windows painting.
  SetNetworkOpenWait([](DWORD milliseconds) { return WaitPumpingMessages(milliseconds); });
  CoreSetQueueWaker([] {
    // Called on the posting thread: one queued drain at a time is enough,
    // since a drain takes everything that is waiting.
    if (DrainScheduled().exchange(true)) return;
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
      DrainScheduled() = false;
      return;
    }
    QMetaObject::invokeMethod(app, &DeliverPostedMessages, Qt::QueuedConnection);
  });
}

void DeliverPostedMessages() {
  DrainScheduled() = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

BOOL WaitPumpingMessages(DWORD milliseconds) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) {
    Sleep(milliseconds);
    return TRUE;
  }
  BusyInputFilter filter;
  app->installEventFilter(&filter);
  const DWORD start = GetTickCount();
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    const DWORD elapsed = GetTickCount() - start;
    if (filter.Cancelled() || elapsed >= milliseconds) break;
    Sleep(std::min(milliseconds - elapsed, kBusySliceMs));
  }
  app->removeEventFilter(&filter);
  return filter.Cancelled() ? FALSE : TRUE;
}

void EnsureTestApplication() {
  if (QApplication::instance() != nullptr) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "zelmora-test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  StartMessagePump();
}
