// Where each clip lands on the output frame, in output pixels. The merge's filter graph, the size its result
// is checked against and the window's preview all come from this one computation, so they cannot disagree.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/core/merge_settings.h"

namespace tessellane {

struct PixelRect {
    std::int64_t x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct Tile {
    PixelRect cell;       // the clip's place on the frame
    PixelRect picture;    // where its picture lands: the cell, or centred in it (a fitted grid cell, a clip
                          // of another size that blocks the merge)
    bool scaled = false;  // the picture is scaled to its size, in square pixels

    friend bool operator==(const Tile&, const Tile&) = default;
};

struct LayoutGeometry {
    std::int64_t width = 0, height = 0;  // the output frame
    int columns = 1, rows = 1;
    std::vector<Tile> tiles;  // one per clip, in merge order
    // Clips were scaled to agree: every picture, and so the output, has square pixels.
    bool fitted = false;
    // The output's pixel format needs even sides; fitted pictures, and so a fitted frame, have them.
    bool evenSides = false;

    friend bool operator==(const LayoutGeometry&, const LayoutGeometry&) = default;
};

// The sizes the layout needs are there already: one height (row), one width (column) or one size (grid).
bool sizesAgree(const std::vector<ClipInfo>& clips, Layout layout);

// The width a clip shows at, with its pixel aspect applied (its stored width for square pixels).
double displayWidth(const ClipInfo& clip);

// The frame and the tiles. The first clip sets the measure: its height for a row, its width for a column,
// its size for each grid cell. Where the clips do not agree (in size or pixel aspect) and sizes are fitted,
// each clip that differs is scaled to that measure keeping its shown aspect (inside the cell, centred, for
// a grid), with even sides where the output's pixel format needs them; otherwise every clip keeps its size.
LayoutGeometry layoutGeometry(const std::vector<ClipInfo>& clips, const MergeSettings& settings);

}  // namespace tessellane
