// The merge button's face follows whether it can act.
#include "ui/widgets/alley_button.h"

#include <gtest/gtest.h>

#include "ui/widgets/palette.h"

namespace tessellane {
namespace {

TEST(AlleyButton, FaceFollowsEnabledAndKeepsItsHeight) {
    AlleyButton button;
    button.setText("Merge 2 Files");
    button.resize(410, button.sizeHint().height());
    EXPECT_GE(button.height(), 34);
    EXPECT_EQ(button.grab().toImage().pixelColor(3, 3).name(), palette::cyan().name());
    button.setEnabled(false);
    EXPECT_EQ(button.grab().toImage().pixelColor(3, 3).name(), "#23292d");
}

}  // namespace
}  // namespace tessellane
