#include "ui/widgets/merge_button.h"

#include <QKeyEvent>
#include <QPainter>

#include "ui/widgets/button_face.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"

namespace tessellane {

namespace {
constexpr int kMinHeight = 34;
}

MergeButton::MergeButton(QWidget* parent) : QAbstractButton(parent) {
    setFont(uiFont(13, QFont::DemiBold));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize MergeButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 20, std::max(kMinHeight, fm.height() + 8)};
}

QSize MergeButton::minimumSizeHint() const { return {0, sizeHint().height()}; }

void MergeButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintButtonFace(p, rect(), isEnabled() ? palette::accent() : palette::idleBG());
    p.setPen(isEnabled() ? palette::text() : palette::dimText());
    p.setFont(font());
    drawTextLine(p, rect(), Qt::AlignCenter, text());
    if (hasFocus()) paintFocusRing(p, rect());
}

void MergeButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

}  // namespace tessellane
