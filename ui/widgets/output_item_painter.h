// The two-line entry used for the footer of the clip list and for each finished output:
// "»", then the name (one line, shortened in the middle) and the detail (wrapped).
#pragma once

#include <QPainter>
#include <QRect>
#include <QString>

namespace tessellane {

// Height of the entry when drawn `width` pixels wide.
int outputItemHeight(const QString& detail, int width);

void paintOutputItem(QPainter& painter, const QRect& rect, const QString& name, const QString& detail);

}  // namespace tessellane
