#include "ui/widgets/alley_button.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"

namespace tessellane {

namespace {
constexpr int kMinHeight = 34;
}

AlleyButton::AlleyButton(QWidget* parent) : QAbstractButton(parent) {
    setFont(uiFont(13, QFont::DemiBold));
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize AlleyButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 20, std::max(kMinHeight, fm.height() + 8)};
}

QSize AlleyButton::minimumSizeHint() const { return {0, sizeHint().height()}; }

void AlleyButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath face;
    face.addRoundedRect(QRectF(rect()), 2, 2);
    p.fillPath(face, isEnabled() ? palette::cyan() : palette::fromHex(0x23292D));
    p.setPen(isEnabled() ? QColor(Qt::white) : palette::dimText());
    p.setFont(font());
    drawTextLine(p, rect(), Qt::AlignCenter, text());
}

}  // namespace tessellane
