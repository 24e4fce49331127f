#include "ui/widgets/path_label.h"

#include <QPainter>
#include <QTextLayout>
#include <cmath>

#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/visible_text.h"

namespace tessellane {

namespace {

constexpr int kMaxLines = 2;

// `text` broken into lines of at most `width`, wrapping anywhere (paths rarely have spaces to break at).
// Lines sit one line spacing apart, the first at the top.
void layOut(QTextLayout& layout, const QString& text, const QFont& font, int width) {
    layout.setText(text);
    layout.setFont(font);
    layout.setFormats(ellipsisFormats(text, font));
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const qreal step = QFontMetricsF(font).lineSpacing();
    layout.beginLayout();
    for (int i = 0;; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, i * step));
    }
    layout.endLayout();
}

int linesNeeded(const QString& text, const QFont& font, int width) {
    QTextLayout layout;
    layOut(layout, text, font, width);
    return layout.lineCount();
}

}  // namespace

PathLabel::PathLabel(QWidget* parent) : QWidget(parent) {
    setFont(uiFont(10));
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void PathLabel::setText(const QString& raw) {
    const QString text = visibleText(raw);
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
    // The last line needs room down to the lowest ink of the font, which for this font's "_" and "g"
    // lies below its nominal descent; one line spacing alone cuts them off.
    const QFontMetricsF fm(font());
    const QString deepest = QStringLiteral("_gjpqy,");
    qreal inkBottom = fm.descent();
    for (QChar c : deepest) inkBottom = std::max(inkBottom, fm.boundingRect(c).bottom());
    return int(std::ceil((lines - 1) * fm.lineSpacing() + fm.ascent() + inkBottom)) + 1;
}

QSize PathLabel::sizeHint() const { return {200, heightForWidth(std::max(1, width()))}; }

QSize PathLabel::minimumSizeHint() const { return {0, sizeHint().height()}; }

void PathLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette::dimText());
    QTextLayout layout;
    layOut(layout, shownText(), font(), std::max(1, width()));
    layout.draw(&p, QPointF(0, 0));
}

}  // namespace tessellane
