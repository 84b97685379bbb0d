#include "platform/ui/ui_application.h"

#include <QApplication>
#include <atomic>
#include <cstdlib>

#include "platform/core/window_core.h"

namespace {

std::atomic<bool>& DrainScheduled() {
  static std::atomic<bool> scheduled{false};
  return scheduled;
}

}  // namespace

void StartMessagePump() {
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

void EnsureTestApplication() {
  if (QApplication::instance() != nullptr) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "zelmora-test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  StartMessagePump();
}
