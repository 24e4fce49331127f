// The entry used for the footer of the clip list and for each finished output: "»", then the name (one
// line, shortened in the middle), the detail (wrapped) and, for a finished output, its folder (one dim
// line, shortened in the middle).
#pragma once

#include <QPainter>
#include <QRect>
#include <QString>

namespace tessellane {

// Height of the entry when drawn `width` pixels wide; an empty `folder` takes no line.
int outputItemHeight(const QString& detail, int width, const QString& folder = {});

void paintOutputItem(QPainter& painter, const QRect& rect, const QString& name, const QString& detail,
                     const QString& folder = {});

}  // namespace tessellane
