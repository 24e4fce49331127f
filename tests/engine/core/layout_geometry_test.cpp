#include "engine/core/layout_geometry.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tessellane {
namespace {

std::string rect(const PixelRect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) + "," +
           std::to_string(r.height);
}

// "WxH" of the frame, then each picture, "*" when scaled and "/cell" where its cell is larger.
std::string described(const LayoutGeometry& geometry) {
    std::string text = std::to_string(geometry.width) + "x" + std::to_string(geometry.height);
    for (const Tile& tile : geometry.tiles) {
        text += ' ';
        text += rect(tile.picture);
        if (tile.scaled) text += '*';
        if (tile.cell != tile.picture) {
            text += '/';
            text += rect(tile.cell);
        }
    }
    return text;
}

// Sizes as "WxH" or "WxH@4:3", all H.264 4:2:0 (even sides) or all ProRes 4:2:2 (any sides).
std::vector<ClipInfo> clips(const std::string& sizes, bool even) {
    std::vector<ClipInfo> out;
    std::istringstream words(sizes);
    for (std::string word; words >> word;) {
        const std::size_t x = word.find('x'), at = word.find('@');
        out.emplace_back("/c/" + std::to_string(out.size()) + ".mov",
                         ClipFields{.codec = even ? "h264" : "prores",
                                    .width = std::stoll(word),
                                    .height = std::stoll(word.substr(x + 1)),
                                    .pixFmt = even ? "yuv420p" : "yuv422p10le",
                                    .pixelAspect = at == std::string::npos ? "" : word.substr(at + 1)});
    }
    return out;
}

// The first clip sets the measure; without fitting every clip keeps its size (a clip that does not fill its
// place, which blocks the merge, is shown centred in it); fitted, each clip that differs is scaled in its
// shown aspect, to even sides where 4:2:0 needs them.
TEST(LayoutGeometry, EveryLayoutWithAndWithoutFitting) {
    const Layout row = Layout::row, column = Layout::column, grid = Layout::grid;
    const struct {
        Layout layout;
        int columns;
        bool fit, even;
        std::string sizes, expected;
    } rows[] = {
        {row, 0, false, true, "64x32 48x32", "112x32 0,0,64,32 64,0,48,32"},
        {row, 0, false, true, "64x32 48x24", "112x32 0,0,64,32 64,4,48,24/64,0,48,32"},
        {row, 0, true, true, "64x32 48x24", "128x32 0,0,64,32 64,0,64,32*"},
        {row, 0, true, true, "64x33 64x32", "126x32 0,0,62,32* 62,0,64,32"},
        {row, 0, true, true, "64x32 64x32@4:3", "150x32 0,0,64,32 64,0,86,32*"},
        {row, 0, true, false, "64x32 31x24", "105x32 0,0,64,32 64,0,41,32*"},
        {row, 0, true, true, "64x32@4:3 64x32@4:3", "128x32 0,0,64,32 64,0,64,32"},
        {column, 0, false, true, "64x32 64x48", "64x80 0,0,64,32 0,32,64,48"},
        {column, 0, true, true, "64x32 32x32 64x16", "64x112 0,0,64,32 0,32,64,64* 0,96,64,16"},
        {grid, 0, false, true, "64x32 64x32 64x32", "128x64 0,0,64,32 64,0,64,32 0,32,64,32"},
        {grid, 0, true, true, "64x32 40x40 64x48",
         "128x64 0,0,64,32 80,0,32,32*/64,0,64,32 10,32,42,32*/0,32,64,32"},
        {grid, 3, false, false, "8x4 8x4 8x4 8x4", "24x8 0,0,8,4 8,0,8,4 16,0,8,4 0,4,8,4"},
        {grid, 5, false, false, "8x4 8x4", "16x4 0,0,8,4 8,0,8,4"},
        {grid, 0, false, false, "8x4 8x4 8x4 8x4 8x4", "24x8 0,0,8,4 8,0,8,4 16,0,8,4 0,4,8,4 8,4,8,4"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sizes);
        const MergeSettings settings{.layout = row.layout, .columns = row.columns, .fitSizes = row.fit};
        EXPECT_EQ(described(layoutGeometry(clips(row.sizes, row.even), settings)), row.expected);
    }
}

}  // namespace
}  // namespace tessellane
