// What screen readers (AT-SPI through Qt's accessibility bridge) learn of the
// windows beyond their controls' own texts: names and descriptions the
// program gives them, and pictures the dialogs paint themselves. The layer's
// side (roles, captions) is in accessible_widgets.h.
#pragma once

#include "platform/ui/window_api.h"

// Maps to: QWidget::setAccessibleName of the window's widget (an empty name
// gives back the widget's own). FALSE for a window without a widget.
BOOL SetWindowAccessibleName(HWND window, LPCWSTR name);

// Maps to: QWidget::setAccessibleDescription (Qt tells the screen reader of
// the change). Setting the description it has already does nothing.
BOOL SetWindowAccessibleDescription(HWND window, LPCWSTR description);

// Maps to: a child widget of the dialog at (x, y, cx, cy) that paints nothing
// and lets clicks through, so the dialog's own drawing shows where it lies;
// screen readers see an image (QAccessible::Graphic) there. It moves with
// MoveWindow and goes with its dialog. Null for an invalid dialog.
HWND CreateAccessiblePicture(HWND dialog, int id, int x, int y, int cx, int cy);

// Maps to: UiWindow::Move (QWidget::setGeometry) in the parent's client
// coordinates; the repaint flag is not needed (Qt repaints what moved).
BOOL MoveWindow(HWND window, int x, int y, int cx, int cy, BOOL repaint);
