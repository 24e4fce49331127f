#include "ui/widgets/choice_button.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include "ui/widgets/button_face.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"

namespace tessellane {

namespace {
constexpr int kInsetX = 8;
constexpr int kHeight = 24;
const QString kArrow = QStringLiteral("\u25BC");  // ▼
}  // namespace

ChoiceButton::ChoiceButton(QWidget* parent) : QAbstractButton(parent), menu_(new QMenu(this)) {
    setFont(uiFont(12));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] {
        fillMenu();
        menu_->popup(mapToGlobal(QPoint(0, height())));
        // From the keyboard the current choice is ready to be taken again or moved from.
        if (hasFocus()) menu_->setActiveAction(menu_->actions().value(current_));
    });
}

void ChoiceButton::fillMenu() {
    menu_->clear();
    const std::vector<Choice> choices = choices_ ? choices_() : std::vector<Choice>();
    for (int i = 0; i < static_cast<int>(choices.size()); ++i) {
        QAction* action = menu_->addAction(choices[static_cast<std::size_t>(i)].text);
        action->setCheckable(true);
        action->setChecked(i == current_);
        action->setEnabled(choices[static_cast<std::size_t>(i)].enabled);
        connect(action, &QAction::triggered, this, [this, i] { emit chosen(i); });
    }
}

QSize ChoiceButton::sizeHint() const {
    return {QFontMetrics(font()).horizontalAdvance(text()) + 40,
            std::max(kHeight, QFontMetrics(font()).height())};
}

QSize ChoiceButton::minimumSizeHint() const { return {0, sizeHint().height()}; }

void ChoiceButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintButtonFace(p, rect(), palette::fieldBG());
    p.setPen(isEnabled() ? palette::text() : palette::dimText());
    const QRect inner = rect().adjusted(kInsetX, 0, -kInsetX, 0);
    p.setFont(uiFont(9));
    const int arrowWidth = QFontMetrics(p.font()).horizontalAdvance(kArrow);
    p.drawText(inner, Qt::AlignRight | Qt::AlignVCenter, kArrow);
    p.setFont(font());
    const QRect textBox = inner.adjusted(0, 0, -arrowWidth - 6, 0);
    p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetrics(font()).elidedText(text(), Qt::ElideMiddle, textBox.width()));
    if (hasFocus()) paintFocusRing(p, rect());
}

void ChoiceButton::keyPressEvent(QKeyEvent* event) {
    // Space, Return, Enter and Alt+Down open the menu, as they do on a combo box.
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if ((plain &&
         (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Down)) ||
        (event->modifiers() == Qt::AltModifier && event->key() == Qt::Key_Down)) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

}  // namespace tessellane
