#include "ui/widgets/tool_button.h"

#include <QKeyEvent>
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
    // The keyboard reaches it with Tab; a click leaves the keyboard where it was.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToolButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 2 * kPadX, fm.height() + 2 * kPadY};
}

QColor ToolButton::faceColour() const { return palette::fieldBG(); }

void ToolButton::drawLabel(QPainter& p) const {
    p.drawText(rect().adjusted(kPadX, kPadY, -kPadX, -kPadY), Qt::AlignCenter, text());
}

void ToolButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintButtonFace(p, rect(), faceColour());
    p.setPen(isEnabled() ? palette::text() : palette::dimText());
    p.setFont(font());
    drawLabel(p);
    if (hasFocus()) paintFocusRing(p, rect());
}

void ToolButton::keyPressEvent(QKeyEvent* event) {
    // Return and Enter press a focused button as Space does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

}  // namespace tessellane
