#include "layout/frame_layout.h"

#include <algorithm>
#include <cstdint>

namespace stridewell {

PixelRect backgroundPictureRect(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || clientWidth <= 0 || clientHeight <= 0) return {};
  int width = pictureWidth;
  int height = pictureHeight;
  if (clientWidth < pictureWidth || clientHeight < pictureHeight) {
    // Compare the ratios by cross-multiplying, in 64 bits, so that no
    // rounding decides which side limits the picture.
    const int64_t pictureSpan = int64_t{pictureWidth} * clientHeight;
    const int64_t clientSpan = int64_t{clientWidth} * pictureHeight;
    if (pictureSpan > clientSpan) {
      width = std::min(pictureWidth, clientWidth);
      height = static_cast<int>(int64_t{width} * pictureHeight / pictureWidth);
    } else {
      height = std::min(pictureHeight, clientHeight);
      width = static_cast<int>(int64_t{height} * pictureWidth / pictureHeight);
    }
  }
  return {(clientWidth - width) / 2, (clientHeight - height) / 2, width, height};
}

namespace {

// One coordinate of a window `size` long in a client `extent` long: the
// stepped position where the window still lies wholly inside, else the
// step taken around again within the room the window leaves. A window
// longer than the client keeps the stepped position.
int keepInside(int64_t stepped, int64_t size, int64_t extent) {
  if (size > extent || stepped + size <= extent) return static_cast<int>(stepped);
  return static_cast<int>(stepped % (extent - size + 1));
}

}  // namespace

PixelRect cascadePosition(int index, int count, const CascadeMetrics& m) {
  const int i = std::max(index, 0);
  const int n = std::max(count, 1);
  // The wrap-around lengths; a client too small for them (a zero or
  // negative length) would make the remainder meaningless, so the window
  // then stays at the edge.
  const int64_t across = int64_t{m.clientWidth} - 4 * int64_t{m.scrollBarWidth};
  const int64_t down = int64_t{m.clientHeight} - m.captionHeight + 1;
  const int64_t left = across > 0 ? int64_t{i} * m.scrollBarWidth % across : 0;
  const int64_t top = down > 0 ? int64_t{i} * m.captionHeight % down : 0;
  PixelRect rect;
  rect.width = static_cast<int>(
      std::max<int64_t>(int64_t{m.clientWidth} - int64_t{m.scrollBarWidth} * (n - 1), m.pictureWidth));
  rect.height = static_cast<int>(
      std::max<int64_t>(int64_t{m.clientHeight} - int64_t{m.captionHeight} * (n - 1), m.pictureHeight));
  // Many windows leave each one no smaller than the picture, so the steps
  // alone would carry the later ones (title bar and all) past the right or
  // bottom edge: those go around again from the left or top.
  rect.left = keepInside(left, rect.width, m.clientWidth);
  rect.top = keepInside(top, rect.height, m.clientHeight);
  return rect;
}

PixelRect tilePosition(int index, int count, int clientWidth, int clientHeight) {
  const int n = std::max(count, 1);
  const int i = std::clamp(index, 0, n - 1);
  int columns = 1;
  while (columns * columns < n) ++columns;
  const int rows = (n + columns - 1) / columns;
  const int row = i / columns;
  const int inRow = row == rows - 1 ? n - columns * (rows - 1) : columns;
  const int column = i % columns;
  // Edges from products, so that neighbours share them to the pixel.
  const auto edge = [](int64_t part, int64_t parts, int length) {
    return static_cast<int>(part * std::max(length, 0) / parts);
  };
  const int left = edge(column, inRow, clientWidth);
  const int top = edge(row, rows, clientHeight);
  return {left, top, edge(column + 1, inRow, clientWidth) - left, edge(row + 1, rows, clientHeight) - top};
}

}  // namespace stridewell
