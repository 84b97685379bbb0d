#include "platform/ui/dialog_font.h"

#include <QFontMetrics>
#include <QString>
#include <map>

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

QFont UnsmoothedFontOfPixels(int pixels) {
  QFont font = DialogFontOfPixels(pixels);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

QFont DrawingFontOfScale(int scale) { return UnsmoothedFontOfPixels(kPixelsAt96Dpi * scale); }

// Copies of one font per scale share the font engine it resolved once; a
// font made afresh looks its family up again each time it draws or measures.
QFont CachedFont(std::map<int, QFont>& fonts, int scale, QFont (*make)(int)) {
  auto found = fonts.find(scale);
  if (found == fonts.end()) found = fonts.emplace(scale, make(scale)).first;
  return found->second;
}

}  // namespace

QFont DialogFont(int scale) {
  static std::map<int, QFont> fonts;
  return CachedFont(fonts, scale, [](int s) { return DialogFontOfPixels(PixelsAtScale(s)); });
}

QFont DrawingFont(int scale) {
  static std::map<int, QFont> fonts;
  return CachedFont(fonts, scale, DrawingFontOfScale);
}

QFont DrawingFontOfPixels(int pixels) {
  static std::map<int, QFont> fonts;
  return CachedFont(fonts, pixels, UnsmoothedFontOfPixels);
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
