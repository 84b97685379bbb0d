#include "platform/ui/dialog_font.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cmath>
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

int LettersWidthAt12() {
  static const int width = QFontMetrics(DialogFontOfPixels(kPixelsAt96Dpi)).horizontalAdvance(Letters());
  return width;
}

// The pixel size of the font `factor` times the 12-pixel one. Hinting
// rounds glyph advances per size, so the enlarged font may come out a little
// wider than `factor` times the small one; the next smaller size then keeps
// every text inside its enlarged box.
int PixelsAtFactor(double factor) {
  const int limit = static_cast<int>(std::floor(LettersWidthAt12() * factor));
  int size = static_cast<int>(std::floor(kPixelsAt96Dpi * factor + 0.5));
  while (size > 1 && QFontMetrics(DialogFontOfPixels(size)).horizontalAdvance(Letters()) > limit) --size;
  return std::max(size, 1);
}

// Measured once: the fonts do not change while the program runs.
int PixelsAtScale(int scale) {
  if (scale <= 1) return kPixelsAt96Dpi;
  static const int pixels = PixelsAtFactor(2.0);
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

QFont DialogFontAt(int scale, double zoom) {
  if (zoom == 1.0) return DialogFont(scale);
  // A window being resized passes through many zooms; the table starts
  // afresh now and then.
  static std::map<long long, QFont> fonts;
  const double factor = (scale > 1 ? 2.0 : 1.0) * zoom;
  const long long key = std::llround(factor * 4096.0);
  auto found = fonts.find(key);
  if (found != fonts.end()) return found->second;
  if (fonts.size() >= 256) fonts.clear();
  return fonts.emplace(key, DialogFontOfPixels(PixelsAtFactor(factor))).first->second;
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
