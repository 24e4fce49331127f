#include "ui/widgets/folder_menu_button.h"

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

FolderMenuButton::FolderMenuButton(QWidget* parent) : QAbstractButton(parent), menu_(new QMenu(this)) {
    setFont(uiFont(12));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    sameAsSource_ = menu_->addAction(QStringLiteral("Same as Source"));
    choose_ = menu_->addAction(QStringLiteral("Choose..."));
    connect(sameAsSource_, &QAction::triggered, this, &FolderMenuButton::sameAsSourceChosen);
    connect(choose_, &QAction::triggered, this, &FolderMenuButton::chooseRequested);
    connect(this, &QAbstractButton::clicked, this, [this] {
        menu_->popup(mapToGlobal(QPoint(0, height())));
        // From the keyboard the first item is ready to be chosen with Return.
        if (hasFocus()) menu_->setActiveAction(menu_->actions().value(0));
    });
}

QSize FolderMenuButton::sizeHint() const {
    return {QFontMetrics(font()).horizontalAdvance(text()) + 40,
            std::max(kHeight, QFontMetrics(font()).height())};
}

QSize FolderMenuButton::minimumSizeHint() const { return {0, sizeHint().height()}; }

void FolderMenuButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintButtonFace(p, rect(), palette::fieldBG());
    p.setPen(palette::text());
    const QRect inner = rect().adjusted(kInsetX, 0, -kInsetX, 0);
    p.setFont(uiFont(9));
    const int arrowWidth = QFontMetrics(p.font()).horizontalAdvance(kArrow);
    p.drawText(inner, Qt::AlignRight | Qt::AlignVCenter, kArrow);
    p.setFont(font());
    p.drawText(inner.adjusted(0, 0, -arrowWidth - 6, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
    if (hasFocus()) paintFocusRing(p, rect());
}

void FolderMenuButton::keyPressEvent(QKeyEvent* event) {
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
