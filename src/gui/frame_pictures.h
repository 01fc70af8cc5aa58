// The pictures of the main window, drawn when needed: the horse shown on
// the empty frame (and in the About box), the tile that fills the rest of
// the frame, and the printer of the menu bar's print item and the result
// windows. Drawing them keeps the program free of image files, and lets
// each be drawn for the screen's device pixel ratio: `ratio` times the
// pixels each way at the same logical size, so that a high-density screen
// gets a sharp picture rather than a blown-up one.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace stridewell::gui {

inline constexpr QSize kHorsePictureSize{360, 260};
inline constexpr QSize kBackgroundTileSize{16, 16};
inline constexpr QSize kPrinterPictureSize{24, 24};

QPixmap horsePicture(qreal ratio = 1.0);
QPixmap backgroundPattern(qreal ratio = 1.0);
QPixmap printerPicture(qreal ratio = 1.0);

// The printer at ratios 1 and 2; the icon picks the one for its screen.
QIcon printerIcon();

// The horse at `width` logical pixels wide, proportions kept, drawn for
// `ratio` (the About box).
QPixmap smallHorsePicture(int width, qreal ratio);

}  // namespace stridewell::gui
