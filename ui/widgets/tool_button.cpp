#include "ui/widgets/tool_button.h"

#include <QPainter>

#include "ui/widgets/button_face.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"

namespace tessellane {

namespace {
constexpr int kPadX = 10;
constexpr int kPadY = 4;
}  // namespace

ToolButton::ToolButton(const QString& label, QWidget* parent) : QAbstractButton(parent) {
    setText(label);
    setFont(uiFont(12));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToolButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 2 * kPadX, fm.height() + 2 * kPadY};
}

void ToolButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintButtonFace(p, rect(), palette::fieldBG());
    p.setPen(isEnabled() ? palette::text() : palette::dimText());
    p.setFont(font());
    p.drawText(rect().adjusted(kPadX, kPadY, -kPadX, -kPadY), Qt::AlignCenter, text());
}

}  // namespace tessellane
