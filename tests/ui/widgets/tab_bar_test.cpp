// The tab row: clicks select, colours follow, renaming keeps the selection.
#include "ui/widgets/tab_bar.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "ui/widgets/palette.h"

namespace tessellane {
namespace {

TEST(TabBar, ClickSelectsAndColours) {
    TabBar bar;
    bar.setTitles({"Files (2)", "Queue (0)"});
    bar.resize(430, 26);
    bar.show();
    QSignalSpy changes(&bar, &TabBar::selectionChanged);
    EXPECT_EQ(bar.selection(), 0);
    QTest::mouseClick(bar.tab(1), Qt::LeftButton);
    EXPECT_EQ(bar.selection(), 1);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(bar.tab(1)->grab().toImage().pixelColor(2, 2).name(), palette::cyan().name());
    EXPECT_EQ(bar.tab(0)->grab().toImage().pixelColor(2, 2).name(), palette::buttonBG().name());
    bar.setTitles({"Files (3)", "Queue (1)"});  // renaming keeps the selection
    EXPECT_EQ(bar.selection(), 1);
    EXPECT_EQ(bar.titles(), QStringList({"Files (3)", "Queue (1)"}));
}

}  // namespace
}  // namespace tessellane
