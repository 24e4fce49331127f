#include "ui/widgets/button_face.h"

#include <QPainterPath>

#include "ui/widgets/palette.h"

namespace tessellane {

void paintButtonFace(QPainter& p, const QRect& rect, const QColor& fill) {
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath face;
    face.addRoundedRect(QRectF(rect), kCornerRadius, kCornerRadius);
    p.fillPath(face, fill);
}

void paintFocusRing(QPainter& p, const QRect& rect) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette::focusRing());
    pen.setWidth(2);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect).adjusted(1, 1, -1, -1), kCornerRadius, kCornerRadius);
    p.restore();
}

}  // namespace tessellane
