// The outline around the control that has the keyboard focus: a frame two
// pixels wide just outside the control, in a colour that stands out on the
// white pages and on the blue title bar. Qt's own focus marks are faint or
// missing on some controls (a drop-down list shows none in some styles).
#pragma once

#include <QFocusFrame>

class FocusOutline final : public QFocusFrame {
 public:
  // Follows the focus among the descendants of `area`, not `area` itself.
  explicit FocusOutline(QWidget* area);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Follow(QWidget* focused);

  QWidget* m_area;
};
