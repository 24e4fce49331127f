// The window's keys: they act only while the window itself has the keyboard and never on typed text; Tab
// reaches every control; the lists, the tabs and a whole merge work from the keyboard alone.
#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QRegularExpression>

#include "tests/ui/ui_test_support.h"
#include "ui/shell/desktop_services.h"
#include "ui/widgets/merge_button.h"
#include "ui/widgets/tab_bar.h"
#include "ui/widgets/tool_button.h"
#include "ui/window/queue_list.h"
#include "ui/window/validation_box.h"
#include "ui/window/window_actions.h"

namespace tessellane::testing {

class ShortcutsTest : public ::testing::Test {
  protected:
    WindowHarness h;
    SeamModel& model = h.model;
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
    // The list by digit, then the selected ones and the current card: "21345/1@1".
    std::string order() {
        std::string all, selected, current;
        for (const ClipInfo& clip : model.clips()) {
            all += clip.name()[2];
            if (model.selected().count(clip.id())) selected += clip.name()[2];
            if (h.window->fileList()->currentClip() == clip.id()) current = clip.name()[2];
        }
        return all + "/" + selected + "@" + current;
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
        {false, false, Qt::Key_Delete, Qt::ShiftModifier, "2||_v2"},
        {false, true, Qt::Key_Backspace, Qt::NoModifier, "2|13|_v2"},  // a merge keeps its clips
        {true, false, Qt::Key_Backspace, Qt::NoModifier, "2|13|_v"},
        {true, false, Qt::Key_Delete, Qt::NoModifier, "2|13|_v2"},
        {true, false, Qt::Key_Backspace, Qt::ControlModifier, "2|13|"},  // a word of the suffix
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
    model.setClips({videoRecord(dir / "inner" / "a_1.mov"), videoRecord(dir / "inner" / "a_2.mov"),
                    videoRecord(dir / "inner" / "a_3.mov")});
    model.setSelected({model.clips()[1].id()});
    DesktopServices desktop;
    desktop.setWindow(h.window.get());
    model.setPlatformServices(&desktop);
    EXPECT_TRUE(withModal(
        [&] { QTest::keyClick(list, Qt::Key_O, Qt::ControlModifier); },
        [&](QWidget* modal) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            ASSERT_TRUE(chooser);
            EXPECT_EQ(chooser->windowTitle(), "파일 추가");
            EXPECT_EQ(chooser->nameFilters().value(1), "모든 파일 (*)");
            EXPECT_EQ(chooser->directory(), QDir(QString::fromStdString((dir / "inner").string())))
                << "the clips' folder";
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
            QTest::keyClick(files, Qt::Key_Delete);  // never deletes from inside the chooser
            EXPECT_EQ(QApplication::activeModalWidget(), chooser);
            EXPECT_EQ(filesIn(dir / "inner").size(), 3u);
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

// Keys in the list, from five cards with nothing selected: ↓ ↑ Home End, S/U Shift+↓/↑, C Ctrl+↓, _
// Ctrl+Space, · Space, M/N Alt+↓/↑ (move the selected clips).
TEST_F(ShortcutsTest, ListKeysMoveSelectAndReorder) {
    const std::map<QChar, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
        {u'↓', {Qt::Key_Down, {}}},
        {u'↑', {Qt::Key_Up, {}}},
        {u'H', {Qt::Key_Home, {}}},
        {u'E', {Qt::Key_End, {}}},
        {u'S', {Qt::Key_Down, Qt::ShiftModifier}},
        {u'U', {Qt::Key_Up, Qt::ShiftModifier}},
        {u'C', {Qt::Key_Down, Qt::ControlModifier}},
        {u'_', {Qt::Key_Space, Qt::ControlModifier}},
        {u'·', {Qt::Key_Space, {}}},
        {u'M', {Qt::Key_Down, Qt::AltModifier}},
        {u'N', {Qt::Key_Up, Qt::AltModifier}},
    };
    const std::pair<QString, const char*> table[] = {
        {"↓", "12345/1@1"},     {"↓↓↓↑", "12345/2@2"}, {"↓SS", "12345/123@3"}, {"ESU", "12345/45@4"},
        {"↓CC_", "12345/13@3"}, {"↓CC·", "12345/3@3"}, {"HMM", "23145/1@1"},   {"ENN", "12534/5@5"},
        {"↓SN", "12345/12@2"},  {"↓S_M", "21345/1@2"}, {"M", "12345/@"},
    };
    for (const auto& [typed, expected] : table) {
        model.setClips({videoRecord("/c/a_1.mov"), videoRecord("/c/a_2.mov"), videoRecord("/c/a_3.mov"),
                        videoRecord("/c/a_4.mov"), videoRecord("/c/a_5.mov")});
        model.setSelected({});
        model.setAnchor(std::nullopt);
        h.window->fileList()->setCurrentIndex({});
        for (QChar c : typed) QTest::keyClick(list, keys.at(c).first, keys.at(c).second);
        EXPECT_EQ(order(), expected) << typed.toStdString();
    }
}

// Tab visits every control in the order they are seen, each named in Korean and drawn with a ring.
TEST_F(ShortcutsTest, TabReachesEveryControlWithVisibleFocus) {
    model.setStatus("5760×1080 · H264 · 125f 완료");
    model.setLastResult(FileURL("/c/a.mov"));
    h.window->tabBar()->setFocus(Qt::TabFocusReason);
    QStringList names;
    for (QWidget* at = QApplication::focusWidget(); names.size() < 20; at = QApplication::focusWidget()) {
        names << at->accessibleName();
        EXPECT_TRUE(at->accessibleName().contains(QRegularExpression("[가-힣]")))
            << at->metaObject()->className();
        // The ring: pixels of its colour that the control does not draw without the keyboard.
        const auto ring = [&] {
            const QImage image = at->grab().toImage();
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    count += image.pixelColor(x, y) == palette::focusRing();
            return count;
        };
        const int focused = ring();
        at->clearFocus();
        EXPECT_GT(focused, ring() + 20) << at->accessibleName().toStdString();
        at->setFocus(Qt::TabFocusReason);
        QTest::keyClick(at, Qt::Key_Tab);
        if (QApplication::focusWidget() == h.window->tabBar()) break;
    }
    EXPECT_EQ(
        names.join(" | "),
        "파일 목록 (3개) | 파일 추가 | 목록 비우기 | 합칠 파일 목록 | 파일 관리자에서 보기: a.mov | "
        "파일 3개 합치기 | 배치 | 크기가 다른 파일 | fps가 다른 파일 | 소리 | 출력 폴더: 원본과 같은 폴더 | "
        "파일 이름 접미사");
}

// The tabs by key: Ctrl+1/2, Ctrl+Tab both ways, and the arrows on the focused tab row; the keyboard
// follows from one list to the other.
TEST_F(ShortcutsTest, TabsByKey) {
    TabBar* tabs = h.window->tabBar();
    const std::tuple<QWidget*, Qt::Key, Qt::KeyboardModifiers, int> table[] = {
        {list, Qt::Key_2, Qt::ControlModifier, 1},
        {list, Qt::Key_1, Qt::ControlModifier, 0},
        {suffix, Qt::Key_Tab, Qt::ControlModifier, 1},
        {list, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 1},
        {tabs, Qt::Key_Right, {}, 1},
        {tabs, Qt::Key_End, {}, 1},
    };
    for (const auto& [from, key, mods, shown] : table) {
        tabs->setSelection(0);
        from->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(from, key, mods);
        EXPECT_EQ(tabs->selection(), shown) << key;
        QWidget* expected = shown ? static_cast<QWidget*>(h.window->queueList()) : list;
        if (from == list) {
            EXPECT_EQ(QApplication::focusWidget(), expected) << key;
        }
    }
}

// Emptying the list is undone with Ctrl+Z or the button beside the note, until the list is edited again.
TEST_F(ShortcutsTest, EmptyingIsUndone) {
    QTest::mouseClick(h.window->clearButton(), Qt::LeftButton);
    EXPECT_EQ(labelRows(h.window->validationBox()).front().first, "파일 3개를 목록에서 뺐습니다");
    QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(state(), "13|2|_v2");
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Delete);
    QTest::mouseClick(h.window->validationBox()->undoButton(), Qt::LeftButton);
    EXPECT_EQ(state(), "|123|_v2");
    EXPECT_TRUE(labelRows(h.window->validationBox()).empty());
}

// With keys alone: add, select one, move it, merge, open the finished tab and show the result.
TEST(KeyboardOnly, AddSelectMoveMergeAndReveal) {
    TempDir work;
    WindowHarness h;
    h.model.setThumbnailTimeLimit(std::chrono::milliseconds(1));
    h.services.filesAnswer = {{makeTinyMovie(work / "part1.mov"), makeTinyMovie(work / "part2.mov", 8)}};
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    };
    h.window->tabBar()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), h.window->addButton());
    press(Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return h.model.clips().size() == 2 && h.model.pendingTasks() == 0; }));
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), h.window->fileList());
    press(Qt::Key_Space);  // Tab made the first card current; Space selects it
    press(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(h.model.clips()[1].name() + " " + std::to_string(h.model.selected().size()), "part1.mov 1");
    press(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return !h.model.running() && h.model.pendingTasks() == 0; }));
    ASSERT_EQ(h.model.done().size(), 1u) << h.model.status().toStdString();
    EXPECT_EQ(h.model.done()[0].summary().split(" · ").value(0), "128×32") << "part2 then part1, both";
    press(Qt::Key_2, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), h.window->queueList());
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), h.window->revealButton());
    press(Qt::Key_Space);
    EXPECT_EQ(h.services.revealed, std::vector<FileURL>{work / "part.mov"});
}

}  // namespace tessellane::testing
