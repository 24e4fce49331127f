// The ellipsis drawn on the baseline, in painted text and in labels.
#include "ui/widgets/fonts.h"

#include <QPainter>

#include "tests/ui/ui_test_support.h"

namespace tessellane {

// The lowest row of ink in `image`, or -1 for none.
int inkBottom(const QImage& image) {
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 64) return y;
    return -1;
}

TEST(Ellipsis, SitsOnTheBaselineInPaintedTextAndLabels) {
    const QRect area(0, 0, 200, 80);
    auto painted = [&](bool ours) {
        QImage image(area.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        p.setPen(Qt::white);
        p.setFont(uiFont(24));
        if (ours) drawTextLine(p, area, Qt::AlignLeft | Qt::AlignVCenter, "…");
        if (!ours) p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, "…");
        return inkBottom(image);
    };
    auto label = [&](const QString& text) {
        QLabel label;
        label.setFont(uiFont(24));
        label.setStyleSheet("background: black; color: white;");
        label.resize(area.size());
        setLabelText(&label, text);
        return inkBottom(label.grab().toImage());
    };
    const QFontMetrics metrics(uiFont(24));
    const int baseline = (area.height() - metrics.height()) / 2 + metrics.ascent();
    EXPECT_NEAR(painted(true), baseline, 2);
    EXPECT_LT(painted(false), baseline - 4)
        << "the Korean font's own ellipsis is centred: the test proves nothing";
    EXPECT_GE(label("…"), label(QStringLiteral("\u00B7")));  // not above the centred middle dot
}

}  // namespace tessellane
