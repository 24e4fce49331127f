#include "ui/widgets/fonts.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QTextOption>

namespace tessellane {

QStringList uiFontFamilies() {
    // NanumGothic lacks the dingbats (✕ ✓ ⚠); DejaVu Sans carries them, Noto Color Emoji the emoji
    // people put in file names and Symbola the symbols that stand for control characters (␊ ␉).
    return {"NanumGothic", "NanumBarunGothic", "Noto Sans CJK KR",
            "DejaVu Sans", "Noto Color Emoji", "Symbola"};
}

QFont uiFont(int pixelSize, QFont::Weight weight) {
    QFont font;
    font.setFamilies(uiFontFamilies());
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont itemNameFont() { return uiFont(12, QFont::Bold); }

QFont itemDetailFont() { return uiFont(11); }

void installUiFont(QApplication& app) { app.setFont(uiFont(12)); }

namespace {
constexpr QChar kEllipsis(0x2026);
}

QString ellipsisFamily() { return QStringLiteral("DejaVu Sans"); }

QFont dialogFont() {
    QFont font = uiFont(12);
    font.setFamilies(QStringList{ellipsisFamily()} + uiFontFamilies());
    return font;
}

QList<QTextLayout::FormatRange> ellipsisFormats(const QString& text, const QFont& font) {
    QList<QTextLayout::FormatRange> ranges;
    QFont baseline = font;
    baseline.setFamilies({ellipsisFamily()});
    QTextCharFormat format;
    format.setFont(baseline);
    for (qsizetype i = text.indexOf(kEllipsis); i >= 0; i = text.indexOf(kEllipsis, i + 1))
        ranges.append({int(i), 1, format});
    return ranges;
}

void drawTextLine(QPainter& p, const QRectF& rect, Qt::Alignment alignment, const QString& text) {
    if (!text.contains(kEllipsis)) {
        p.drawText(rect, int(alignment), text);
        return;
    }
    QTextLayout layout(text, p.font(), p.device());
    layout.setFormats(ellipsisFormats(text, p.font()));
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();

    const qreal width = line.naturalTextWidth();
    qreal x = rect.left();
    if (alignment & Qt::AlignHCenter)
        x += (rect.width() - width) / 2;
    else if (alignment & Qt::AlignRight)
        x += rect.width() - width;
    // The baseline of the painter's own font, so the line sits exactly where drawText puts text.
    const QFontMetricsF metrics(p.font(), p.device());
    qreal top = rect.top();
    if (alignment & Qt::AlignVCenter)
        top += (rect.height() - metrics.height()) / 2;
    else if (alignment & Qt::AlignBottom)
        top += rect.height() - metrics.height();
    const qreal baseline = top + metrics.ascent();
    layout.draw(&p, QPointF(x, baseline - line.ascent()));
}

void setLabelText(QLabel* label, const QString& text) {
    if (!text.contains(kEllipsis)) {
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
        return;
    }
    QString html = "<span style=\"white-space:pre-wrap\">" + text.toHtmlEscaped() + "</span>";
    html.replace(kEllipsis,
                 QStringLiteral("<span style=\"font-family:'%1'\">\u2026</span>").arg(ellipsisFamily()));
    label->setTextFormat(Qt::RichText);
    label->setText(html);
}

}  // namespace tessellane
