// The application-wide keys act on the clips only while the main window itself has the keyboard.
#include "ui/shell/shortcut_filter.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QMenu>

#include "tests/ui/ui_test_support.h"
#include "ui/shell/desktop_services.h"

namespace tessellane::testing {

class ShortcutsTest : public ::testing::Test {
  protected:
    WindowHarness h;
    AppModel& model = h.model;
    QLineEdit* suffix = h.window->settings()->suffixField();
    QWidget* list = h.window->fileList();

    void SetUp() override { reset({1}, list); }
    // Three clips with the given rows selected, "_v2" in the suffix field and the keyboard at `focus`.
    void reset(const std::set<int>& selected, QWidget* focus) {
        model.setClips({videoRecord("/c/a_1.mov"), videoRecord("/c/a_2.mov"), videoRecord("/c/a_3.mov")});
        std::set<Uuid> ids;
        for (int row : selected) ids.insert(model.clips()[row].id());
        model.setSelected(ids);
        model.setSuffix("_v2");
        focus->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == focus; }, 2000));
    }
    // The clips left by the digit in their names, "unselected|selected|suffix".
    std::string state() {
        std::string unselected, selected;
        for (const ClipInfo& clip : model.clips())
            (model.selected().count(clip.id()) ? selected : unselected) += clip.name()[2];
        return unselected + "|" + selected + "|" + model.suffix().toStdString();
    }
};

TEST_F(ShortcutsTest, SelectAndRemoveActOnTheListButNeverOnTypedText) {
    // In the suffix field (or on the list), during a merge, the key, its modifiers, state() after it.
    const std::tuple<bool, bool, Qt::Key, Qt::KeyboardModifiers, const char*> table[] = {
        {false, false, Qt::Key_A, Qt::ControlModifier, "|123|_v2"},
        {false, false, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "123||_v2"},
        {false, false, Qt::Key_A, Qt::NoModifier, "123||_v2"},
        {true, false, Qt::Key_A, Qt::ControlModifier, "123||_v2"},    // the field's text is selected instead
        {false, false, Qt::Key_Backspace, Qt::NoModifier, "2||_v2"},  // rows 1 and 3 were selected
        {false, false, Qt::Key_Delete, Qt::NoModifier, "2||_v2"},
        {false, true, Qt::Key_Backspace, Qt::NoModifier, "2|13|_v2"},  // a merge keeps its clips
        {true, false, Qt::Key_Backspace, Qt::NoModifier, "2|13|_v"},
        {true, false, Qt::Key_Delete, Qt::NoModifier, "2|13|_v2"},
    };
    for (const auto& [inSuffix, running, key, modifiers, after] : table) {
        reset(key == Qt::Key_A ? std::set<int>{} : std::set<int>{0, 2}, inSuffix ? suffix : list);
        model.setRunning(running);
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        model.setRunning(false);
        EXPECT_EQ(state(), after) << key;
        EXPECT_EQ(suffix->selectedText(), inSuffix && key == Qt::Key_A ? "_v2" : "") << key;
    }
}

TEST_F(ShortcutsTest, OpenAndMergeWorkFromTheSuffixField) {
    reset({}, suffix);
    QTest::keyClick(suffix, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(h.services.fileFilters.size(), 1u);
    model.setSuffix("a/b");
    QTest::keyClick(suffix, Qt::Key_Return, Qt::ControlModifier);  // not while the merge is blocked
    model.setSuffix("_x");
    QTest::keyClick(suffix, Qt::Key_Return);  // without Ctrl it is not the shortcut
    EXPECT_FALSE(model.running());
    QTest::keyClick(suffix, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(model.running());
    ASSERT_TRUE(waitFor([&] { return model.pendingTasks() == 0; }));  // the clips do not exist
}

TEST_F(ShortcutsTest, ChoosersQuestionsMenusAndOtherWindowsKeepTheirKeys) {
    TempDir dir;
    std::filesystem::create_directory(dir / "inner");
    for (const char* name : {"a.mov", "b.mov", "c.mov"}) writeFile(dir / "inner" / name, "x");
    DesktopServices desktop;
    desktop.setWindow(h.window.get());
    model.setPlatformServices(&desktop);
    EXPECT_TRUE(withModal(
        [&] { QTest::keyClick(list, Qt::Key_O, Qt::ControlModifier); },
        [&](QWidget* modal) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            ASSERT_TRUE(chooser);
            EXPECT_EQ(chooser->windowTitle(), "파일 추가");
            chooser->setViewMode(QFileDialog::List);
            chooser->setDirectory(QString::fromStdString((dir / "inner").string()));
            auto* files = chooser->findChild<QAbstractItemView*>("listView");
            ASSERT_TRUE(waitFor([&] { return files->model()->rowCount(files->rootIndex()) == 3; }, 5000));
            files->setFocus();
            ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == files; }, 2000));
            QTest::keyClick(files, Qt::Key_A, Qt::ControlModifier);  // selects the chooser's files
            EXPECT_EQ(chooser->selectedFiles().size(), 3);
            QTest::keyClick(files, Qt::Key_Backspace);  // goes up a folder
            EXPECT_EQ(QDir(chooser->directory()).absolutePath(), QString::fromStdString(dir.path().string()));
            QTest::keyClick(files, Qt::Key_Delete);
            QTest::keyClick(files, Qt::Key_Escape);
            EXPECT_TRUE(waitFor([&] { return !chooser->isVisible(); }, 2000));
        }));  // Ctrl+O opened the chooser
    model.setPlatformServices(&h.services);

    auto press = [](QWidget* to) {
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete}) QTest::keyClick(to, key);
        for (Qt::Key key : {Qt::Key_A, Qt::Key_O}) QTest::keyClick(to, key, Qt::ControlModifier);
    };
    QMessageBox question(QMessageBox::Question, "", "?", QMessageBox::Ok, h.window.get());
    EXPECT_TRUE(withModal([&] { question.exec(); }, press));
    QMenu menu(h.window.get());
    menu.addAction(QStringLiteral("Same as Source"));
    menu.popup(h.window->mapToGlobal(QPoint(500, 200)));
    ASSERT_TRUE(waitFor([&] { return QApplication::activePopupWidget() == &menu; }, 2000));
    press(&menu);
    menu.close();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    press(&other);
    EXPECT_EQ(state(), "13|2|_v2");
    EXPECT_TRUE(h.services.fileFilters.empty());
}

}  // namespace tessellane::testing
