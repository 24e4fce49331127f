#include "ui/path_label.h"

#include <QPainter>
#include <QTextLayout>

#include "ui/fonts.h"
#include "ui/palette.h"

namespace tessellane {

namespace {

constexpr int kMaxLines = 2;

// Lines `text` needs at `width`, wrapping anywhere (paths rarely have spaces to break at).
int linesNeeded(const QString& text, const QFont& font, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines;
}

}  // namespace

PathLabel::PathLabel(QWidget* parent) : QWidget(parent) {
    setFont(uiFont(10));
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void PathLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setToolTip(text);
    updateGeometry();
    update();
}

QString PathLabel::shownText() const {
    const int w = std::max(1, width());
    if (linesNeeded(text_, font(), w) <= kMaxLines) return text_;
    const QFontMetrics fm(font());
    // Shrink the middle until two lines hold it.
    for (int budget = kMaxLines * w; budget > 0; budget -= std::max(1, fm.averageCharWidth())) {
        const QString shortened = fm.elidedText(text_, Qt::ElideMiddle, budget);
        if (linesNeeded(shortened, font(), w) <= kMaxLines) return shortened;
    }
    return fm.elidedText(text_, Qt::ElideMiddle, w);
}

int PathLabel::heightForWidth(int width) const {
    const int lines = std::clamp(linesNeeded(text_, font(), std::max(1, width)), 1, kMaxLines);
    return lines * QFontMetrics(font()).lineSpacing();
}

QSize PathLabel::sizeHint() const { return {200, heightForWidth(std::max(1, width()))}; }

QSize PathLabel::minimumSizeHint() const { return {0, sizeHint().height()}; }

void PathLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    p.setPen(palette::dimText());
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    p.drawText(QRectF(rect()), shownText(), option);
}

}  // namespace tessellane
