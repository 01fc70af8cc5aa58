// The font of every fixed-pitch text of the desktop program: result
// windows, report viewers and lists whose columns must line up. The
// system's fixed font is not enough on its own: with some common font sets
// installed it resolves to a face whose letters differ in width. User-
// interface thread (needs the application's font database).
#pragma once

#include <QFont>
#include <QString>

namespace stridewell::gui {

// True when `font` gives "i", "W", "0" and a blank the same advance, so that
// text in it lines up in columns.
bool alignsColumns(const QFont& font);

// The first of the system fixed font and the known monospace families that
// lines up columns (alignsColumns); the system fixed font when none does.
// Keeps the system fixed font's point size.
QFont fixedPitchFont();

}  // namespace stridewell::gui
