#include "platform/ui/dialog_window.h"

#include <QPainter>
#include <QPaintEvent>
#include <QWidget>

namespace {

// The page's widget: hands painting and invalidation to its window.
class PageWidget : public QWidget {
 public:
  explicit PageWidget(DialogWindow* window) : m_window(window) { setAttribute(Qt::WA_OpaquePaintEvent); }
  void Forget() { m_window = nullptr; }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (m_window == nullptr) return;
    QPainter painter(this);
    m_window->PaintWidget(painter);
  }
  void showEvent(QShowEvent*) override {
    if (m_window != nullptr) m_window->Invalidate();
  }
  void resizeEvent(QResizeEvent*) override {
    if (m_window != nullptr) m_window->Invalidate();
  }

 private:
  DialogWindow* m_window;
};

}  // namespace

DialogWindow::DialogWindow(UiWindow* parent, DWORD style, std::wstring title, int scale)
    : UiWindow(Kind::Dialog, parent, 0, style & ~WS_VISIBLE, std::move(title)),
      m_page(new PageWidget(this)),
      m_scale(scale) {
  m_page->hide();
  AdoptWidget(m_page);
  m_page->setFont(DialogFontAt(scale, Zoom()));
}

DialogWindow::~DialogWindow() { static_cast<PageWidget*>(m_page)->Forget(); }

QImage& DialogWindow::BackingImage() {
  // At 1:1 the image is the widget's size, whoever sized the widget; a
  // zoomed window's is its size in handheld pixels.
  const SIZE client = ClientSize();
  const QSize size = Zoom() == 1.0 ? m_page->size() : QSize(client.cx, client.cy);
  if (m_backing.size() != size) {
    m_backing = QImage(size, QImage::Format_RGB32);
    m_backing.fill(Qt::white);
    m_invalid = true;
  }
  return m_backing;
}

void DialogWindow::ShowBackingImage(const QRect& area) {
  if (m_painting || m_backing.isNull()) return;
  const QRect drawn = area.intersected(m_backing.rect());
  if (drawn.isEmpty()) return;
  if (m_page->size() == m_backing.size()) {
    m_page->update(drawn);
    return;
  }
  // Zoomed: the part of the widget the scaled image puts those pixels in,
  // a pixel wider all round for the smoothing that blends neighbours.
  const double sx = m_page->width() / static_cast<double>(m_backing.width());
  const double sy = m_page->height() / static_cast<double>(m_backing.height());
  const QRectF scaled(drawn.x() * sx, drawn.y() * sy, drawn.width() * sx, drawn.height() * sy);
  m_page->update(scaled.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void DialogWindow::PaintWidget(QPainter& painter) {
  BackingImage();
  if (m_invalid) {
    m_invalid = false;
    m_backing.fill(Qt::white);
    HWND self = Handle();
    m_painting = true;
    SendMessageW(self, WM_PAINT, 0, 0);
    if (UiWindow::FromHandle(self) != this) return;
    m_painting = false;
  }
  if (m_page->size() == m_backing.size()) {
    painter.drawImage(0, 0, m_backing);
  } else {
    // Zoomed: the image is scaled to the widget (the paint event's region
    // clips what is drawn).
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(m_page->rect(), m_backing);
  }
}

void DialogWindow::Invalidate() {
  m_invalid = true;
  m_page->update();
}

DialogBaseUnits DialogWindow::BaseUnits() const { return DialogBaseUnitsAt(m_scale); }

void DialogWindow::SetDialogScale(int scale) {
  m_scale = scale;
  m_page->setFont(DialogFontAt(scale, Zoom()));
}

void DialogWindow::ApplyZoom() {
  m_page->setFont(DialogFontAt(m_scale, Zoom()));
  UiWindow::ApplyZoom();
}
