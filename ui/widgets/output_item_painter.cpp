#include "ui/widgets/output_item_painter.h"

#include <QFontMetrics>
#include <algorithm>

#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/visible_text.h"

namespace tessellane {

namespace {

constexpr int kInsetX = 12;
constexpr int kInsetY = 8;
constexpr int kSpacing = 8;
constexpr int kLineSpacing = 2;
const QString kMark = QStringLiteral("»");

QFont markFont() { return uiFont(18, QFont::Bold); }

int textLeftOffset() { return kInsetX + QFontMetrics(markFont()).horizontalAdvance(kMark) + kSpacing; }

QRect detailBounds(const QString& detail, int textWidth) {
    return QFontMetrics(itemDetailFont())
        .boundingRect(QRect(0, 0, std::max(1, textWidth), 100000), Qt::AlignLeft | Qt::TextWordWrap, detail);
}

int folderLineHeight(const QString& folder) {
    return folder.isEmpty() ? 0 : kLineSpacing + QFontMetrics(itemDetailFont()).height();
}

}  // namespace

int outputItemHeight(const QString& detail, int width, const QString& folder) {
    const int textWidth = width - textLeftOffset() - kInsetX;
    const int text = QFontMetrics(itemNameFont()).height() + kLineSpacing +
                     detailBounds(detail, textWidth).height() + folderLineHeight(folder);
    return std::max(text, QFontMetrics(markFont()).height()) + 2 * kInsetY;
}

void paintOutputItem(QPainter& p, const QRect& rect, const QString& name, const QString& detail,
                     const QString& folder) {
    p.save();
    const int top = rect.top() + kInsetY;
    p.setFont(markFont());
    p.setPen(palette::accent());
    const QFontMetrics mark(markFont());
    p.drawText(QRect(rect.left() + kInsetX, top, mark.horizontalAdvance(kMark), mark.height()),
               Qt::AlignLeft | Qt::AlignTop, kMark);

    const int left = rect.left() + textLeftOffset();
    const int width = std::max(0, rect.right() + 1 - kInsetX - left);
    const QFontMetrics nameMetrics(itemNameFont());
    p.setFont(itemNameFont());
    p.setPen(palette::text());
    drawTextLine(p, QRect(left, top, width, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                 nameMetrics.elidedText(visibleText(name), Qt::ElideMiddle, width));

    p.setFont(itemDetailFont());
    p.setPen(palette::dimText());
    const int detailTop = top + nameMetrics.height() + kLineSpacing;
    const int detailHeight = detailBounds(detail, width).height();
    p.drawText(QRect(left, detailTop, width, detailHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               detail);
    if (!folder.isEmpty()) {
        const QFontMetrics metrics(itemDetailFont());
        drawTextLine(p, QRect(left, detailTop + detailHeight + kLineSpacing, width, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(visibleText(folder), Qt::ElideMiddle, width));
    }
    p.restore();
}

}  // namespace tessellane
