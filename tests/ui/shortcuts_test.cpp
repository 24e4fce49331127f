// The application-wide keys: Ctrl+A and Backspace/Delete act on the clips unless a text field has focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>

#include "tests/ui/ui_test_support.h"
#include "ui/file_list_view.h"
#include "ui/settings_column.h"
#include "ui/shortcut_filter.h"

namespace tessellane {
namespace {

using testing::videoRecord;
using testing::WindowHarness;

class ShortcutsTest : public ::testing::Test {
  protected:
    WindowHarness h;
    AppModel& model = h.model;
    ShortcutFilter filter;

    void SetUp() override {
        filter.setModel(&model);
        filter.setWindow(h.window.get());
        qApp->installEventFilter(&filter);
        model.setClips({videoRecord("/c/a_1.mov"), videoRecord("/c/a_2.mov"), videoRecord("/c/a_3.mov")});
        QCoreApplication::processEvents();
    }
    void TearDown() override { qApp->removeEventFilter(&filter); }

    QLineEdit* suffix() { return h.window->settings()->suffixField(); }
    QWidget* list() { return h.window->fileList(); }
    void focus(QWidget* widget) {
        widget->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(testing::waitFor([&] { return QApplication::focusWidget() == widget; }, 2000));
    }
};

TEST_F(ShortcutsTest, CtrlAInTheSuffixFieldSelectsItsText) {
    focus(suffix());
    QTest::keyClicks(suffix(), "_v2");
    QTest::keyClick(suffix(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(suffix()->selectedText(), "_v2");
    EXPECT_TRUE(model.selected().empty());
}

TEST_F(ShortcutsTest, CtrlAElsewhereSelectsEveryClip) {
    focus(list());
    QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(model.selected().size(), 3u);
    // Shift+Ctrl+A is not the shortcut.
    model.setSelected({});
    QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(model.selected().empty());
    // Plain "a" is not either.
    QTest::keyClick(list(), Qt::Key_A);
    EXPECT_TRUE(model.selected().empty());
}

TEST_F(ShortcutsTest, CtrlAOnAnEmptyListLeavesTheSelectionEmpty) {
    model.setClips({});
    focus(h.window.get());  // the list itself is hidden behind the empty-state text
    QTest::keyClick(h.window.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(model.selected().empty());
}

TEST_F(ShortcutsTest, BackspaceInTheSuffixEditsTextAndKeepsClips) {
    model.selectAll();
    focus(suffix());
    QTest::keyClicks(suffix(), "_v2");
    QTest::keyClick(suffix(), Qt::Key_Backspace);
    EXPECT_EQ(model.suffix(), "_v");
    QTest::keyClick(suffix(), Qt::Key_Home);
    QTest::keyClick(suffix(), Qt::Key_Delete);
    EXPECT_EQ(model.suffix(), "v");
    EXPECT_EQ(model.clips().size(), 3u);
}

TEST_F(ShortcutsTest, DeleteKeysRemoveTheSelectedClips) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } table[] = {{Qt::Key_Backspace, Qt::NoModifier},
                 {Qt::Key_Delete, Qt::NoModifier},
                 {Qt::Key_Backspace, Qt::ControlModifier},
                 {Qt::Key_Delete, Qt::ShiftModifier}};
    for (const auto& row : table) {
        model.setClips({videoRecord("/c/a_1.mov"), videoRecord("/c/a_2.mov"), videoRecord("/c/a_3.mov")});
        model.setSelected({model.clips()[0].id(), model.clips()[2].id()});
        focus(list());
        QTest::keyClick(list(), row.key, row.modifiers);
        ASSERT_EQ(model.clips().size(), 1u) << row.key;
        EXPECT_EQ(model.clips()[0].name(), "a_2.mov");
        EXPECT_TRUE(model.selected().empty());
    }
}

TEST_F(ShortcutsTest, DeleteWithNothingSelectedOrDuringAMergeKeepsClips) {
    focus(list());
    QTest::keyClick(list(), Qt::Key_Delete);
    EXPECT_EQ(model.clips().size(), 3u);
    model.selectAll();
    model.setRunning(true);
    QTest::keyClick(list(), Qt::Key_Backspace);
    EXPECT_EQ(model.clips().size(), 3u);
    model.setRunning(false);
}

TEST(EditsText, EveryTextEditingControlCounts) {
    QLineEdit line;
    QPlainTextEdit plain;
    QSpinBox spin;
    QLineEdit readOnly;
    readOnly.setReadOnly(true);
    QWidget other;
    EXPECT_TRUE(editsText(&line));
    EXPECT_TRUE(editsText(&plain));
    EXPECT_TRUE(editsText(plain.viewport()));
    EXPECT_TRUE(editsText(&spin));
    EXPECT_FALSE(editsText(&readOnly));
    EXPECT_FALSE(editsText(&other));
    EXPECT_FALSE(editsText(nullptr));
}

TEST(ShortcutFilterAlone, WithoutAModelEveryKeyPassesOn) {
    ShortcutFilter filter;
    QWidget target;
    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, "a");
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    EXPECT_FALSE(filter.eventFilter(&target, &selectAll));
    EXPECT_FALSE(filter.eventFilter(&target, &backspace));
}

}  // namespace
}  // namespace tessellane
