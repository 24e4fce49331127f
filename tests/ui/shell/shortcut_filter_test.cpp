// The application-wide keys: they act on the clips only while the main window has the keyboard, and never
// take a key from a text field, a chooser, a question, a menu or another window.
#include "ui/shell/shortcut_filter.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

#include "tests/ui/ui_test_support.h"
#include "ui/shell/desktop_services.h"
#include "ui/window/file_list_view.h"
#include "ui/window/settings_column.h"

namespace tessellane {
namespace {

using testing::videoRecord;

class ShortcutsTest : public ::testing::Test {
  protected:
    testing::WindowHarness h;
    AppModel& model = h.model;
    ShortcutFilter filter;

    void SetUp() override {
        filter.setModel(&model);
        filter.setWindow(h.window.get());
        qApp->installEventFilter(&filter);
        reset({1});
    }
    void TearDown() override { qApp->removeEventFilter(&filter); }
    // Three clips with the given rows selected and "_v2" in the suffix field.
    void reset(const std::set<int>& selected) {
        model.setClips({videoRecord("/c/a_1.mov"), videoRecord("/c/a_2.mov"), videoRecord("/c/a_3.mov")});
        std::set<Uuid> ids;
        for (int row : selected) ids.insert(model.clips()[row].id());
        model.setSelected(ids);
        model.setSuffix("_v2");
        QCoreApplication::processEvents();
    }
    QLineEdit* suffix() { return h.window->settings()->suffixField(); }
    QWidget* list() { return h.window->fileList(); }
    void focus(QWidget* widget) {
        widget->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(testing::waitFor([&] { return QApplication::focusWidget() == widget; }, 2000));
    }
    // Nothing changed since reset({1}).
    void expectUntouched() {
        EXPECT_EQ(model.clips().size(), 3u);
        EXPECT_EQ(model.selected(), std::set<Uuid>{model.clips()[1].id()});
        EXPECT_TRUE(h.services.fileFilters.empty());
    }
};

TEST_F(ShortcutsTest, SelectAndRemoveActOnTheListButNeverOnTypedText) {
    const auto none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const struct {
        bool inSuffix;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::set<int> selected;
        bool running;
        const char* left;
        std::size_t selectedAfter;
        QString suffix;
    } table[] = {
        {false, Qt::Key_A, ctrl, {}, false, "123", 3, "_v2"},
        {false, Qt::Key_A, ctrl | shift, {}, false, "123", 0, "_v2"},
        {false, Qt::Key_A, none, {}, false, "123", 0, "_v2"},
        {true, Qt::Key_A, ctrl, {}, false, "123", 0, "_v2"},  // selects the field's text instead
        {false, Qt::Key_Backspace, none, {0, 2}, false, "2", 0, "_v2"},
        {false, Qt::Key_Delete, none, {0, 2}, false, "2", 0, "_v2"},
        {false, Qt::Key_Backspace, ctrl, {0, 2}, false, "2", 0, "_v2"},
        {false, Qt::Key_Delete, shift, {0, 2}, false, "2", 0, "_v2"},
        {false, Qt::Key_Delete, none, {}, false, "123", 0, "_v2"},
        {false, Qt::Key_Backspace, none, {0, 2}, true, "123", 2, "_v2"},  // a merge keeps its clips
        {true, Qt::Key_Backspace, none, {0, 2}, false, "123", 2, "_v"},
        {true, Qt::Key_Delete, none, {0, 2}, false, "123", 2, "_v2"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(::testing::Message() << "key " << row.key << " modifiers " << row.modifiers.toInt()
                                          << (row.inSuffix ? " in the suffix field" : " on the list"));
        reset(row.selected);
        model.setRunning(row.running);
        QWidget* target = row.inSuffix ? static_cast<QWidget*>(suffix()) : list();
        focus(target);
        QTest::keyClick(target, row.key, row.modifiers);
        model.setRunning(false);
        std::string left;
        for (const ClipInfo& clip : model.clips()) left += clip.name()[2];
        EXPECT_EQ(left, row.left);
        EXPECT_EQ(model.selected().size(), row.selectedAfter);
        EXPECT_EQ(model.suffix(), row.suffix);
        EXPECT_EQ(suffix()->selectedText(), row.inSuffix && row.key == Qt::Key_A ? "_v2" : "");
    }
}

TEST_F(ShortcutsTest, OpenMergeAndQuitWorkFromTheSuffixField) {
    focus(suffix());
    QTest::keyClick(suffix(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(h.services.fileFilters.size(), 1u);
    model.setSuffix("a/b");
    QTest::keyClick(suffix(), Qt::Key_Return, Qt::ControlModifier);  // not while the merge is blocked
    EXPECT_FALSE(model.running());
    model.setSuffix("_x");
    QTest::keyClick(suffix(), Qt::Key_Return);  // without Ctrl it is not the shortcut
    EXPECT_FALSE(model.running());
    QTest::keyClick(suffix(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(model.running());
    ASSERT_TRUE(testing::waitFor([&] { return model.pendingTasks() == 0; }));  // the clips do not exist
    QTest::keyClick(suffix(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(h.window->isVisible());
}

TEST_F(ShortcutsTest, TheFileChooserKeepsItsKeysAndTheListIsUntouched) {
    // The real chooser, opened with Ctrl+O: Ctrl+A selects its files, Backspace goes up a folder.
    testing::TempDir dir;
    std::filesystem::create_directory(dir / "inner");
    for (const char* name : {"a.mov", "b.mov", "c.mov"}) testing::writeFile(dir / "inner" / name, "x");
    DesktopServices desktop;
    desktop.setWindow(h.window.get());
    model.setPlatformServices(&desktop);
    focus(list());
    const bool ran = testing::withModal(
        [&] { QTest::keyClick(list(), Qt::Key_O, Qt::ControlModifier); },
        [&](QWidget* modal) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(chooser, nullptr);
            EXPECT_EQ(chooser->windowTitle(), "파일 추가");
            chooser->setDirectory(QString::fromStdString((dir / "inner").string()));
            QAbstractItemView* files = nullptr;  // the list or the detail view, whichever is shown
            for (auto* view : chooser->findChildren<QAbstractItemView*>())
                if (view->isVisible() &&
                    (view->objectName() == "listView" || view->objectName() == "treeView"))
                    files = view;
            ASSERT_NE(files, nullptr);
            ASSERT_TRUE(
                testing::waitFor([&] { return files->model()->rowCount(files->rootIndex()) == 3; }, 5000));
            files->setFocus();
            ASSERT_TRUE(testing::waitFor([&] { return QApplication::focusWidget() == files; }, 2000));
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
    expectUntouched();
    EXPECT_EQ(model.pendingTasks(), 0);  // nothing was added
}

TEST_F(ShortcutsTest, QuestionsMenusAndOtherWindowsKeepTheirKeys) {
    auto press = [](QWidget* to) {
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete}) QTest::keyClick(to, key);
        for (Qt::Key key : {Qt::Key_A, Qt::Key_O}) QTest::keyClick(to, key, Qt::ControlModifier);
    };
    QMessageBox question(QMessageBox::Question, "", "?", QMessageBox::Ok | QMessageBox::Cancel,
                         h.window.get());
    EXPECT_TRUE(testing::withModal([&] { question.exec(); }, press));
    QMenu menu(h.window.get());
    menu.addAction(QStringLiteral("Same as Source"));
    menu.popup(h.window->mapToGlobal(QPoint(500, 200)));
    ASSERT_TRUE(testing::waitFor([&] { return QApplication::activePopupWidget() == &menu; }, 2000));
    press(&menu);
    menu.close();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    press(&other);
    expectUntouched();
}

}  // namespace
}  // namespace tessellane
