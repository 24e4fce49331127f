// Where the preview draws: the output frame to scale, centred, at least 20 pixels from each edge, with each
// clip's picture where the merge puts it.
#pragma once

#include <QRectF>
#include <QSizeF>
#include <vector>

#include "engine/core/layout_geometry.h"

namespace tessellane {

struct PreviewLayout {
    double scale = 0;
    QRectF frame;               // the whole output frame
    std::vector<QRectF> tiles;  // one picture per clip, in list order
};

// The geometry of the merge plan drawn into a pane (its frame's sides each taken as at least 1 when
// dividing).
PreviewLayout previewLayout(QSizeF pane, const LayoutGeometry& geometry);

}  // namespace tessellane
