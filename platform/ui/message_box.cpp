#include "platform/ui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include "platform/ui/ui_window.h"
#include "platform/ui/window_zoom.h"

namespace {

struct MessageBoxes {
  MessageBoxAnswerer answerer;
  std::vector<MessageBoxRecord> shown;
};

MessageBoxes& Boxes() {
  static MessageBoxes boxes;
  return boxes;
}

QMessageBox::Icon IconOf(UINT icon) {
  switch (icon) {
    case MB_ICONHAND:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONASTERISK:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QStyle::StandardPixmap PixmapOf(QMessageBox::Icon icon) {
  switch (icon) {
    case QMessageBox::Critical:
      return QStyle::SP_MessageBoxCritical;
    case QMessageBox::Question:
      return QStyle::SP_MessageBoxQuestion;
    case QMessageBox::Warning:
      return QStyle::SP_MessageBoxWarning;
    default:
      return QStyle::SP_MessageBoxInformation;
  }
}

// A box over a zoomed window is zoomed with it: its font and its icon.
void ZoomBox(QMessageBox& box, double zoom) {
  if (zoom == 1.0) return;
  box.setFont(ZoomedFont(box.font(), zoom));
  if (box.icon() == QMessageBox::NoIcon) return;
  const int side = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
  box.setIconPixmap(
      box.style()->standardIcon(PixmapOf(box.icon()), nullptr, &box).pixmap(ZoomedCoordinate(side, zoom)));
}

// The top-level widget of the owner (or the application's active window),
// so that the box stays over the sheet.
QWidget* OwnerWidget(HWND owner) {
  UiWindow* window = UiWindow::FromHandle(owner);
  QWidget* widget = window != nullptr ? window->Widget() : nullptr;
  if (widget != nullptr) return widget->window();
  return QApplication::activeWindow();
}

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  MessageBoxRecord record{text != nullptr ? text : L"", caption != nullptr ? caption : L"Error", type & MB_ICONMASK,
                          type & MB_TYPEMASK};
  MessageBoxes& boxes = Boxes();
  boxes.shown.push_back(record);
  if (boxes.answerer) {
    MessageBoxAnswerer answerer = boxes.answerer;
    return answerer(record);
  }
  if (QApplication::instance() == nullptr) return 0;

  QWidget* parent = OwnerWidget(owner);
  QMessageBox box(IconOf(record.icon), QString::fromStdWString(record.caption), QString::fromStdWString(record.text),
                  QMessageBox::NoButton, parent);
  ZoomBox(box, WindowZoom(parent));
  int escape = IDOK;
  switch (record.buttons) {
    case MB_YESNO:
      box.addButton(QMessageBox::Yes);
      box.addButton(QMessageBox::No);
      escape = IDNO;
      break;
    case MB_OKCANCEL:
      box.addButton(QMessageBox::Ok);
      box.addButton(QMessageBox::Cancel);
      escape = IDCANCEL;
      break;
    default:
      box.addButton(QMessageBox::Ok);
      break;
  }
  box.exec();
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Cancel:
      return IDCANCEL;
    default:
      return escape;
  }
}

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) { Boxes().answerer = std::move(answerer); }

const std::vector<MessageBoxRecord>& MessageBoxesShown() { return Boxes().shown; }

void ClearMessageBoxesShown() { Boxes().shown.clear(); }
