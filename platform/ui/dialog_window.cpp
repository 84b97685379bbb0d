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
  m_page->setFont(DialogFont(scale));
  m_page->hide();
  AdoptWidget(m_page);
}

DialogWindow::~DialogWindow() { static_cast<PageWidget*>(m_page)->Forget(); }

QImage& DialogWindow::BackingImage() {
  QSize size = m_page->size();
  if (m_backing.size() != size) {
    m_backing = QImage(size, QImage::Format_RGB32);
    m_backing.fill(Qt::white);
    m_invalid = true;
  }
  return m_backing;
}

void DialogWindow::ShowBackingImage() {
  if (!m_painting) m_page->update();
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
  painter.drawImage(0, 0, m_backing);
}

void DialogWindow::Invalidate() {
  m_invalid = true;
  m_page->update();
}

DialogBaseUnits DialogWindow::BaseUnits() const { return DialogBaseUnitsAt(m_scale); }

void DialogWindow::SetDialogScale(int scale) {
  m_scale = scale;
  m_page->setFont(DialogFont(scale));
}
