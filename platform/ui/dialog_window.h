// A dialog window (a page): the widget its controls sit in, its screen scale
// (which gives its dialog font and base units),
// and the backing image that window device contexts draw into and the
// widget shows. A new or resized image is white and gets a WM_PAINT before
// it is shown, as an invalidated window does on the handheld. The image is
// in handheld pixels, as everything drawn into it; a zoomed window shows it
// scaled.
#pragma once

#include <QFont>
#include <QImage>

#include "platform/ui/dialog_font.h"
#include "platform/ui/ui_window.h"

class QPainter;

class DialogWindow : public UiWindow {
 public:
  DialogWindow(UiWindow* parent, DWORD style, std::wstring title, int scale);
  ~DialogWindow() override;

  // The backing image at the window's size in handheld pixels.
  QImage& BackingImage();
  // Shows the part `area` (image pixels) of the backing image again, after
  // drawing through a window context; the rest of the window is not
  // repainted.
  void ShowBackingImage(const QRect& area);
  // The widget paints: WM_PAINT first when the image is new, then the image.
  void PaintWidget(QPainter& painter);
  // The widget was shown or resized: its image needs a WM_PAINT.
  void Invalidate();

  // The base units of the dialog's scale (DialogBaseUnitsAt).
  DialogBaseUnits BaseUnits() const;
  // Changes the scale, and with it the font of the dialog and its controls.
  void SetDialogScale(int scale);
  // The font follows the zoom, then the widgets.
  void ApplyZoom() override;

 private:
  QWidget* m_page;
  QImage m_backing;
  int m_scale;
  bool m_invalid = true;
  bool m_painting = false;
};
