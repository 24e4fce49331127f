// The real window on the offscreen platform: what it shows for a model state, and what its mouse, key and
// drop handling call on the model.
#include "ui/window/main_window.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

#include "tests/ui/ui_test_support.h"
#include "ui/shell/shortcut_filter.h"
#include "ui/widgets/alley_button.h"
#include "ui/widgets/card_painter.h"
#include "ui/widgets/elided_label.h"
#include "ui/widgets/folder_menu_button.h"
#include "ui/widgets/path_label.h"
#include "ui/widgets/progress_bar.h"
#include "ui/widgets/tab_bar.h"
#include "ui/widgets/tool_button.h"
#include "ui/window/clip_list_model.h"
#include "ui/window/file_list_view.h"
#include "ui/window/queue_list.h"
#include "ui/window/settings_column.h"
#include "ui/window/validation_box.h"

namespace tessellane {
namespace {

using testing::labelRows;
using testing::TempDir;
using testing::videoRecord;
using testing::WindowHarness;
using Rows = std::vector<std::pair<QString, QColor>>;

class MainWindowTest : public ::testing::Test {
  protected:
    WindowHarness h;
    MainWindow& window = *h.window;
    AppModel& model = h.model;
    ClipListModel& rows = *window.listModel();
    SettingsColumn& settings = *window.settings();

    void setClips(int count, const FileURL& folder = "/clips") {
        std::vector<ClipInfo> clips;
        for (int i = 1; i <= count; ++i)
            clips.push_back(videoRecord(folder / ("take_" + std::to_string(i) + ".mov")));
        model.setClips(clips);
        QCoreApplication::processEvents();
    }
    QString cardName(int row) { return rows.index(row).data(ClipListModel::CardRole).value<CardData>().name; }
    QPoint rowCentre(int row) { return window.fileList()->visualRect(rows.index(row)).center(); }
    QString mergeFace() { return window.mergeButton()->grab().toImage().pixelColor(3, 3).name(); }
    Rows validation() { return labelRows(window.validationBox()); }
    template <typename Event>
    bool send(QWidget* to, QPoint at, const QMimeData& mime, Qt::DropAction action = Qt::MoveAction) {
        Event event(at, action, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(to, &event);
        return event.isAccepted();
    }
};

TEST_F(MainWindowTest, EmptyWindowSaysWhatToDoInLinuxWords) {
    EXPECT_TRUE(window.emptyState()->isVisible());
    EXPECT_FALSE(window.fileList()->isVisible());
    const Rows help = labelRows(window.emptyState());
    ASSERT_EQ(help.size(), 2u);
    EXPECT_EQ(help[0].first, "영상 조각을 여기에 끌어다 놓으세요");
    EXPECT_TRUE(help[1].first.contains("Ctrl·Shift+클릭") && help[1].first.contains("Ctrl+A"));
    EXPECT_FALSE(help[1].first.contains("⌘"));
    EXPECT_EQ(window.addButton()->text(), "＋ 파일 추가");
    EXPECT_EQ(window.mergeButton()->text(), "Merge 0 Files");
    EXPECT_FALSE(window.mergeButton()->isEnabled());
    EXPECT_FALSE(window.progressBar()->barVisible());
    EXPECT_TRUE(validation().empty());
}

TEST_F(MainWindowTest, ClipsShowCardsFooterTitleAndWhatWillBeWritten) {
    setClips(3);
    EXPECT_EQ(window.tabBar()->titles(), QStringList({"Files (3)", "Queue (0)"}));
    EXPECT_TRUE(window.fileList()->isVisible());
    EXPECT_EQ(window.mergeButton()->text(), "Merge 3 Files");
    EXPECT_EQ(mergeFace(), palette::cyan().name());
    ASSERT_EQ(rows.rowCount(), 4);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(cardName(i), QString("take_%1.mov").arg(i + 1));
    EXPECT_EQ(rows.index(3).data(ClipListModel::FooterDetailRole).toString(),
              "hstack 3 · H264 · 5760 x 1080");
    model.setSuffix("_v2");
    EXPECT_EQ(rows.index(3).data(ClipListModel::FooterNameRole).toString(), "take_v2.mov");
    EXPECT_EQ(window.windowTitle(), "take_v2.mov - 5760 x 1080");
    EXPECT_EQ(settings.codecBox()->fullText(), "Same as Source (H264, yuv420p)");
    EXPECT_EQ(settings.fileNameBox()->fullText(), "take_v2.mov");
    // The folder: the clips' own, or one chosen, until "Same as Source" is taken again.
    EXPECT_EQ(settings.folderPath()->text(), "/clips");
    h.services.folderAnswer = FolderChoice{true, FileURL("/exports/today")};
    settings.folderMenu()->chooseAction()->trigger();
    EXPECT_EQ(settings.folderMenu()->text(), "Custom");
    EXPECT_EQ(settings.folderPath()->text(), "/exports/today");
    settings.folderMenu()->sameAsSourceAction()->trigger();
    EXPECT_EQ(settings.folderPath()->text(), "/clips");
}

TEST_F(MainWindowTest, ValidationRowsWithTheirColours) {
    TempDir dir;
    const QString x = QStringLiteral("\u2715 "), warn = QStringLiteral("\u26A0\uFE0E ");
    const ClipInfo a = videoRecord(dir / "a_1.mov"), b = videoRecord(dir / "a_2.mov");
    const QColor red = palette::danger(), amber = palette::warn();
    const struct {
        std::vector<ClipInfo> clips;
        QString suffix;
        Rows shown;
    } table[] = {
        {{a}, "", {{x + "파일이 2개 이상 필요합니다", red}}},
        {{a, videoRecord(dir / "a_2.mov", 720, "h264", "yuv422p")},
         "",
         {{x + "높이가 다릅니다: 1080 / 720", red},
          {warn + "픽셀 포맷이 서로 다릅니다 — 첫 파일(yuv420p)로 변환", amber}}},
        {{a, videoRecord(dir / "a_2.mov", 1080, "hevc")},
         "",
         {{warn + "코덱이 서로 다릅니다 — 첫 파일(H264) 사양으로 인코딩", amber}}},
        {{a, ClipInfo(dir / "a_2.mov", {.error = "손상된 파일"})}, "", {{x + "a_2.mov: 손상된 파일", red}}},
        {{a, b},
         "_x",
         {{x + "같은 이름의 파일이 이미 있습니다 — 접미사를 바꾸세요", red}}},  // a_x.mov exists
        {{a, b}, "a:b", {{x + "접미사에 / : 는 쓸 수 없습니다", red}}},
        {{a, b}, "_ok", {}},
    };
    testing::writeFile(dir / "a_x.mov", "x");
    for (const auto& row : table) {
        SCOPED_TRACE(row.shown.empty() ? "fine" : row.shown[0].first.toStdString());
        model.setClips(row.clips);
        model.setSuffix(row.suffix);
        EXPECT_EQ(validation(), row.shown);
        EXPECT_EQ(settings.fileNameBox()->textColor(), row.suffix == "_x" ? red : QColor(Qt::white));
        const bool blocked = !row.shown.empty() && row.shown[0].second == red;
        EXPECT_EQ(window.mergeButton()->isEnabled(), !blocked);
        EXPECT_EQ(mergeFace() == palette::cyan().name(), !blocked);
    }
}

TEST_F(MainWindowTest, StatusRowSuccessWithRevealAndFailure) {
    setClips(3);
    model.setStatus("5760×1080 · H264 · 125f 완료");
    model.setLastResult(FileURL("/out/take.mov"));
    EXPECT_EQ(validation(), Rows({{"✓ 5760×1080 · H264 · 125f 완료", palette::cyan()}}));
    auto* reveal = window.validationBox()->findChild<QPushButton*>("revealLastResult");
    ASSERT_TRUE(reveal);
    EXPECT_EQ(reveal->text(), "파일 관리자에서 보기");
    QTest::mouseClick(reveal, Qt::LeftButton);
    EXPECT_EQ(h.services.revealed, std::vector<FileURL>{"/out/take.mov"});
    model.setLastResult(std::nullopt);
    model.setStatusIsError(true);
    model.setStatus("ffmpeg 실패");
    EXPECT_EQ(validation(), Rows({{"✕ ffmpeg 실패", palette::danger()}}));
    EXPECT_FALSE(window.validationBox()->findChild<QPushButton*>("revealLastResult"));
}

TEST(ValidationBoxAlone, MissingFfmpegRowNamesTheFoldersSearchedEvenWithoutClips) {
    TempDir empty;
    testing::ScopedToolPath noTools(empty.path());
    WindowHarness h;
    const QString text =
        QString::fromStdString("⚠︎ ffmpeg를 찾을 수 없습니다 (" + empty.path().string() + ")");
    EXPECT_EQ(labelRows(h.window->validationBox()), Rows({{text, palette::danger()}}));
}

TEST_F(MainWindowTest, TheFileNameTurnsRedWhenAJobEndsWithTheOutputPresent) {
    TempDir dir;
    setClips(3, dir.path());
    model.setRunning(true);
    testing::writeFile(dir / "take.mov", "x");
    EXPECT_EQ(settings.fileNameBox()->textColor(), QColor(Qt::white));
    model.setRunning(false);
    EXPECT_EQ(settings.fileNameBox()->textColor(), palette::danger());
}

TEST_F(MainWindowTest, WhileAMergeRunsClearIsOffAndCancelAndProgressShow) {
    setClips(3);
    EXPECT_FALSE(window.cancelButton()->isVisible());
    model.setRunning(true);
    EXPECT_TRUE(window.cancelButton()->isVisible());
    EXPECT_EQ(window.cancelButton()->text(), "취소");
    EXPECT_EQ(window.mergeButton()->text(), "Merging…");
    EXPECT_FALSE(window.mergeButton()->isEnabled());
    QTest::mouseClick(window.clearButton(), Qt::LeftButton);
    EXPECT_EQ(model.clips().size(), 3u);
    model.setProgress(0.4);
    EXPECT_TRUE(window.progressBar()->barVisible());
    EXPECT_DOUBLE_EQ(window.progressBar()->value(), 0.4);
    const QImage bar = window.progressBar()->grab().toImage();  // filled from the 10-pixel inset
    EXPECT_EQ(bar.pixelColor(12, 1).name(), palette::cyan().name());
    EXPECT_NE(bar.pixelColor(bar.width() - 12, 1).name(), palette::cyan().name());
    model.setRunning(false);
    EXPECT_FALSE(window.cancelButton()->isVisible());
    EXPECT_TRUE(window.progressBar()->barVisible());  // a reported fraction keeps it shown
    QTest::mouseClick(window.clearButton(), Qt::LeftButton);
    EXPECT_TRUE(model.clips().empty());
}

TEST_F(MainWindowTest, ClosingDuringAMergeAsksAndItsDefaultStops) {
    setClips(3);
    model.setRunning(true);
    for (const bool pressEnter : {false, true}) {  // Enter takes the default; otherwise "계속 합치기"
        EXPECT_TRUE(testing::withModal([&] { window.close(); },
                                       [&](QWidget* modal) {
                                           auto* box = qobject_cast<QMessageBox*>(modal);
                                           ASSERT_TRUE(box && box->defaultButton());
                                           EXPECT_EQ(box->text(),
                                                     "합치는 중입니다. 합치기를 멈추고 끝낼까요?");
                                           EXPECT_EQ(box->defaultButton()->text(), "멈추고 끝내기");
                                           if (pressEnter) return QTest::keyClick(box, Qt::Key_Return);
                                           for (QAbstractButton* button : box->buttons())
                                               if (button->text() == "계속 합치기") button->click();
                                       }));
        EXPECT_EQ(window.isVisible(), !pressEnter);
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    model.setRunning(false);
    window.close();  // without a merge: no question
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindowTest, SuffixFieldUpdatesTheFileNameAsYouType) {
    setClips(3);
    QTest::keyClicks(settings.suffixField(), "_v2");
    EXPECT_EQ(settings.fileNameBox()->fullText(), "take_v2.mov");
    QTest::keyClick(settings.suffixField(), Qt::Key_Slash);
    EXPECT_EQ(window.validationBox()->shownRows().back().text, "✕ 접미사에 / : 는 쓸 수 없습니다");
    EXPECT_FALSE(window.mergeButton()->isEnabled());
}

TEST_F(MainWindowTest, DropOfFilesMakesOneAddAndOtherDragsAreRefused) {
    TempDir dir;
    QList<QUrl> urls{QUrl("https://example.com/p_4.png")};  // not a file: skipped
    for (const char* name : {"p_3.png", "p_1.png", "p_2.png"}) {
        urls << QUrl::fromLocalFile(QString::fromStdString(testing::makeTinyImage(dir / name).string()));
    }
    QMimeData text, files;
    text.setText("hello");
    files.setUrls(urls);
    const QPoint at(600, 300);
    EXPECT_FALSE(send<QDragEnterEvent>(&window, at, text, Qt::CopyAction));
    EXPECT_FALSE(window.dropHover());
    EXPECT_TRUE(send<QDragEnterEvent>(&window, at, files, Qt::CopyAction));
    EXPECT_EQ(window.grab().toImage().pixelColor(600, 1).name(), palette::cyan().name());  // the outline
    QDragLeaveEvent leave;
    QApplication::sendEvent(&window, &leave);
    EXPECT_NE(window.grab().toImage().pixelColor(600, 1).name(), palette::cyan().name());

    QSignalSpy clipsChanged(&model, &AppModel::clipsChanged);
    model.setThumbnailTimeLimit(std::chrono::milliseconds(1));
    EXPECT_TRUE(send<QDragEnterEvent>(&window, at, files, Qt::CopyAction));
    EXPECT_TRUE(send<QDropEvent>(&window, at, files, Qt::CopyAction));
    EXPECT_FALSE(window.dropHover());
    ASSERT_TRUE(testing::waitFor([&] { return model.pendingTasks() == 0 && model.clips().size() == 3; }));
    EXPECT_EQ(clipsChanged.count(), 1);
    EXPECT_EQ(model.clips()[0].name(), "p_1.png");
}

TEST_F(MainWindowTest, ARowDropMovesOnceToThePlaceUnderThePointer) {
    setClips(3);
    FileListView* list = window.fileList();
    const std::pair<QPoint, int> table[] = {{rowCentre(0) - QPoint(0, 5), 0},
                                            {rowCentre(0) + QPoint(0, 5), 1},
                                            {rowCentre(1) - QPoint(0, 5), 1},
                                            {rowCentre(2) + QPoint(0, 5), 3},
                                            {rowCentre(3), 3},
                                            {QPoint(100, 600), 3}};
    for (const auto& [at, to] : table) EXPECT_EQ(list->dropPosition(at), to) << at.y();

    QSignalSpy clipsChanged(&model, &AppModel::clipsChanged);
    QMimeData mime;
    mime.setData(kRowsMimeType, FileListView::encodeRows({0}));
    const QPoint target = rowCentre(2) + QPoint(0, 10);  // the lower half of the last card: to the end
    EXPECT_TRUE(send<QDragEnterEvent>(list->viewport(), target, mime));
    send<QDragMoveEvent>(list->viewport(), target, mime);
    send<QDropEvent>(list->viewport(), target, mime);
    EXPECT_EQ(clipsChanged.count(), 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(cardName(i), QString("take_%1.mov").arg(QChar("231"[i])));
    EXPECT_TRUE(rows.index(3).data(ClipListModel::IsFooterRole).toBool());
}

TEST_F(MainWindowTest, DraggingACardNearTheListsEdgesScrollsIt) {
    setClips(20);
    QScrollBar* bar = window.fileList()->verticalScrollBar();
    QWidget* viewport = window.fileList()->viewport();
    const int height = viewport->height();
    QMimeData mime;
    mime.setData(kRowsMimeType, "0");
    auto dragTo = [&](int y) { send<QDragMoveEvent>(viewport, QPoint(100, y), mime); };
    send<QDragEnterEvent>(viewport, QPoint(100, height / 2), mime);
    QTest::qWait(100);
    EXPECT_EQ(bar->value(), 0);
    dragTo(height - 3);
    EXPECT_TRUE(testing::waitFor([&] { return bar->value() > 50; }, 5000));
    dragTo(3);
    EXPECT_TRUE(testing::waitFor([&] { return bar->value() == 0; }, 5000));
    dragTo(height - 3);
    ASSERT_TRUE(testing::waitFor([&] { return bar->value() > 0; }, 5000));
    QDragLeaveEvent leave;
    QApplication::sendEvent(viewport, &leave);  // leaving stops the scrolling
    const int stoppedAt = bar->value();
    QTest::qWait(100);
    EXPECT_EQ(bar->value(), stoppedAt);
}

TEST_F(MainWindowTest, ClickingACardCallsClickWithTheHeldModifiers) {
    setClips(3);
    QWidget* viewport = window.fileList()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, rowCentre(1));
    EXPECT_EQ(model.selected(), std::set<Uuid>{model.clips()[1].id()});
    EXPECT_TRUE(rows.index(1).data(ClipListModel::CardRole).value<CardData>().selected);
    h.services.modifiers = Qt::ShiftModifier;
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, rowCentre(2));
    EXPECT_EQ(model.selected().size(), 2u);
    h.services.modifiers = Qt::NoModifier;
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, rowCentre(3));  // the footer is no clip
    EXPECT_EQ(model.selected().size(), 2u);
}

TEST_F(MainWindowTest, QueueTabPlaceholderAndRevealButtons) {
    QTest::mouseClick(window.tabBar()->tab(1), Qt::LeftButton);
    EXPECT_TRUE(window.queueList()->isVisible());
    EXPECT_EQ(window.tabBar()->tab(1)->grab().toImage().pixelColor(2, 2).name(), palette::cyan().name());
    ASSERT_TRUE(window.queueList()->findChild<QLabel*>("queueEmpty"));
    model.setDone({DoneItem("/out/b.mov", "3840×1080 · H264 · 10f 완료"), DoneItem("/out/a.mov", "5f 완료")});
    EXPECT_EQ(window.tabBar()->titles()[1], "Queue (2)");
    EXPECT_TRUE(window.queueList()->isVisible());  // renaming the tabs keeps the selection
    EXPECT_FALSE(window.queueList()->findChild<QLabel*>("queueEmpty"));
    const auto items = window.queueList()->findChildren<OutputItemWidget*>();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->detail(), "3840×1080 · H264 · 10f 완료");
    const auto buttons = window.queueList()->findChildren<QPushButton*>("revealOutput");
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[1]->text(), "파일 관리자");
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    EXPECT_EQ(h.services.revealed, std::vector<FileURL>{"/out/a.mov"});
}

TEST(MergeInTheWindow, EscapeTheCancelButtonAndClosingEachStopIt) {
    TempDir work, tools;
    testing::makeTinyMovie(work / "part1.mov", 1);
    testing::makeTinyMovie(work / "part2.mov", 1);
    // Writes into its output (the hidden temporary), reports a frame, then hangs until stopped.
    testing::writeScript(
        tools / "ffmpeg",
        "for last; do :; done\nprintf partial > \"$last\"\necho frame=1\nexec /bin/sleep 30\n");
    testing::ScopedToolPath path(tools.path());
    WindowHarness h;
    ShortcutFilter keys;
    keys.setModel(&h.model);
    keys.setWindow(h.window.get());
    qApp->installEventFilter(&keys);
    h.model.setThumbnailTimeLimit(std::chrono::milliseconds(1));
    h.model.add({work / "part1.mov", work / "part2.mov"});
    ASSERT_TRUE(testing::waitFor([&] { return h.model.pendingTasks() == 0; }));
    const auto before = testing::filesIn(work.path());
    for (const std::string how : {"Escape", "취소", "close"}) {
        SCOPED_TRACE(how);
        QTest::keyClick(h.window.get(), Qt::Key_Return, Qt::ControlModifier);
        ASSERT_TRUE(h.model.running());
        ASSERT_TRUE(testing::waitFor([&] { return testing::filesIn(work.path()) != before; }, 10000))
            << "ffmpeg never started: " << h.model.status().toStdString();
        EXPECT_TRUE(h.window->cancelButton()->isVisible());
        if (how == "Escape") QTest::keyClick(h.window.get(), Qt::Key_Escape);
        if (how == "취소") QTest::mouseClick(h.window->cancelButton(), Qt::LeftButton);
        if (how == "close") {
            EXPECT_TRUE(testing::withModal([&] { h.window->close(); },
                                           [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }));
        }
        ASSERT_TRUE(testing::waitFor([&] { return h.model.pendingTasks() == 0; }, 5000));
        EXPECT_FALSE(h.model.running());
        EXPECT_EQ(h.model.status(), "합치기를 취소했습니다");
        EXPECT_TRUE(h.model.done().empty());
        EXPECT_EQ(testing::filesIn(work.path()), before);
        EXPECT_FALSE(h.window->cancelButton()->isVisible());
    }
    qApp->removeEventFilter(&keys);
}

}  // namespace
}  // namespace tessellane
