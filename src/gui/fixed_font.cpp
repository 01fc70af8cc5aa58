#include "gui/fixed_font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

namespace stridewell::gui {
namespace {

// Monospace faces that the usual desktop font packages install, best first.
constexpr const char* kMonospaceFamilies[] = {"DejaVu Sans Mono", "Noto Mono", "Liberation Mono",
                                              "Nimbus Mono PS", "Monospace"};

}  // namespace

bool alignsColumns(const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(QLatin1Char('i'));
  if (width <= 0) return false;
  for (const QChar c : {QLatin1Char('W'), QLatin1Char('0'), QLatin1Char(' ')}) {
    if (metrics.horizontalAdvance(c) != width) return false;
  }
  return true;
}

QFont fixedPitchFont() {
  return fixedPitchFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

QFont fixedPitchFont(const QFont& preferred) {
  if (alignsColumns(preferred)) return preferred;
  for (const char* family : kMonospaceFamilies) {
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::Monospace, QFont::PreferMatch);
    font.setFixedPitch(true);
    if (preferred.pointSizeF() > 0) font.setPointSizeF(preferred.pointSizeF());
    // A family that is not installed is replaced by whatever matches; only
    // a face that really lines up counts.
    if (alignsColumns(font)) return font;
  }
  return preferred;
}

}  // namespace stridewell::gui
