#include "platform/ui/focus_outline.h"

#include <QApplication>
#include <QPainter>

namespace {

const QColor kOutline{0xff, 0x8c, 0x00};
constexpr int kWidth = 2;

}  // namespace

// A focus frame is left out of the accessible tree, as it should be: it is
// no control of its own.
FocusOutline::FocusOutline(QWidget* area) : QFocusFrame(area), m_area(area) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { Follow(now); });
  Follow(QApplication::focusWidget());
}

void FocusOutline::Follow(QWidget* focused) {
  if (focused != nullptr && focused != m_area && m_area->isAncestorOf(focused)) {
    setWidget(focused);
  } else {
    setWidget(nullptr);
    hide();
  }
}

void FocusOutline::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(kOutline, kWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(rect()).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
}
