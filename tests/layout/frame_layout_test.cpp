#include "layout/frame_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace stridewell {
namespace {

struct PictureCase {
  const char* name;
  int pictureWidth, pictureHeight, clientWidth, clientHeight;
  PixelRect expected;
};

TEST(FrameLayoutTest, BackgroundPictureFitsAndKeepsItsProportions) {
  const PictureCase cases[] = {
      // Room to spare: full size, centred.
      {"fits", 400, 300, 800, 600, {200, 150, 400, 300}},
      {"exact", 400, 300, 400, 300, {0, 0, 400, 300}},
      // Too narrow: the width limits, 4:3 gives 150 high, centred down.
      {"narrow", 400, 300, 200, 300, {0, 75, 200, 150}},
      // Too low: the height limits, 100 high gives 133 wide (cut), centred across.
      {"low", 400, 300, 800, 100, {333, 0, 133, 100}},
      // Too small both ways, the client squarer than the picture: width limits.
      {"both", 400, 200, 100, 100, {0, 25, 100, 50}},
      {"no client", 400, 300, 0, 600, {}},
      {"no picture", 0, 300, 800, 600, {}},
  };
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(backgroundPictureRect(c.pictureWidth, c.pictureHeight, c.clientWidth, c.clientHeight),
              c.expected);
  }
}

TEST(FrameLayoutTest, CascadeStepsWrapsAndNeverShrinksBelowThePicture) {
  const CascadeMetrics m{1000, 800, 16, 20, 320, 240};
  // Three windows: each one scroll-bar width right and one caption down,
  // all two steps smaller than the client.
  EXPECT_EQ(cascadePosition(0, 3, m), (PixelRect{0, 0, 968, 760}));
  EXPECT_EQ(cascadePosition(2, 3, m), (PixelRect{32, 40, 968, 760}));
  // Far down the list the steps wrap around: 61 * 16 = 976 past 1000 - 64,
  // 61 * 20 = 1220 past 800 - 20 + 1.
  const PixelRect late = cascadePosition(61, 64, m);
  EXPECT_EQ(late.left, 976 - 936);
  EXPECT_EQ(late.top, 1220 - 781);
  // 64 windows would leave less than the picture: the picture's size holds.
  EXPECT_EQ(late.width, 320);
  EXPECT_EQ(late.height, 240);
}

TEST(FrameLayoutTest, CascadeInATinyClientStaysAtTheEdges) {
  // Narrower than four scroll bars and lower than a caption: no remainder
  // can be taken, so the windows sit at the edges rather than dividing by
  // zero or by a negative length.
  const CascadeMetrics tiny{50, 10, 16, 20, 320, 240};
  for (int i = 0; i < 5; ++i) {
    const PixelRect rect = cascadePosition(i, 5, tiny);
    EXPECT_EQ(rect.left, 0) << i;
    EXPECT_EQ(rect.top, 0) << i;
    EXPECT_EQ(rect.width, 320) << i;
  }
  const CascadeMetrics exact{64, 19, 16, 20, 10, 10};  // 64 - 4 * 16 == 0, 19 - 20 + 1 == 0
  EXPECT_EQ(cascadePosition(3, 4, exact).left, 0);
  EXPECT_EQ(cascadePosition(3, 4, exact).top, 0);
}

TEST(FrameLayoutTest, ManyWindowsWrapBackToTheTopBeforeLeavingTheClient) {
  // A cancelled run of 25 cards in a 1000 x 650 client: each window
  // 1000 - 24 * 16 = 616 wide, and 650 - 24 * 23 < 260, so picture-high.
  const CascadeMetrics m{1000, 650, 16, 23, 360, 260};
  // 16 * 23 = 368, and 368 + 260 = 628 still fits: the plain step.
  EXPECT_EQ(cascadePosition(16, 25, m), (PixelRect{256, 368, 616, 260}));
  // 17 * 23 = 391 would end at 651: taken around within the 650 - 260 + 1
  // = 391 pixels the window leaves, back to the top.
  EXPECT_EQ(cascadePosition(17, 25, m), (PixelRect{272, 0, 616, 260}));
  // 24 * 23 = 552, less 391.
  EXPECT_EQ(cascadePosition(24, 25, m), (PixelRect{384, 161, 616, 260}));
  // 60 windows leave picture-wide ones: 44 * 16 = 704 would end at 1064,
  // so it goes around within 1000 - 360 + 1 = 641.
  EXPECT_EQ(cascadePosition(44, 60, m).left, 704 - 641);
}

// Where the windows went before they were kept inside: each coordinate
// stepped and taken around the client less four scroll bars, or less one
// caption.
PixelRect steppedPosition(int i, int n, const CascadeMetrics& m) {
  const int across = m.clientWidth - 4 * m.scrollBarWidth;
  const int down = m.clientHeight - m.captionHeight + 1;
  return {across > 0 ? i * m.scrollBarWidth % across : 0, down > 0 ? i * m.captionHeight % down : 0,
          std::max(m.clientWidth - m.scrollBarWidth * (n - 1), m.pictureWidth),
          std::max(m.clientHeight - m.captionHeight * (n - 1), m.pictureHeight)};
}

TEST(FrameLayoutTest, EveryWindowStaysInsideWhateverTheCount) {
  const struct {
    const char* name;
    CascadeMetrics metrics;
  } areas[] = {
      {"smallest frame", {372, 272, 16, 20, 360, 260}}, {"small", {640, 420, 16, 20, 360, 260}},
      {"laptop", {1000, 650, 16, 23, 360, 260}},        {"large", {2500, 1350, 16, 23, 360, 260}},
      {"double scale", {2400, 1700, 32, 46, 720, 520}},
  };
  for (const auto& area : areas) {
    const CascadeMetrics& m = area.metrics;
    for (int n = 1; n <= 60; ++n) {
      PixelRect previous{-1, -1, 0, 0};
      for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(::testing::Message() << area.name << ": window " << i << " of " << n);
        const PixelRect r = cascadePosition(i, n, m);
        const PixelRect stepped = steppedPosition(i, n, m);
        EXPECT_EQ(r.width, stepped.width);
        EXPECT_EQ(r.height, stepped.height);
        // Title bar and window inside the client.
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.left + r.width, m.clientWidth);
        EXPECT_LE(r.top + m.captionHeight, m.clientHeight);
        EXPECT_LE(r.top + r.height, m.clientHeight);
        // Where the stepped place already lies inside, the window stays
        // there; elsewhere it goes back towards the left or top.
        if (stepped.left + stepped.width <= m.clientWidth) {
          EXPECT_EQ(r.left, stepped.left);
        } else {
          EXPECT_LT(r.left, stepped.left);
        }
        if (stepped.top + stepped.height <= m.clientHeight) {
          EXPECT_EQ(r.top, stepped.top);
        } else {
          EXPECT_LT(r.top, stepped.top);
        }
        // No window lands exactly on the one before and hides its title.
        EXPECT_FALSE(r.left == previous.left && r.top == previous.top);
        previous = r;
      }
    }
  }
}

TEST(FrameLayoutTest, TilesCoverTheClientInReportOrder) {
  // Five windows in 900 x 600: three columns (3 * 3 >= 5), two rows; the
  // first row 300 wide each, the last row's two 450 wide.
  EXPECT_EQ(tilePosition(0, 5, 900, 600), (PixelRect{0, 0, 300, 300}));
  EXPECT_EQ(tilePosition(2, 5, 900, 600), (PixelRect{600, 0, 300, 300}));
  EXPECT_EQ(tilePosition(4, 5, 900, 600), (PixelRect{450, 300, 450, 300}));
  EXPECT_EQ(tilePosition(0, 1, 900, 600), (PixelRect{0, 0, 900, 600}));

  const int sizes[][2] = {{372, 272}, {1000, 650}, {1001, 653}, {2500, 1350}};
  for (const auto& size : sizes) {
    const int w = size[0];
    const int h = size[1];
    for (int n = 1; n <= 60; ++n) {
      SCOPED_TRACE(::testing::Message() << w << "x" << h << ", " << n << " windows");
      int64_t covered = 0;
      for (int i = 0; i < n; ++i) {
        const PixelRect r = tilePosition(i, n, w, h);
        EXPECT_GT(r.width, 0) << i;
        EXPECT_GT(r.height, 0) << i;
        EXPECT_GE(r.left, 0) << i;
        EXPECT_GE(r.top, 0) << i;
        EXPECT_LE(r.left + r.width, w) << i;
        EXPECT_LE(r.top + r.height, h) << i;
        covered += int64_t{r.width} * r.height;
        for (int j = i + 1; j < n; ++j) {
          const PixelRect o = tilePosition(j, n, w, h);
          const bool apart = o.left >= r.left + r.width || r.left >= o.left + o.width ||
                             o.top >= r.top + r.height || r.top >= o.top + o.height;
          EXPECT_TRUE(apart) << i << " and " << j;
          // Later windows come to the right in the same row, or lower.
          EXPECT_TRUE(o.top > r.top || (o.top == r.top && o.left > r.left)) << i << " and " << j;
        }
      }
      // Inside, apart and adding up to the whole: the client exactly.
      EXPECT_EQ(covered, int64_t{w} * h);
    }
  }
}

}  // namespace
}  // namespace stridewell
