#include "platform/ui/dialog_font.h"

#include <QFontMetrics>
#include <QString>

namespace {

constexpr int kPixelsAt96Dpi = 12;  // 9 points

}  // namespace

QFont DialogFont(int scale) {
  QFont font(QStringLiteral("DejaVu Sans Condensed"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(kPixelsAt96Dpi * scale);
  return font;
}

QFont DrawingFont(int scale) {
  QFont font = DialogFont(scale);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  QFontMetrics metrics(font);
  int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogBaseUnits{(letters / 26 + 1) / 2, metrics.height()};
}
