// The pictures of the main window, drawn once at start-up: the horse shown
// on the empty frame (and in the About box and as the window icon), the
// tile that fills the rest of the frame, and the printer of the menu bar's
// print item. Drawing them keeps the program free of image files.
#pragma once

#include <QPixmap>

namespace stridewell::gui {

QPixmap horsePicture();       // 360 x 260
QPixmap backgroundPattern();  // a 16 x 16 tile
QPixmap printerPicture();     // 24 x 24

}  // namespace stridewell::gui
