#include "layout/frame_layout.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace stridewell
