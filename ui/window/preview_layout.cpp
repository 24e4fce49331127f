#include "ui/window/preview_layout.h"

#include <algorithm>

namespace tessellane {

namespace {
constexpr double kMargin = 40;  // 20 on each side
}

PreviewLayout previewLayout(QSizeF pane, const LayoutGeometry& geometry) {
    PreviewLayout layout;
    const auto width = static_cast<double>(std::max<std::int64_t>(1, geometry.width));
    const auto height = static_cast<double>(std::max<std::int64_t>(1, geometry.height));
    // A pane narrower than its margins draws nothing rather than mirrored tiles.
    layout.scale =
        std::max(0.0, std::min((pane.width() - kMargin) / width, (pane.height() - kMargin) / height));
    const double s = layout.scale;
    layout.frame = QRectF((pane.width() - s * static_cast<double>(geometry.width)) / 2,
                          (pane.height() - s * static_cast<double>(geometry.height)) / 2,
                          s * static_cast<double>(geometry.width), s * static_cast<double>(geometry.height));
    for (const Tile& tile : geometry.tiles) {
        const PixelRect& p = tile.picture;
        layout.tiles.emplace_back(layout.frame.x() + s * static_cast<double>(p.x),
                                  layout.frame.y() + s * static_cast<double>(p.y),
                                  s * static_cast<double>(p.width), s * static_cast<double>(p.height));
    }
    return layout;
}

}  // namespace tessellane
