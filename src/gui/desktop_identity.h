// How the desktop knows the program: the id of its .desktop file (which
// also names its icon, its AppStream file and its Wayland app id), the
// window class under X11 and the window icon every window starts with.
#pragma once

#include <QString>

namespace stridewell::gui {

// The reverse-DNS id the .desktop file, the metainfo and the icons are named after.
inline constexpr char kDesktopId[] = "org.stridewell.Stridewell";

// The window class under X11 (the class part of WM_CLASS, from Qt's
// application name): one word, as window managers and docks expect.
inline constexpr char kWindowClass[] = "Stridewell";

// Sets the application name, the desktop file name and the window icon.
// Call once, after the QApplication is made and before any window is shown.
void setDesktopIdentity();

}  // namespace stridewell::gui
