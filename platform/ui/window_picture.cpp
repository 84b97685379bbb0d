#include "platform/ui/window_picture.h"

#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QWidget>

#include "platform/ui/ui_window.h"

bool SaveWindowPicture(HWND window, const std::string& path) {
  UiWindow* object = UiWindow::FromHandle(window);
  QWidget* widget = object != nullptr ? object->Widget() : nullptr;
  if (widget == nullptr) return false;
  QString file = QString::fromStdString(path);
  if (!QDir().mkpath(QFileInfo(file).absolutePath())) return false;
  return widget->grab().save(file, "PNG");
}
