#include "platform/ui/static_window.h"

#include <QLabel>
#include <QPixmap>

#include "platform/ui/gdi_objects.h"
#include "platform/ui/window_zoom.h"

namespace {

// The handheld draws "&x" as an underlined x and "&&" as "&"; a label
// without mnemonics shows the plain characters.
QString WithoutPrefixes(const std::wstring& text) {
  std::wstring shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // The prefix itself is not shown; the character after it is.
    if (text[i] == L'&' && ++i == text.size()) break;
    shown += text[i];
  }
  return QString::fromStdWString(shown);
}

}  // namespace

StaticWindow::StaticWindow(UiWindow* parent, int id, DWORD style, std::wstring text)
    : UiWindow(Kind::Static, parent, id, style, std::move(text)), m_label(new QLabel) {
  m_label->setTextFormat(Qt::PlainText);
  m_label->setWordWrap(false);
  m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_label->setContentsMargins(0, 0, 0, 0);
  m_label->setIndent(0);
  ShowText();
  AdoptWidget(m_label);
}

bool StaticWindow::ShowsImage() const {
  DWORD kind = Style() & SS_TYPEMASK;
  return kind == SS_ICON || kind == SS_BITMAP;
}

LRESULT StaticWindow::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case STM_GETIMAGE:
      if (wParam == IMAGE_ICON) return reinterpret_cast<LRESULT>(m_icon);
      if (wParam == IMAGE_BITMAP) return reinterpret_cast<LRESULT>(m_bitmap);
      return 0;
    case STM_SETIMAGE: {
      if (!ShowsImage()) return 0;
      LRESULT previous = 0;
      if (wParam == IMAGE_ICON) {
        previous = reinterpret_cast<LRESULT>(m_icon);
        m_icon = reinterpret_cast<HICON>(lParam);
      } else if (wParam == IMAGE_BITMAP) {
        previous = reinterpret_cast<LRESULT>(m_bitmap);
        m_bitmap = reinterpret_cast<HBITMAP>(lParam);
      } else {
        return 0;
      }
      m_imageType = wParam;
      if (!ShowImage()) m_label->setPixmap(QPixmap());
      return previous;
    }
    default:
      return UiWindow::DefProc(message, wParam, lParam);
  }
}

void StaticWindow::ApplyZoom() {
  UiWindow::ApplyZoom();
  if (ShowsImage() && m_imageType != 0) ShowImage();
}

// A picture whose image has gone since keeps showing what it showed.
bool StaticWindow::ShowImage() {
  const QImage* image = m_imageType == IMAGE_ICON ? GdiIconImage(m_icon) : GdiBitmapImage(m_bitmap);
  if (image == nullptr) return false;
  const double zoom = Zoom();
  if (zoom == 1.0) {
    m_label->setPixmap(QPixmap::fromImage(*image));
  } else {
    const QSize size(ZoomedCoordinate(image->width(), zoom), ZoomedCoordinate(image->height(), zoom));
    m_label->setPixmap(QPixmap::fromImage(image->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
  }
  return true;
}

void StaticWindow::ShowText() {
  if (!ShowsImage()) m_label->setText(WithoutPrefixes(Text()));
}
