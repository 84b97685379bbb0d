#include "platform/ui/accessibility.h"
#include "platform/ui/accessible_widgets.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "platform/ui/ui_window.h"

namespace {

constexpr char kRoleProperty[] = "zelmoraAccessibleRole";

// Gives the widgets that asked for a role of their own an interface with it.
QAccessibleInterface* WidgetWithRole(const QString&, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  const QVariant role = object->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), static_cast<QAccessible::Role>(role.toInt()));
}

// A picture the dialog paints itself: an empty, see-through widget that
// shows where it is and what it is named.
class PictureWindow : public UiWindow {
 public:
  PictureWindow(UiWindow* parent, int id) : UiWindow(Kind::Plain, parent, id, WS_CHILD | WS_VISIBLE, L"") {
    auto* widget = new QWidget;
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    widget->setFocusPolicy(Qt::NoFocus);
    SetAccessibleRole(widget, QAccessible::Graphic);
    AdoptWidget(widget);
  }
};

// A caption's text without its mnemonic marks ends in a colon.
bool IsCaption(const UiWindow& window) {
  if (window.GetKind() != UiWindow::Kind::Static || qobject_cast<QLabel*>(window.Widget()) == nullptr) return false;
  const std::wstring& text = window.Text();
  return !text.empty() && text.back() == L':';
}

// How far `control` stands to the right of `caption` on its line; none when
// it does not.
std::optional<int> GapToTheRight(const RECT& caption, const RECT& control) {
  const bool sameLine = control.top < caption.bottom && caption.top < control.bottom;
  if (!sameLine || control.left < caption.right - 1) return std::nullopt;
  return control.left - caption.right;
}

}  // namespace

BOOL SetWindowAccessibleName(HWND window, LPCWSTR name) {
  UiWindow* ui = UiWindow::FromHandle(window);
  if (ui == nullptr || ui->Widget() == nullptr) return FALSE;
  ui->Widget()->setAccessibleName(name != nullptr ? QString::fromWCharArray(name) : QString());
  return TRUE;
}

BOOL SetWindowAccessibleDescription(HWND window, LPCWSTR description) {
  UiWindow* ui = UiWindow::FromHandle(window);
  if (ui == nullptr || ui->Widget() == nullptr) return FALSE;
  const QString text = description != nullptr ? QString::fromWCharArray(description) : QString();
  if (ui->Widget()->accessibleDescription() != text) ui->Widget()->setAccessibleDescription(text);
  return TRUE;
}

HWND CreateAccessiblePicture(HWND dialog, int id, int x, int y, int cx, int cy) {
  UiWindow* parent = UiWindow::FromHandle(dialog);
  if (parent == nullptr || parent->ChildContainer() == nullptr) return nullptr;
  auto* picture = new PictureWindow(parent, id);
  picture->Move(x, y, cx, cy);
  return picture->Handle();
}

BOOL MoveWindow(HWND window, int x, int y, int cx, int cy, BOOL) {
  UiWindow* ui = UiWindow::FromHandle(window);
  if (ui == nullptr) return FALSE;
  ui->Move(x, y, cx, cy);
  return TRUE;
}

void SetAccessibleRole(QWidget* widget, QAccessible::Role role) {
  // Factories installed later are asked first, so this one comes before the
  // one that makes every plain widget a filler.
  static const bool installed = [] {
    QAccessible::installFactory(&WidgetWithRole);
    return true;
  }();
  (void)installed;
  widget->setProperty(kRoleProperty, static_cast<int>(role));
}

void LabelByCaptions(const std::vector<TemplateControl>& controls) {
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (!IsCaption(*controls[i].window)) continue;
    const TemplateControl* labelled = nullptr;
    int nearest = 0;
    for (std::size_t j : {i + 1, i - 1}) {
      if (j >= controls.size() || IsCaption(*controls[j].window) || controls[j].window->Widget() == nullptr) continue;
      std::optional<int> gap = GapToTheRight(controls[i].rect, controls[j].rect);
      if (gap && (labelled == nullptr || *gap < nearest)) {
        labelled = &controls[j];
        nearest = *gap;
      }
    }
    if (labelled != nullptr) {
      static_cast<QLabel*>(controls[i].window->Widget())->setBuddy(labelled->window->Widget());
    }
  }
}
