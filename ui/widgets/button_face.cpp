#include "ui/widgets/button_face.h"

#include <QPainterPath>

namespace tessellane {

void paintButtonFace(QPainter& p, const QRect& rect, const QColor& fill) {
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath face;
    face.addRoundedRect(QRectF(rect), kCornerRadius, kCornerRadius);
    p.fillPath(face, fill);
}

}  // namespace tessellane
