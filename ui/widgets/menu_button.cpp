#include "ui/widgets/menu_button.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include "ui/widgets/button_face.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"

namespace tessellane {

namespace {
constexpr int kInsetX = 8;
constexpr int kHeight = 24;
const QString kArrow = QStringLiteral("\u25BC");  // ▼
}  // namespace

MenuButton::MenuButton(QWidget* parent) : QPushButton(parent) {
    setFont(uiFont(12));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setMenu(new QMenu(this));
    connect(menu(), &QMenu::aboutToShow, this, [this] {
        if (!hasFocus()) return;
        // The menu is shown once this returns; its item is made active from inside its event loop.
        QTimer::singleShot(0, menu(), [menu = QPointer<QMenu>(menu()), index = readyIndex()] {
            if (menu && menu->isVisible()) menu->setActiveAction(menu->actions().value(index));
        });
    });
}

QSize MenuButton::sizeHint() const {
    return {QFontMetrics(font()).horizontalAdvance(text()) + 40,
            std::max(kHeight, QFontMetrics(font()).height())};
}

QSize MenuButton::minimumSizeHint() const { return {0, sizeHint().height()}; }

void MenuButton::paintEvent(QPaintEvent*) {
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

void MenuButton::keyPressEvent(QKeyEvent* event) {
    // Space opens the menu by the button's own rule; Return, Enter and the Down keys do so here.
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if ((plain &&
         (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Down)) ||
        (event->modifiers() == Qt::AltModifier && event->key() == Qt::Key_Down)) {
        showMenu();
        return;
    }
    QPushButton::keyPressEvent(event);
}

}  // namespace tessellane
