// The real window on the offscreen platform: what it shows for a model state, and what its input calls.
#include "ui/window/main_window.h"

#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>

#include "tests/ui/ui_test_support.h"
#include "ui/widgets/alley_button.h"
#include "ui/widgets/card_painter.h"
#include "ui/widgets/elided_label.h"
#include "ui/widgets/folder_menu_button.h"
#include "ui/widgets/path_label.h"
#include "ui/widgets/progress_bar.h"
#include "ui/widgets/tab_bar.h"
#include "ui/widgets/tool_button.h"
#include "ui/window/clip_list_model.h"
#include "ui/window/queue_list.h"
#include "ui/window/validation_box.h"

namespace tessellane::testing {

using Rows = std::vector<std::pair<QString, QColor>>;

class MainWindowTest : public ::testing::Test {
  protected:
    WindowHarness h;
    MainWindow& window = *h.window;
    AppModel& model = h.model;
    ClipListModel& rows = *window.listModel();
    SettingsColumn& settings = *window.settings();
    FileListView* list = window.fileList();

    void setClips(int count, const FileURL& folder = "/clips") {
        std::vector<ClipInfo> clips;
        for (int i = 1; i <= count; ++i)
            clips.push_back(videoRecord(folder / ("take_" + std::to_string(i) + ".mov")));
        model.setClips(clips);
        QCoreApplication::processEvents();
    }
    CardData card(int row) { return rows.index(row).data(ClipListModel::CardRole).value<CardData>(); }
    QString cardNames() {
        QStringList names;
        for (int row = 0; row < rows.clipCount(); ++row) names << card(row).name;
        return names.join(' ');
    }
    QPoint rowCentre(int row, int y = 0) { return list->visualRect(rows.index(row)).center() + QPoint(0, y); }
    bool mergeFaceLit() { return window.mergeButton()->grab().toImage().pixelColor(3, 3) == palette::cyan(); }
    template <typename Event>
    bool send(QWidget* to, QPoint at, const QMimeData& mime, Qt::DropAction action = Qt::MoveAction) {
        Event event(at, action, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(to, &event);
        return event.isAccepted();
    }
};

TEST_F(MainWindowTest, EmptyThenWithClipsShowsCardsFooterAndWhatWillBeWrittenWhere) {
    EXPECT_FALSE(list->isVisible());
    const QString help = labelRows(window.emptyState()).back().first;  // in Linux words
    EXPECT_TRUE(help.contains("Ctrl·Shift+클릭") && help.contains("Ctrl+A") && !help.contains("⌘"));
    EXPECT_EQ(window.addButton()->text(), "＋ 파일 추가");
    EXPECT_FALSE(window.mergeButton()->isEnabled() || mergeFaceLit());

    setClips(3);
    EXPECT_FALSE(window.emptyState()->isVisible());
    EXPECT_EQ(window.tabBar()->titles(), QStringList({"Files (3)", "Queue (0)"}));
    EXPECT_EQ(window.mergeButton()->text(), "Merge 3 Files");
    EXPECT_TRUE(window.mergeButton()->isEnabled() && mergeFaceLit());
    EXPECT_EQ(cardNames(), "take_1.mov take_2.mov take_3.mov");
    EXPECT_EQ(rows.index(3).data(ClipListModel::FooterDetailRole).toString(),
              "hstack 3 · H264 · 5760 x 1080");
    QTest::keyClicks(settings.suffixField(), "_v2");
    EXPECT_EQ(rows.index(3).data(ClipListModel::FooterNameRole).toString(), "take_v2.mov");
    EXPECT_EQ(window.windowTitle(), "take_v2.mov - 5760 x 1080");
    EXPECT_EQ(settings.fileNameBox()->fullText(), "take_v2.mov");
    EXPECT_EQ(settings.codecBox()->fullText(), "Same as Source (H264, yuv420p)");
    EXPECT_EQ(settings.folderPath()->text(), "/clips");
    h.services.folderAnswer = FolderChoice{true, FileURL("/exports/today")};
    settings.folderMenu()->chooseAction()->trigger();
    EXPECT_EQ(settings.folderMenu()->text() + " " + settings.folderPath()->text(), "Custom /exports/today");
    settings.folderMenu()->sameAsSourceAction()->trigger();
    EXPECT_EQ(settings.folderMenu()->text() + " " + settings.folderPath()->text(), "Same as Source /clips");
}

TEST_F(MainWindowTest, BlocksAreRedCrossesFirstAndWarningsAmber) {
    TempDir dir;
    const ClipInfo a = videoRecord(dir / "a_1.mov"), b = videoRecord(dir / "a_2.mov");
    // The clips, the suffix, the first two words of each row shown.
    const std::tuple<std::vector<ClipInfo>, QString, QString> table[] = {
        {{a, videoRecord(dir / "a_2.mov", 720, "h264", "yuv422p")}, "", "✕ 높이가|\u26A0\uFE0E 픽셀"},
        {{a, videoRecord(dir / "a_2.mov", 1080, "hevc")}, "", "\u26A0\uFE0E 코덱이"},
        {{a, b}, "_x", "✕ 같은"},  // a_x.mov exists
        {{a, b}, "a/b", "✕ 접미사에"},
        {{a, b}, "_ok", ""},
    };
    writeFile(dir / "a_x.mov", "x");
    for (const auto& [clips, suffix, shown] : table) {
        model.setClips(clips);
        settings.suffixField()->setText(suffix);
        QStringList words;
        for (const auto& [text, colour] : labelRows(window.validationBox())) {
            words << text.section(' ', 0, 1);
            EXPECT_EQ(colour, text.startsWith("✕") ? palette::danger() : palette::warn());
        }
        EXPECT_EQ(words.join('|'), shown) << suffix.toStdString();
        EXPECT_EQ(window.mergeButton()->isEnabled(), !shown.contains("✕"));
        EXPECT_EQ(mergeFaceLit(), !shown.contains("✕"));
    }
}

TEST_F(MainWindowTest, StatusRowSuccessWithRevealAndFailure) {
    setClips(3);
    model.setStatus("5760×1080 · H264 · 125f 완료");
    model.setLastResult(FileURL("/out/take.mov"));
    EXPECT_EQ(labelRows(window.validationBox()), Rows({{"✓ 5760×1080 · H264 · 125f 완료", palette::cyan()}}));
    auto* reveal = window.validationBox()->findChild<QPushButton*>("revealLastResult");
    ASSERT_TRUE(reveal && reveal->text() == "파일 관리자에서 보기");
    QTest::mouseClick(reveal, Qt::LeftButton);
    EXPECT_EQ(h.services.revealed, std::vector<FileURL>{"/out/take.mov"});
    model.setStatusIsError(true);
    model.setStatus("ffmpeg 실패");
    EXPECT_EQ(labelRows(window.validationBox()), Rows({{"✕ ffmpeg 실패", palette::danger()}}));
}

TEST(ValidationBoxAlone, MissingFfmpegRowNamesTheFoldersSearchedEvenWithoutClips) {
    TempDir empty;
    ScopedToolPath noTools(empty.path());
    WindowHarness h;
    const QString text =
        QString::fromStdString("⚠︎ ffmpeg를 찾을 수 없습니다 (" + empty.path().string() + ")");
    EXPECT_EQ(labelRows(h.window->validationBox()), Rows({{text, palette::danger()}}));
}

TEST_F(MainWindowTest, WhileAMergeRunsCancelAndProgressShowAndClearWaits) {
    TempDir dir;
    setClips(3, dir.path());
    model.setRunning(true);
    EXPECT_EQ(window.cancelButton()->isVisible() ? window.cancelButton()->text() : "", "취소");
    EXPECT_FALSE(window.mergeButton()->isEnabled());
    QTest::mouseClick(window.clearButton(), Qt::LeftButton);
    EXPECT_EQ(model.clips().size(), 3u);
    model.setProgress(0.4);
    EXPECT_EQ(window.progressBar()->grab().toImage().pixelColor(12, 1), palette::cyan());  // the fill
    writeFile(dir / "take.mov", "x");  // the result, written by the job
    model.setRunning(false);
    EXPECT_FALSE(window.cancelButton()->isVisible());
    EXPECT_TRUE(window.progressBar()->barVisible());  // a reported fraction keeps it shown
    EXPECT_EQ(settings.fileNameBox()->textColor(), palette::danger());
    QTest::mouseClick(window.clearButton(), Qt::LeftButton);
    EXPECT_TRUE(model.clips().empty());
    EXPECT_FALSE(withModal([&] { window.close(); }, [](QWidget*) {}, 100)) << "no question without a merge";
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, DropOfFilesMakesOneAddAndOtherDragsAreRefused) {
    TempDir dir;
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::red);
    QList<QUrl> urls{QUrl("https://example.com/p_4.png")};  // not a file: skipped
    for (const char* name : {"p_3.png", "p_1.png", "p_2.png"}) {
        urls << QUrl::fromLocalFile(QString::fromStdString((dir / name).string()));
        ASSERT_TRUE(image.save(urls.back().toLocalFile()));
    }
    QMimeData text, files;
    text.setText("hello");
    files.setUrls(urls);
    const QPoint at(600, 300);
    EXPECT_FALSE(send<QDragEnterEvent>(&window, at, text, Qt::CopyAction));
    QSignalSpy clipsChanged(&model, &AppModel::clipsChanged);
    model.setThumbnailTimeLimit(std::chrono::milliseconds(1));
    EXPECT_TRUE(send<QDragEnterEvent>(&window, at, files, Qt::CopyAction));
    EXPECT_TRUE(send<QDropEvent>(&window, at, files, Qt::CopyAction));
    ASSERT_TRUE(waitFor([&] { return model.pendingTasks() == 0 && model.clips().size() == 3; }));
    EXPECT_EQ(clipsChanged.count(), 1);
    EXPECT_EQ(cardNames(), "p_1.png p_2.png p_3.png");
}

TEST_F(MainWindowTest, ARowDropMovesOnceToThePlaceUnderThePointerAndClicksSelect) {
    setClips(3);
    const std::pair<QPoint, int> table[] = {{rowCentre(0, -5), 0}, {rowCentre(0, 5), 1},
                                            {rowCentre(1, -5), 1}, {rowCentre(2, 5), 3},
                                            {rowCentre(3), 3},     {QPoint(100, 600), 3}};
    for (const auto& [at, to] : table) EXPECT_EQ(list->dropPosition(at), to) << at.y();
    QSignalSpy clipsChanged(&model, &AppModel::clipsChanged);
    QMimeData mime;
    mime.setData(kRowsMimeType, FileListView::encodeRows({0}));
    const QPoint target = rowCentre(2, 10);  // the lower half of the last card: to the end
    EXPECT_TRUE(send<QDragEnterEvent>(list->viewport(), target, mime));
    send<QDragMoveEvent>(list->viewport(), target, mime);
    send<QDropEvent>(list->viewport(), target, mime);
    EXPECT_EQ(clipsChanged.count(), 1);
    EXPECT_EQ(cardNames(), "take_2.mov take_3.mov take_1.mov");
    EXPECT_EQ(card(1).index, 2);
    for (const char* junk : {"", "a", "1,,2", "-1", "1,x", "99999999999"}) {  // refused: nothing moves
        mime.setData(kRowsMimeType, junk);
        send<QDropEvent>(list->viewport(), rowCentre(0, -5), mime);
    }
    EXPECT_EQ(clipsChanged.count(), 1);
    // A click selects; Shift held adds the range; the footer is no clip.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(1));
    EXPECT_EQ(model.selected(), std::set<Uuid>{model.clips()[1].id()});
    EXPECT_TRUE(card(1).selected);
    h.services.modifiers = Qt::ShiftModifier;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(3));
    EXPECT_EQ(model.selected().size(), 2u);
}

TEST_F(MainWindowTest, DraggingACardNearTheListsEdgesScrollsIt) {
    setClips(20);
    QScrollBar* bar = list->verticalScrollBar();
    QWidget* viewport = list->viewport();
    QMimeData mime;
    mime.setData(kRowsMimeType, "0");
    auto dragTo = [&](int y) { send<QDragEnterEvent>(viewport, QPoint(100, y), mime); };
    dragTo(viewport->height() / 2);
    QTest::qWait(100);
    EXPECT_EQ(bar->value(), 0);
    dragTo(viewport->height() - 3);
    EXPECT_TRUE(waitFor([&] { return bar->value() > 50; }, 5000));
    QDragLeaveEvent leave;
    QApplication::sendEvent(viewport, &leave);  // leaving stops the scrolling
    const int stoppedAt = bar->value();
    QTest::qWait(100);
    EXPECT_EQ(bar->value(), stoppedAt);
    dragTo(3);
    EXPECT_TRUE(waitFor([&] { return bar->value() == 0; }, 5000));
}

TEST_F(MainWindowTest, QueueTabListsOutputsWithRevealButtons) {
    QTest::mouseClick(window.tabBar()->tab(1), Qt::LeftButton);
    EXPECT_EQ(window.tabBar()->tab(1)->grab().toImage().pixelColor(2, 2), palette::cyan());
    model.setDone({DoneItem("/out/b.mov", "3840×1080 · H264 · 10f 완료"), DoneItem("/out/a.mov", "5f 완료")});
    EXPECT_EQ(window.tabBar()->titles()[1], "Queue (2)");
    EXPECT_TRUE(window.queueList()->isVisible());  // renaming the tabs keeps the selection
    const auto buttons = window.queueList()->findChildren<QPushButton*>("revealOutput");
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[1]->text(), "파일 관리자");
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    EXPECT_EQ(h.services.revealed, std::vector<FileURL>{"/out/a.mov"});
}

TEST(MergeInTheWindow, EscapeTheCancelButtonAndQuittingEachStopIt) {
    TempDir work, tools;
    for (const char* name : {"part1.mov", "part2.mov"}) makeTinyMovie(work / name, 1);
    // Writes into its output (the temporary), says it has started, reports a frame, then hangs until stopped.
    const std::filesystem::path started = tools / "started";
    writeScript(tools / "ffmpeg", "for last; do :; done\nprintf partial > \"$last\"\ntouch '" +
                                      started.string() + "'\necho frame=1\nexec /bin/sleep 30\n");
    ScopedToolPath path(tools.path());
    WindowHarness h;
    h.model.setThumbnailTimeLimit(std::chrono::milliseconds(1));
    h.model.add({work / "part1.mov", work / "part2.mov"});
    ASSERT_TRUE(waitFor([&] { return h.model.pendingTasks() == 0; }));
    const auto before = filesIn(work.path());
    for (const std::string how : {"Escape", "취소", "Ctrl+Q"}) {
        SCOPED_TRACE(how);
        std::filesystem::remove(started);
        QTest::keyClick(h.window.get(), Qt::Key_Return, Qt::ControlModifier);
        ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(started); }, 10000))
            << "ffmpeg never started";
        if (how == "Escape") QTest::keyClick(h.window.get(), Qt::Key_Escape);
        if (how == "취소") QTest::mouseClick(h.window->cancelButton(), Qt::LeftButton);
        // Ctrl+Q closes the window, which asks first: "계속 합치기" keeps merging, Enter (the default) stops.
        for (const bool enter : {false, true}) {
            if (how != "Ctrl+Q") continue;
            h.window->activateWindow();  // the keys act only on the active window
            ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
            auto close = [&] { QTest::keyClick(h.window.get(), Qt::Key_Q, Qt::ControlModifier); };
            EXPECT_TRUE(withModal(close, [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_TRUE(box && box->defaultButton());
                EXPECT_EQ(box->text(), "합치는 중입니다. 합치기를 멈추고 끝낼까요?");
                EXPECT_EQ(box->defaultButton()->text(), "멈추고 끝내기");
                if (enter) return QTest::keyClick(box, Qt::Key_Return);
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == "계속 합치기") button->click();
            }));
            EXPECT_EQ(h.window->isVisible() && h.model.running(), !enter);
        }
        ASSERT_TRUE(waitFor([&] { return h.model.pendingTasks() == 0; }, 5000));
        EXPECT_EQ(h.model.status(), "합치기를 취소했습니다");
        EXPECT_TRUE(h.model.done().empty());
        EXPECT_EQ(filesIn(work.path()), before);
    }
}

}  // namespace tessellane::testing
