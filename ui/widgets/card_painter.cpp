#include "ui/widgets/card_painter.h"

#include <QFontMetrics>
#include <algorithm>

#include "engine/core/ascii_case.h"
#include "engine/core/readable_numbers.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/visible_text.h"
#include "ui/words.h"

namespace tessellane {

namespace {

constexpr int kInsetY = 6;
constexpr int kTextInset = 10;
constexpr int kLineSpacing = 3;
constexpr int kThumbWidth = 150;
constexpr int kThumbHeight = 72;
constexpr int kThumbRightSpace = 8;

QFont indexFont() { return uiFont(11, QFont::DemiBold); }

int firstLineHeight() {
    return std::max(QFontMetrics(indexFont()).height(), QFontMetrics(itemNameFont()).height());
}

int textBlockHeight(int detailLines) {
    return firstLineHeight() + detailLines * (kLineSpacing + QFontMetrics(itemDetailFont()).height());
}

QString fromStd(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QString containerName(const ClipInfo& clip) {
    const std::string ext = lowerExtensionOf(clip.url());
    if (ext == "mov") return QStringLiteral("QuickTime");
    if (ext == "mp4" || ext == "m4v") return QStringLiteral("MPEG-4");
    if (ext == "png") return "PNG " + words::kStillImage;
    if (ext == "jpg" || ext == "jpeg") return "JPEG " + words::kStillImage;
    if (ext == "tif" || ext == "tiff") return "TIFF " + words::kStillImage;
    return fromStd(asciiUpper(extensionOf(clip.url())));
}

CardData cardDataFor(int index, const ClipInfo& clip, const QImage& thumb, bool selected) {
    CardData card;
    card.index = index;
    card.name = visibleText(fromStd(clip.name()));
    card.thumb = thumb;
    card.selected = selected;
    if (clip.error) {
        card.error = fromStd(*clip.error);
        return card;
    }
    card.formatLine = containerName(clip) + " (" + fromStd(clip.codecLabel()) + ") · " + fromStd(clip.pixFmt);
    card.sizeLine = QString::number(clip.width) + " x " + QString::number(clip.height) + " · " +
                    fromStd(formatFrameRate(clip.fps())) + " fps";
    if (clip.isImage()) {
        card.timeLine = words::kStillImage + ", " + fromStd(clip.sizeLabel());
    } else {
        card.timeLine = fromStd(clip.timecode()) + ", " + QString::number(clip.frames) + "f, " +
                        fromStd(clip.sizeLabel());
    }
    return card;
}

int cardHeight() {
    // Fonts do not change while the program runs; the list asks for every row's height on each relayout.
    static const int height = std::max(textBlockHeight(3), kThumbHeight) + 2 * kInsetY;
    return height;
}

QSize thumbnailBoxSize() { return {kThumbWidth, kThumbHeight}; }

QRect thumbnailBox(const QRect& card) {
    return {card.right() + 1 - kThumbRightSpace - kThumbWidth,
            card.top() + (card.height() - kThumbHeight) / 2, kThumbWidth, kThumbHeight};
}

void paintCard(QPainter& p, const QRect& rect, const CardData& card) {
    p.save();
    p.fillRect(rect, card.selected ? palette::selectedCardBG() : palette::panelBG());
    if (card.selected) {
        p.fillRect(QRect(rect.left(), rect.top() + kInsetY, kSelectionBarWidth, rect.height() - 2 * kInsetY),
                   palette::accent());
    }

    const QRect box = thumbnailBox(rect);
    const int textLeft = rect.left() + kSelectionBarWidth + kTextInset;
    const int textWidth = std::max(0, box.left() - textLeft);
    int y = rect.top() + (rect.height() - textBlockHeight(3)) / 2;

    // First line: index, then the name shortened in the middle.
    const int firstHeight = firstLineHeight();
    const QString indexText = QString::number(card.index);
    p.setFont(indexFont());
    p.setPen(palette::accent());
    const int indexWidth = QFontMetrics(indexFont()).horizontalAdvance(indexText);
    p.drawText(QRect(textLeft, y, indexWidth, firstHeight), Qt::AlignLeft | Qt::AlignVCenter, indexText);
    const int nameLeft = textLeft + indexWidth + 6;
    const int nameWidth = std::max(0, textLeft + textWidth - nameLeft);
    p.setFont(itemNameFont());
    p.setPen(palette::text());
    drawTextLine(p, QRect(nameLeft, y, nameWidth, firstHeight), Qt::AlignLeft | Qt::AlignVCenter,
                 QFontMetrics(itemNameFont()).elidedText(card.name, Qt::ElideMiddle, nameWidth));
    y += firstHeight;

    const QFontMetrics detail(itemDetailFont());
    p.setFont(itemDetailFont());
    auto drawDetail = [&](const QString& text, const QColor& colour) {
        y += kLineSpacing;
        p.setPen(colour);
        drawTextLine(p, QRect(textLeft, y, textWidth, detail.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     detail.elidedText(text, Qt::ElideRight, textWidth));
        y += detail.height();
    };
    if (card.error) {
        // An error sentence may be long: it gets the room of the three lines it replaces, wrapped.
        p.setPen(palette::danger());
        const int height = 3 * detail.height() + 2 * kLineSpacing;
        p.drawText(QRect(textLeft, y + kLineSpacing, textWidth, height),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, *card.error);
    } else {
        drawDetail(card.formatLine, palette::dimText());
        drawDetail(card.sizeLine, palette::dimText());
        drawDetail(card.timeLine, palette::dimText());
    }

    // Thumbnail: letterboxed on black, aspect ratio kept.
    p.fillRect(box, palette::pictureBG());
    if (!card.thumb.isNull()) {
        const QSize fitted = card.thumb.size().scaled(box.size(), Qt::KeepAspectRatio);
        const QRect target(box.left() + (box.width() - fitted.width()) / 2,
                           box.top() + (box.height() - fitted.height()) / 2, fitted.width(), fitted.height());
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, card.thumb);
    }
    p.restore();
}

}  // namespace tessellane
