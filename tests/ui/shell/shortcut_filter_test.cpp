// The application-wide keys: Ctrl+A and Backspace/Delete act on the clips unless a text field has focus.
#include "ui/shell/shortcut_filter.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/shell/desktop_services.h"
#include "ui/window/file_list_view.h"
#include "ui/window/settings_column.h"

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

TEST_F(ShortcutsTest, TheFileChooserKeepsItsKeysAndTheListIsUntouched) {
    // The real chooser over the window, opened with Ctrl+O; Ctrl+A selects its files, Backspace goes up
    // a folder and Escape closes it, while the clips and their selection stay as they were.
    testing::TempDir dir;
    std::filesystem::create_directory(dir / "inner");
    for (const char* name : {"a.mov", "b.mov", "c.mov"}) testing::writeFile(dir / "inner" / name, "x");
    DesktopServices desktop;
    desktop.setWindow(h.window.get());
    model.setPlatformServices(&desktop);
    model.setSelected({model.clips()[1].id()});
    focus(list());

    const bool ran = testing::withModal(
        [&] { QTest::keyClick(list(), Qt::Key_O, Qt::ControlModifier); },
        [&](QWidget* modal) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(chooser, nullptr);
            EXPECT_EQ(chooser->windowTitle(), "파일 추가");
            chooser->setDirectory(QString::fromStdString((dir / "inner").string()));
            // The list or the detail view, whichever the chooser shows.
            QAbstractItemView* files = nullptr;
            for (auto* view : chooser->findChildren<QAbstractItemView*>())
                if (view->isVisible() &&
                    (view->objectName() == "listView" || view->objectName() == "treeView"))
                    files = view;
            ASSERT_NE(files, nullptr);
            ASSERT_TRUE(
                testing::waitFor([&] { return files->model()->rowCount(files->rootIndex()) == 3; }, 5000));
            files->setFocus();
            ASSERT_TRUE(testing::waitFor([&] { return QApplication::focusWidget() == files; }, 2000))
                << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                                : "none");
            QTest::keyClick(files, Qt::Key_A, Qt::ControlModifier);
            EXPECT_EQ(chooser->selectedFiles().size(), 3);
            QTest::keyClick(files, Qt::Key_Backspace);
            EXPECT_EQ(QDir(chooser->directory()).absolutePath(), QString::fromStdString(dir.path().string()));
            QTest::keyClick(files, Qt::Key_Delete);
            QTest::keyClick(files, Qt::Key_Escape);
            EXPECT_TRUE(testing::waitFor([&] { return !chooser->isVisible(); }, 2000));
        });
    EXPECT_TRUE(ran) << "Ctrl+O opened no chooser";
    model.setPlatformServices(&h.services);
    EXPECT_EQ(model.clips().size(), 3u);
    EXPECT_EQ(model.selected(), std::set<Uuid>{model.clips()[1].id()});
    EXPECT_EQ(model.pendingTasks(), 0);  // nothing was added
}

TEST_F(ShortcutsTest, MenusPopUpsAndOtherWindowsKeepTheirKeys) {
    model.setSelected({model.clips()[0].id()});
    QMenu menu(h.window.get());
    menu.addAction(QStringLiteral("Same as Source"));
    menu.popup(h.window->mapToGlobal(QPoint(500, 200)));
    ASSERT_TRUE(testing::waitFor([&] { return QApplication::activePopupWidget() == &menu; }, 2000));
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete}) QTest::keyClick(&menu, key);
    QTest::keyClick(&menu, Qt::Key_A, Qt::ControlModifier);
    menu.close();

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(&other, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&other, Qt::Key_Delete);
    QTest::keyClick(&other, Qt::Key_O, Qt::ControlModifier);

    EXPECT_EQ(model.clips().size(), 3u);
    EXPECT_EQ(model.selected(), std::set<Uuid>{model.clips()[0].id()});
    EXPECT_TRUE(h.services.fileFilters.empty());
}

TEST_F(ShortcutsTest, CtrlOOpensTheChooserAndCtrlReturnStartsAMergeOnlyWhenAllowed) {
    focus(suffix());  // these keys mean nothing to a text field, so they work from it too
    QTest::keyClick(suffix(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(h.services.fileFilters.size(), 1u);

    model.setSuffix("a/b");
    QTest::keyClick(suffix(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(model.running());
    model.setSuffix("_x");
    QTest::keyClick(suffix(), Qt::Key_Return);  // without Ctrl it is not the shortcut
    EXPECT_FALSE(model.running());
    ASSERT_TRUE(model.canMerge());
    QTest::keyClick(suffix(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(model.running());
    // The clips do not exist, so the job fails on its own.
    ASSERT_TRUE(testing::waitFor([&] { return model.pendingTasks() == 0; }));
    EXPECT_FALSE(model.running());
}

TEST_F(ShortcutsTest, CtrlQClosesTheWindow) {
    focus(list());
    QTest::keyClick(list(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(h.window->isVisible());
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
