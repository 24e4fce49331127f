// One file card of the clip list, as plain data and a painter function, so a test can draw a card into
// a QImage and the delegate only has to pick the data.
#pragma once

#include <QImage>
#include <QMetaType>
#include <QPainter>
#include <QRect>
#include <QString>
#include <optional>

#include "engine/core/clip_info.h"

namespace tessellane {

struct CardData {
    int index = 0;                 // 1-based position shown in the accent colour
    QString name;                  // file name, shortened in the middle when too long
    std::optional<QString> error;  // when set, shown in the danger colour instead of the three lines
    QString formatLine;            // "QuickTime (ProRes 422 HQ) · yuv422p10le"
    QString sizeLine;              // "1920 x 1080 · 24 fps"
    QString timeLine;              // "00:00:05, 120f, 12.3 MB" or "이미지, 1.2 MB"
    QImage thumb;                  // may be null: the box stays black
    bool selected = false;
};

// The clip's container as its card names it: "QuickTime", "MPEG-4", "PNG 이미지", else the extension
// upper-cased.
QString containerName(const ClipInfo& clip);

// The card of `clip` at 1-based position `index`.
CardData cardDataFor(int index, const ClipInfo& clip, const QImage& thumb, bool selected);

// The accent bar on the left of a selected card.
inline constexpr int kSelectionBarWidth = 3;

// Every card has this height, so the list can lay out any number of rows without measuring them.
int cardHeight();

// The thumbnail box: its size and where it sits inside a card drawn in `card`.
QSize thumbnailBoxSize();
QRect thumbnailBox(const QRect& card);

// Draws the card into `rect` (background included).
void paintCard(QPainter& painter, const QRect& rect, const CardData& card);

}  // namespace tessellane

Q_DECLARE_METATYPE(tessellane::CardData)
