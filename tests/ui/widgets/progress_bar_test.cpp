// The thin progress bar: clamping, fading and its colours.
#include "ui/widgets/progress_bar.h"

#include <gtest/gtest.h>

#include <cmath>

#include "ui/widgets/palette.h"

namespace tessellane {
namespace {

TEST(ProgressBar, FadedWhenIdleFullWhenReporting) {
    ProgressBar bar;
    bar.resize(430, 3);
    EXPECT_EQ(bar.height(), 3);
    EXPECT_FALSE(bar.barVisible());
    EXPECT_EQ(bar.value(), 0.0);
    bar.setState(0.5, true);
    EXPECT_TRUE(bar.barVisible());
    EXPECT_DOUBLE_EQ(ProgressBar::fillWidth(bar.value(), 410), 205);
    bar.setState(7, true);  // clamped
    EXPECT_EQ(bar.value(), 1.0);
    bar.setState(std::nan(""), false);
    EXPECT_EQ(bar.value(), 0.0);

    // The fill starts at the 10-pixel inset and is drawn in the accent colour.
    bar.setState(0.5, true);
    const QImage shot = bar.grab().toImage();
    EXPECT_EQ(shot.pixelColor(12, 1).name(), palette::cyan().name());
    EXPECT_EQ(shot.pixelColor(300, 1).name(), "#23292d");
}

}  // namespace
}  // namespace tessellane
