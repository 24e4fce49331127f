// Where the preview tiles go, to scale, in panes of every shape and for every layout.
#include "ui/window/preview_layout.h"

#include <gtest/gtest.h>

namespace tessellane {

namespace {

LayoutGeometry geometryOf(const std::vector<std::pair<int, int>>& sizes, const MergeSettings& settings = {}) {
    std::vector<ClipInfo> clips;
    for (const auto& [width, height] : sizes)
        clips.emplace_back(
            "/c/" + std::to_string(clips.size()) + ".mov",
            ClipFields{.codec = "prores", .width = width, .height = height, .pixFmt = "yuv422p10le"});
    return layoutGeometry(clips, settings);
}

}  // namespace

TEST(PreviewLayout, TheFrameToScaleCentredWithEachPictureWhereTheMergePutsIt) {
    const auto wide = previewLayout({1000, 700}, geometryOf({{1920, 1080}, {1920, 1080}}));
    EXPECT_DOUBLE_EQ(wide.scale, 0.25);
    EXPECT_EQ(wide.tiles, (std::vector<QRectF>{{20, 215, 480, 270}, {500, 215, 480, 270}}));
    // A tall output in a wide pane: the height decides, 20 free above and below; the shorter clip is centred.
    const auto tall = previewLayout({1000, 240}, geometryOf({{100, 200}, {100, 100}}));
    EXPECT_EQ(tall.tiles, (std::vector<QRectF>{{400, 20, 100, 200}, {500, 70, 100, 100}}));
    // Three in a grid of two columns, fitted: the 4:3 clip sits in its cell with black beside it, the last
    // row is short, and the frame is two cells by two.
    const auto grid = previewLayout({440, 130}, geometryOf({{160, 90}, {120, 90}, {160, 90}},
                                                           {.layout = Layout::grid, .fitSizes = true}));
    EXPECT_DOUBLE_EQ(grid.scale, 0.5);
    EXPECT_EQ(grid.frame, QRectF(140, 20, 160, 90));
    EXPECT_EQ(grid.tiles, (std::vector<QRectF>{{140, 20, 80, 45}, {230, 20, 60, 45}, {140, 65, 80, 45}}));
    const auto column = previewLayout(
        {200, 440}, geometryOf({{160, 90}, {80, 90}}, {.layout = Layout::column, .fitSizes = true}));
    EXPECT_EQ(column.tiles, (std::vector<QRectF>{{20, 85, 160, 90}, {20, 175, 160, 180}}));
    const auto empty = previewLayout({30, 30}, geometryOf({{0, 0}}));
    EXPECT_EQ(empty.scale, 0.0);
    EXPECT_EQ(empty.tiles, (std::vector<QRectF>{{15, 15, 0, 0}}));  // an empty tile in the middle
}

}  // namespace tessellane
