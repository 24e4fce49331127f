// Where the preview tiles go, to scale, in panes of every shape.
#include "ui/window/preview_layout.h"

#include <gtest/gtest.h>

namespace tessellane {

TEST(PreviewLayout, TilesToScaleCentredAndNeverADivisionByZero) {
    const auto wide = previewLayout({1000, 700}, {{1920, 1080}, {1920, 1080}}, 3840, 1080);
    EXPECT_DOUBLE_EQ(wide.scale, 0.25);
    EXPECT_EQ(wide.tiles, (std::vector<QRectF>{{20, 215, 480, 270}, {500, 215, 480, 270}}));
    // A tall output in a wide pane: the height decides, 20 free above and below; the shorter clip is centred.
    const auto tall = previewLayout({1000, 240}, {{100, 200}, {100, 100}}, 200, 200);
    EXPECT_EQ(tall.tiles, (std::vector<QRectF>{{400, 20, 100, 200}, {500, 70, 100, 100}}));
    const auto empty = previewLayout({30, 30}, {{0, 0}}, 0, 0);
    EXPECT_EQ(empty.scale, 0.0);
    EXPECT_EQ(empty.tiles, (std::vector<QRectF>{{15, 15, 0, 0}}));  // an empty tile in the middle
}

}  // namespace tessellane
