#include "ui/widgets/elided_label.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>

#include "ui/widgets/button_face.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/visible_text.h"
#include "ui/words.h"

namespace tessellane {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent), colour_(palette::text()) {
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setTextColor(colour_);
}

void ElidedLabel::setFullText(const QString& text) {
    if (text == full_ && !shown_.isEmpty()) return;
    full_ = text;
    relayout();
}

void ElidedLabel::setTextColor(const QColor& colour) {
    colour_ = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Text, colour);
    setPalette(pal);
}

void ElidedLabel::setBoxBackground(const QColor& colour) {
    background_ = colour;
    update();
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    if (background_.isValid()) {
        QPainter p(this);
        paintButtonFace(p, rect(), background_);
    }
    QLabel::paintEvent(event);
}

QSize ElidedLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    relayout();
}

void ElidedLabel::relayout() {
    const QMargins m = contentsMargins();
    const int room = width() - m.left() - m.right() - 2 * margin() - 2;
    const QString shown = fontMetrics().elidedText(visibleText(full_), Qt::ElideMiddle, std::max(room, 1));
    if (shown != shown_ || QLabel::text().isEmpty()) {
        shown_ = shown;
        setLabelText(this, shown);
    }
    setToolTip(shown == visibleText(full_) ? QString() : full_);
}

void ElidedLabel::contextMenuEvent(QContextMenuEvent* event) {
    // Copying takes the whole text, not its shortened face.
    QMenu menu(this);
    menu.addAction(words::kCopy, this, [this] { QGuiApplication::clipboard()->setText(full_); });
    menu.exec(event->globalPos());
}

}  // namespace tessellane
