#include "ui/window/preview_layout.h"

#include <algorithm>

namespace tessellane {

namespace {
constexpr double kMargin = 40;  // 20 on each side
}

PreviewLayout previewLayout(QSizeF pane, const std::vector<QSize>& clipSizes, long long totalWidth,
                            long long outHeight) {
    PreviewLayout layout;
    const double byWidth = (pane.width() - kMargin) / static_cast<double>(std::max(1LL, totalWidth));
    const double byHeight = (pane.height() - kMargin) / static_cast<double>(std::max(1LL, outHeight));
    // A pane narrower than its margins draws nothing rather than mirrored tiles.
    layout.scale = std::max(0.0, std::min(byWidth, byHeight));

    double rowWidth = 0;
    for (const QSize& size : clipSizes) rowWidth += layout.scale * size.width();
    double x = (pane.width() - rowWidth) / 2;
    for (const QSize& size : clipSizes) {
        const double w = layout.scale * size.width();
        const double h = layout.scale * size.height();
        layout.tiles.emplace_back(x, (pane.height() - h) / 2, w, h);
        x += w;
    }
    return layout;
}

}  // namespace tessellane
