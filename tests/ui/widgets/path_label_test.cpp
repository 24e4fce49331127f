// The wrapped path label keeps all its lines.
#include "ui/widgets/path_label.h"

#include "tests/ui/ui_test_support.h"

namespace tessellane {

TEST(PathLabel, ALongPathKeepsTheInkOfItsSecondLine) {
    PathLabel label;
    label.setText("/home/someone/a_rather_long_folder_name/with_more_parts/and_underscores_at_the_end_");
    const int height = label.heightForWidth(220);
    ASSERT_GT(height, QFontMetrics(label.font()).lineSpacing()) << "the path must need two lines";
    auto ink = [&](int h) {
        label.resize(220, h);
        QImage shot(label.size(), QImage::Format_RGB32);
        shot.fill(Qt::black);
        label.render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) count += qGray(shot.pixel(x, y)) > 16;
        return count;
    };
    EXPECT_EQ(ink(height), ink(height + 20));
}

}  // namespace tessellane
