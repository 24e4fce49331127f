// Text drawn whole: the ellipsis on the baseline, and every line of a wrapped path.
#include <QPainter>

#include "tests/ui/ui_test_support.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/path_label.h"
#include "ui/widgets/visible_text.h"

namespace tessellane::testing {

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
    EXPECT_LT(painted(false), baseline - 4) << "the Korean font's own is centred, or this proves nothing";
    EXPECT_GE(label("…"), label(QStringLiteral("\u00B7")));  // not above the centred middle dot
}

TEST(PathLabel, ALongPathKeepsItsSecondLine) {
    PathLabel label;
    label.setText("/home/someone/a_rather_long_folder_name/with_more_parts/and_underscores_at_the_end_");
    label.resize(220, label.heightForWidth(220));
    ASSERT_GT(label.height(), QFontMetrics(label.font()).lineSpacing()) << "the path must need two lines";
    const int fitted = inkBottom(label.grab().toImage());
    label.resize(220, label.height() + 20);
    EXPECT_EQ(fitted, inkBottom(label.grab().toImage()));
}

// A name stays on one line with its control characters shown; those and emoji are drawn, not boxes.
TEST(VisibleText, ControlCharactersShowAndEmojiAreDrawn) {
    const std::pair<QString, QString> table[] = {
        {"a\nb.mov", "a␊b.mov"},        {"\t\r\x1b", "␉␍␛"},      {"x\x7f", "x␡"},
        {u"a\u2028b\u0085"_qs, "a␤b␤"}, {u"\u009b"_qs, "\uFFFD"}, {"한글 🎬.mov", "한글 🎬.mov"},
    };
    for (const auto& [given, shown] : table) EXPECT_EQ(visibleText(given), shown);
    // Each drawn as itself, not as the box of a character no installed font has (a private-use one).
    auto drawn = [](const QString& text) {
        QImage image(48, 48, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        p.setPen(Qt::white);
        p.setFont(uiFont(32));
        p.drawText(image.rect(), Qt::AlignCenter, text);
        return image;
    };
    const QImage missing = drawn(u"\U0010FFFD"_qs);
    for (const QString& text : {u"\U0001F3AC"_qs, u"\u240A"_qs})  // 🎬, ␊: in no Korean or Latin font
        EXPECT_NE(drawn(text), missing) << text.toStdString();
}

}  // namespace tessellane::testing
