#include "ui/widgets/merge_button.h"

#include <QPainter>

#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"

namespace tessellane {

namespace {
constexpr int kMinHeight = 34;
}

MergeButton::MergeButton(QWidget* parent) : ToolButton(QString(), parent) {
    setFont(uiFont(13, QFont::DemiBold));
    unsetCursor();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize MergeButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 20, std::max(kMinHeight, fm.height() + 8)};
}

QSize MergeButton::minimumSizeHint() const { return {0, sizeHint().height()}; }

QColor MergeButton::faceColour() const { return isEnabled() ? palette::accent() : palette::idleBG(); }

void MergeButton::drawLabel(QPainter& p) const { drawTextLine(p, rect(), Qt::AlignCenter, text()); }

}  // namespace tessellane
