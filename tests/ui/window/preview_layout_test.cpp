// Where the preview tiles go, to scale, in panes of every shape.
#include "ui/window/preview_layout.h"

#include <gtest/gtest.h>

namespace tessellane {

TEST(PreviewLayout, TwoFullHdClipsInAThousandBySevenHundredPane) {
    const auto layout = previewLayout({1000, 700}, {{1920, 1080}, {1920, 1080}}, 3840, 1080);
    EXPECT_DOUBLE_EQ(layout.scale, 0.25);
    ASSERT_EQ(layout.tiles.size(), 2u);
    EXPECT_EQ(layout.tiles[0], QRectF(20, 215, 480, 270));
    EXPECT_EQ(layout.tiles[1], QRectF(500, 215, 480, 270));
}

TEST(PreviewLayout, HeightBoundPanesAndShorterClips) {
    // A tall output in a wide pane: the height decides, 20 free above and below.
    const auto tall = previewLayout({1000, 240}, {{100, 200}, {100, 100}}, 200, 200);
    EXPECT_DOUBLE_EQ(tall.scale, 1.0);
    EXPECT_EQ(tall.tiles[0], QRectF(400, 20, 100, 200));
    EXPECT_EQ(tall.tiles[1], QRectF(500, 70, 100, 100));  // shorter clip centred vertically

    // Zero sizes never divide by zero; a pane smaller than its margins draws empty tiles.
    const auto degenerate = previewLayout({30, 30}, {{0, 0}}, 0, 0);
    EXPECT_DOUBLE_EQ(degenerate.scale, 0.0);
    EXPECT_EQ(degenerate.tiles[0].size(), QSizeF(0, 0));
}

}  // namespace tessellane
