// A bare Qt window doing what the raw box must do at 1 Hz, and nothing else:
// five times a second (the reader's 200 ms polls) it scrolls a 436x281 box
// by one line and draws the new line. bench/whole_process/run measures it
// beside Zelmora, so that the box's cost can be read against what the
// toolkit and the X server cost for the same pixels on the same machine.
//
// usage: qt_floor [timer|scroll|page]   timer: the timer alone; scroll
// (default): the timer, the scroll and the line; page: the timer and every
// line of the box drawn anew, as at 10 Hz, where each poll brings more lines
// than the box shows
#include <QApplication>
#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstring>

namespace {

class Box final : public QWidget {
 public:
  explicit Box(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
  int line = 0;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().base());
    // Lines of 27 pixels from the bottom up, as many as the repainted area
    // holds; each tick numbers them anew, so each is shaped anew.
    for (int y = height() - 8, n = line; y > event->rect().top(); y -= 27, --n) {
      painter.drawText(QPoint(4, y),
                       QStringLiteral("$GPGGA,%1.00,4531.3891,N,12240.5480,W,1,08,1.0,61.7,M,55.2,M,,*7E").arg(n));
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const char* mode = argc < 2 ? "scroll" : argv[1];
  const bool scroll = std::strcmp(mode, "scroll") == 0;
  const bool page = std::strcmp(mode, "page") == 0;
  QWidget window;
  window.setWindowTitle(QStringLiteral("qt_floor"));
  window.resize(480, 640);
  Box box(&window);
  box.setGeometry(15, 197, 436, 281);
  QFont font = box.font();
  font.setPixelSize(20);
  box.setFont(font);
  window.show();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    ++box.line;
    if (scroll) box.scroll(0, -27);
    if (page) box.update();
  });
  poll.start(200);
  return QApplication::exec();
}
