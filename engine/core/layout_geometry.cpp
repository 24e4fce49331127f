#include "engine/core/layout_geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/core/video_output.h"

namespace tessellane {

namespace {

// "4:3" as 4/3; square pixels (an empty or unreadable text) as 1.
double aspectOf(const ClipInfo& clip) {
    const std::string& text = clip.pixelAspect;
    const std::size_t colon = text.find(':');
    long long num = 0, den = 0;
    if (colon == std::string::npos ||
        std::from_chars(text.data(), text.data() + colon, num).ec != std::errc() ||
        std::from_chars(text.data() + colon + 1, text.data() + text.size(), den).ec != std::errc() ||
        num <= 0 || den <= 0)
        return 1.0;
    return static_cast<double>(num) / static_cast<double>(den);
}

bool square(const ClipInfo& clip) { return aspectOf(clip) == 1.0; }

// The sides the layout measures: a target is never made larger, a scaled side goes to the nearest even.
std::int64_t evenDown(std::int64_t side, bool even) {
    return even ? std::max<std::int64_t>(2, side & ~1) : side;
}
std::int64_t scaledSide(double side, bool even) {
    if (!even) return std::max<std::int64_t>(1, std::llround(side));
    return std::max<std::int64_t>(2, 2 * std::llround(side / 2));
}
bool fits(std::int64_t side, bool even) { return !even || side % 2 == 0; }

// Every clip keeps its size; a clip that does not fill its place is centred in it.
void placeAsTheyAre(const std::vector<ClipInfo>& clips, Layout layout, LayoutGeometry& geometry) {
    const std::int64_t w = clips.front().width, h = clips.front().height;
    std::int64_t along = 0;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const ClipInfo& clip = clips[i];
        Tile tile;
        if (layout == Layout::row) {
            tile.cell = {along, 0, clip.width, h};
            along += clip.width;
        } else if (layout == Layout::column) {
            tile.cell = {0, along, w, clip.height};
            along += clip.height;
        } else {
            const auto column = static_cast<std::int64_t>(i) % geometry.columns;
            const auto row = static_cast<std::int64_t>(i) / geometry.columns;
            tile.cell = {column * w, row * h, w, h};
        }
        tile.picture = {tile.cell.x + (tile.cell.width - clip.width) / 2,
                        tile.cell.y + (tile.cell.height - clip.height) / 2, clip.width, clip.height};
        geometry.tiles.push_back(tile);
    }
    geometry.width = layout == Layout::row ? along : layout == Layout::column ? w : geometry.columns * w;
    geometry.height = layout == Layout::row ? h : layout == Layout::column ? along : geometry.rows * h;
}

// Each clip that differs is scaled to the first clip's shown measure, in square pixels.
void placeFitted(const std::vector<ClipInfo>& clips, Layout layout, LayoutGeometry& geometry) {
    const bool even = geometry.evenSides;
    const std::int64_t cellWidth = evenDown(std::llround(displayWidth(clips.front())), even);
    const std::int64_t cellHeight = evenDown(clips.front().height, even);
    std::int64_t along = 0;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const ClipInfo& clip = clips[i];
        const double shownWidth = displayWidth(clip), height = static_cast<double>(clip.height);
        Tile tile;
        std::int64_t width = clip.width, tall = clip.height;
        if (layout == Layout::row) {
            tile.scaled = clip.height != cellHeight || !square(clip) || !fits(clip.width, even);
            if (tile.scaled) width = scaledSide(shownWidth * cellHeight / height, even), tall = cellHeight;
            tile.cell = {along, 0, width, tall};
            along += width;
        } else if (layout == Layout::column) {
            tile.scaled = clip.width != cellWidth || !square(clip) || !fits(clip.height, even);
            if (tile.scaled) width = cellWidth, tall = scaledSide(height * cellWidth / shownWidth, even);
            tile.cell = {0, along, width, tall};
            along += tall;
        } else {
            tile.scaled = clip.width != cellWidth || clip.height != cellHeight || !square(clip);
            if (tile.scaled) {
                const double scale = std::min(cellWidth / shownWidth, cellHeight / height);
                width = std::min(cellWidth, scaledSide(shownWidth * scale, even));
                tall = std::min(cellHeight, scaledSide(height * scale, even));
            }
            const auto column = static_cast<std::int64_t>(i) % geometry.columns;
            const auto row = static_cast<std::int64_t>(i) / geometry.columns;
            tile.cell = {column * cellWidth, row * cellHeight, cellWidth, cellHeight};
        }
        // Centred in a grid cell: the offsets stay even too, as a 4:2:0 picture can only be placed so.
        std::int64_t left = (tile.cell.width - width) / 2, top = (tile.cell.height - tall) / 2;
        if (even) left -= left % 2, top -= top % 2;
        tile.picture = {tile.cell.x + left, tile.cell.y + top, width, tall};
        geometry.tiles.push_back(tile);
    }
    geometry.width = layout == Layout::row      ? along
                     : layout == Layout::column ? cellWidth
                                                : geometry.columns * cellWidth;
    geometry.height = layout == Layout::row      ? cellHeight
                      : layout == Layout::column ? along
                                                 : geometry.rows * cellHeight;
}

}  // namespace

double displayWidth(const ClipInfo& clip) { return static_cast<double>(clip.width) * aspectOf(clip); }

bool sizesAgree(const std::vector<ClipInfo>& clips, Layout layout) {
    return std::all_of(clips.begin(), clips.end(), [&](const ClipInfo& clip) {
        const bool sameWidth = clip.width == clips.front().width,
                   sameHeight = clip.height == clips.front().height;
        return layout == Layout::row      ? sameHeight
               : layout == Layout::column ? sameWidth
                                          : sameWidth && sameHeight;
    });
}

LayoutGeometry layoutGeometry(const std::vector<ClipInfo>& clips, const MergeSettings& settings) {
    LayoutGeometry geometry;
    if (clips.empty()) return geometry;
    if (settings.layout == Layout::grid) {
        geometry.columns = gridColumns(settings.columns, clips.size());
        geometry.rows = static_cast<int>((clips.size() + geometry.columns - 1) / geometry.columns);
    } else if (settings.layout == Layout::row) {
        geometry.columns = static_cast<int>(clips.size());
    } else {
        geometry.rows = static_cast<int>(clips.size());
    }
    const bool stills =
        std::all_of(clips.begin(), clips.end(), [](const ClipInfo& c) { return c.isImage(); });
    geometry.evenSides = !stills && needsEvenSides(videoOutputFormat(clips.front()).pixFmt);
    const bool agree = sizesAgree(clips, settings.layout) &&
                       std::all_of(clips.begin(), clips.end(), [&](const ClipInfo& clip) {
                           return clip.pixelAspect == clips.front().pixelAspect;
                       });
    geometry.fitted = settings.fitSizes && !agree;
    if (geometry.fitted)
        placeFitted(clips, settings.layout, geometry);
    else
        placeAsTheyAre(clips, settings.layout, geometry);
    return geometry;
}

}  // namespace tessellane
