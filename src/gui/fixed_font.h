// The font of every fixed-pitch text of the desktop program: result
// windows, report viewers and lists whose columns must line up. Which face
// the system's fixed font resolves to depends on the fonts installed, and
// the font database's fixed-pitch flag is no guide (common monospace faces
// go unflagged), so a face is judged by its advances. User-interface
// thread (needs the application's font database).
#pragma once

#include <QFont>
#include <QString>

namespace stridewell::gui {

// True when `font` gives "i", "W", "0" and a blank the same advance, so that
// text in it lines up in columns.
bool alignsColumns(const QFont& font);

// The system fixed font when it lines up columns (alignsColumns), else the
// first known monospace family that does; the system fixed font when none
// does.
QFont fixedPitchFont();

// The same choice starting from `preferred` instead of the system fixed
// font; the family chosen keeps its point size.
QFont fixedPitchFont(const QFont& preferred);

}  // namespace stridewell::gui
