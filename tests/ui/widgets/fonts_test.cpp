// The ellipsis drawn on the baseline, in painted text and in labels.
#include "ui/widgets/fonts.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPainter>
#include <functional>

namespace tessellane {
namespace {

// The lowest row of ink that `paint` leaves on a black image, or -1 for none.
int inkBottom(const std::function<void(QPainter&)>& paint) {
    QImage image(200, 80, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        p.setPen(Qt::white);
        p.setFont(uiFont(24));
        paint(p);
    }
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 64) return y;
    return -1;
}

TEST(Ellipsis, SitsOnTheBaselineInPaintedTextAndLabels) {
    const QRect area(0, 0, 200, 80);
    const QFontMetrics metrics(uiFont(24));
    const int baseline = (area.height() - metrics.height()) / 2 + metrics.ascent();
    const int drawn =
        inkBottom([&](QPainter& p) { drawTextLine(p, area, Qt::AlignLeft | Qt::AlignVCenter, "…"); });
    const int korean =
        inkBottom([&](QPainter& p) { p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, "…"); });
    EXPECT_NEAR(drawn, baseline, 2);
    EXPECT_LT(korean, baseline - 4)
        << "the Korean font's own ellipsis is centred; the check above proves nothing";

    // A label's "…" likewise, and the label still reads back its plain words through the shown text.
    auto labelInk = [&](const QString& text) {
        QLabel label;
        label.setFont(uiFont(24));
        label.setStyleSheet("background: black; color: white;");
        label.resize(area.size());
        setLabelText(&label, text);
        const QImage shot = label.grab().toImage();
        for (int y = shot.height() - 1; y >= 0; --y)
            for (int x = 0; x < shot.width(); ++x)
                if (qGray(shot.pixel(x, y)) > 64) return y;
        return -1;
    };
    EXPECT_GT(labelInk("…"), labelInk(QStringLiteral("\u00B7")) - 1);
}

}  // namespace
}  // namespace tessellane
