// The geometry of the desktop program's main window, kept free of any
// window toolkit so that it can be tested alone: where the background
// picture goes in the client area and where each result window of a
// handicap run is placed (the cascade). All values are pixels.
#pragma once

namespace stridewell {

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const PixelRect&) const = default;
};

// The picture centred in the client area: at full size when it fits, else
// scaled down with its proportions kept so that it fits both ways. A
// picture or client without area gives an empty rectangle.
PixelRect backgroundPictureRect(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight);

struct CascadeMetrics {
  int clientWidth = 0;
  int clientHeight = 0;
  int scrollBarWidth = 0;  // the system's horizontal scroll-bar width
  int captionHeight = 0;   // the height of a window caption
  int pictureWidth = 0;    // the background picture: the smallest window size
  int pictureHeight = 0;
};

// Result window `index` (from 0) of `count` windows opened by one run:
// each one step right and down from the one before, wrapping around before
// it leaves the client area, all as large as the cascade leaves room for
// but never smaller than the background picture. A window that fits in the
// client always lies wholly inside it, title bar and all, whatever the
// count. A client too small for the wrap-around keeps every window at the
// left or top edge.
PixelRect cascadePosition(int index, int count, const CascadeMetrics& metrics);

// Window `index` (from 0) of `count` tiled over the client: as many
// columns as the square root of the count (rounded up) and the rows they
// need, in order left to right and top to bottom; the last row's windows
// share its whole width, so that the tiles cover the client exactly.
PixelRect tilePosition(int index, int count, int clientWidth, int clientHeight);

}  // namespace stridewell
