// How the clips are put together, beyond which clips and where: their layout, whether sizes and frame rates
// that differ are made to agree, and whose sound is kept. The defaults are the plain side-by-side merge.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>

namespace tessellane {

enum class Layout {
    row,     // side by side, left to right (hstack)
    column,  // one above the other, top to bottom (vstack)
    grid,    // rows of `columns` cells, left to right and top to bottom (xstack)
};

struct MergeSettings {
    Layout layout = Layout::row;
    // Grid only: the cells a row holds; 0 chooses the smallest square that holds every clip.
    int columns = 0;
    // Clips of another size than the layout needs are scaled to it, keeping their aspect.
    bool fitSizes = false;
    // Clips of another frame rate than the first are converted to its rate.
    bool conformRates = false;
    // The clip (by position in the merge order) whose first audio track the output keeps; none: no sound.
    std::optional<std::size_t> audioClip{};

    friend bool operator==(const MergeSettings&, const MergeSettings&) = default;
};

// The columns a grid of `count` clips really has: the chosen number, at most `count`, or for 0 the
// ceiling of the square root of `count`; at least 1.
inline int gridColumns(int chosen, std::size_t count) {
    const auto clips = static_cast<long long>(count);
    long long columns = chosen > 0 ? std::min<long long>(chosen, clips) : 0;
    if (chosen <= 0)
        while (columns * columns < clips) ++columns;
    return static_cast<int>(std::max(1LL, columns));
}

}  // namespace tessellane
