// The flat tool button: clicks and a dimmed face when disabled.
#include "ui/widgets/tool_button.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "tests/ui/ui_test_support.h"
#include "ui/widgets/palette.h"

namespace tessellane {
namespace {

TEST(ToolButton, DisabledIgnoresClicksAndDimsItsText) {
    ToolButton button("비우기");
    button.resize(button.sizeHint());
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);

    using testing::hasColourNear;
    EXPECT_TRUE(hasColourNear(button.grab().toImage(), button.rect(), Qt::white, 40));
    EXPECT_EQ(button.grab().toImage().pixelColor(2, 2).name(), palette::fieldBG().name());
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(hasColourNear(button.grab().toImage(), button.rect(), Qt::white, 40));
    EXPECT_TRUE(hasColourNear(button.grab().toImage(), button.rect(), palette::dimText()));
}

}  // namespace
}  // namespace tessellane
