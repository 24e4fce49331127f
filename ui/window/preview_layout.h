// Where the preview tiles go: the merged frame drawn to scale, centred, at least 20 pixels from each edge.
#pragma once

#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <vector>

namespace tessellane {

struct PreviewLayout {
    double scale = 0;
    std::vector<QRectF> tiles;  // one per clip, left to right
};

// `clipSizes` in list order; totalWidth and outHeight as the model derives them (each taken as at
// least 1 when dividing). Tiles of clips shorter than the output are centred vertically.
PreviewLayout previewLayout(QSizeF pane, const std::vector<QSize>& clipSizes, long long totalWidth,
                            long long outHeight);

}  // namespace tessellane
