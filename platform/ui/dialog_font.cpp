#include "platform/ui/dialog_font.h"

#include <QFontMetrics>
#include <QString>

namespace {

constexpr int kPixelsAt96Dpi = 12;  // 9 points

const QString& Letters() {
  static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return letters;
}

QFont DialogFontOfPixels(int pixels) {
  QFont font(QStringLiteral("DejaVu Sans Condensed"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  return font;
}

// Hinting rounds glyph advances per size, so the doubled font may come out a
// little wider than twice the small one; the next smaller size then keeps
// every text inside its doubled box. Measured once: the fonts do not change
// while the program runs.
int PixelsAtScale(int scale) {
  if (scale <= 1) return kPixelsAt96Dpi;
  static const int pixels = [] {
    int limit = QFontMetrics(DialogFontOfPixels(kPixelsAt96Dpi)).horizontalAdvance(Letters()) * 2;
    int size = kPixelsAt96Dpi * 2;
    while (size > kPixelsAt96Dpi && QFontMetrics(DialogFontOfPixels(size)).horizontalAdvance(Letters()) > limit) {
      --size;
    }
    return size;
  }();
  return pixels;
}

}  // namespace

QFont DialogFont(int scale) { return DialogFontOfPixels(PixelsAtScale(scale)); }

QFont DrawingFont(int scale) {
  QFont font = DialogFontOfPixels(kPixelsAt96Dpi * scale);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  QFontMetrics metrics(font);
  int letters = metrics.horizontalAdvance(Letters());
  return DialogBaseUnits{(letters / 26 + 1) / 2, metrics.height()};
}

DialogBaseUnits DialogBaseUnitsAt(int scale) {
  static const DialogBaseUnits single = BaseUnitsOf(DialogFont(1));
  int factor = scale > 1 ? 2 : 1;
  return DialogBaseUnits{single.cx * factor, single.cy * factor};
}
