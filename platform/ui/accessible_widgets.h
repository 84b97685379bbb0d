// The layer's side of accessibility: roles for its own widgets and the
// captions that label a dialog's controls.
#pragma once

#include <QAccessible>
#include <vector>

#include "platform/ui/ui_types.h"

class QWidget;
class UiWindow;

// Gives `widget` the role `role` for screen readers (a plain QWidget is a
// "filler"), with Qt's usual texts and relations.
void SetAccessibleRole(QWidget* widget, QAccessible::Role role);

// A dialog's controls in template order with their template rectangles. A
// static text ending in a colon is a caption; it labels the control that
// stands next to it in the template (the one after it, as in a Win32 dialog,
// or the one before it) and to its right on the same line, the nearer when
// both do (QLabel::setBuddy, which screen readers read as "labelled by").
struct TemplateControl {
  UiWindow* window;
  RECT rect;
};
void LabelByCaptions(const std::vector<TemplateControl>& controls);
