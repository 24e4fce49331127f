// The real window on the offscreen platform: what it shows for a model state, and what its input calls.
#include "ui/window/main_window.h"

#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>

#include "tests/ui/ui_test_support.h"
#include "ui/shell/windowed_app.h"
#include "ui/widgets/card_painter.h"
#include "ui/widgets/elided_label.h"
#include "ui/widgets/menu_button.h"
#include "ui/widgets/merge_button.h"
#include "ui/widgets/path_label.h"
#include "ui/widgets/progress_bar.h"
#include "ui/widgets/tab_bar.h"
#include "ui/widgets/tool_button.h"
#include "ui/window/choosers.h"
#include "ui/window/clip_list_model.h"
#include "ui/window/done_list_model.h"
#include "ui/window/preview_pane.h"
#include "ui/window/queue_list.h"
#include "ui/window/validation_box.h"

namespace tessellane::testing {

using Rows = std::vector<std::pair<QString, QColor>>;

class MainWindowTest : public ::testing::Test {
  protected:
    WindowHarness h;
    MainWindow& window = *h.window;
    SeamModel& model = h.model;
    ClipListModel& rows = *window.listModel();
    SettingsColumn& settings = *window.settings();
    FileListView* list = window.fileList();

    TempDir clipsFolder;  // real, so that the window's look at the output folder finds it
    const QString clipsPath = QString::fromStdString(clipsFolder.path().string());
    void setClips(int count) { setClips(count, clipsFolder.path()); }
    void setClips(int count, const FileURL& folder) {
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
    bool mergeFaceLit() {
        return window.mergeButton()->grab().toImage().pixelColor(3, 3) == palette::accent();
    }
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
    EXPECT_EQ(settings.folderPath()->text(), clipsPath);
    h.services.folderAnswer = FolderChoice{true, FileURL("/exports/today")};
    settings.chooseFolderAction()->trigger();
    EXPECT_EQ(settings.folderMenu()->text() + " " + settings.folderPath()->text(), "Custom /exports/today");
    settings.sameAsSourceAction()->trigger();
    EXPECT_EQ(settings.folderMenu()->text() + " " + settings.folderPath()->text(),
              "Same as Source " + clipsPath);
}

TEST_F(MainWindowTest, BlocksAreRedCrossesFirstWarningsAmberAndNotesDim) {
    TempDir dir;
    const ClipInfo a = videoRecord(dir / "a_1.mov"), b = videoRecord(dir / "a_2.mov");
    // The clips, the suffix, the first two words of each row shown.
    const std::tuple<std::vector<ClipInfo>, QString, QString> table[] = {
        {{a, videoRecord(dir / "a_2.mov", 720, "h264", "yuv422p")}, "", "✕ 높이가|\u26A0\uFE0E 픽셀"},
        {{a, videoRecord(dir / "a_2.mov", 1080, "hevc")}, "", "\u26A0\uFE0E 코덱이"},
        {{a, b}, "_x", "✕ 같은"},           // a_x.mov exists
        {{a, b}, "_w", "\u2139\uFE0E 이"},  // a_w.mov too, written by this window
        {{videoRecord(dir / "b.mov"), videoRecord(dir / "b_2.mov")}, "", "✕ 출력"},  // the first input's name
        {{a, b}, "a/b", "✕ 접미사에는"},
        {{a, b}, "a:b", ""},  // legal on Linux; a FAT folder refuses it when the merge starts
        {{a, b}, "_ok", ""},
    };
    for (const char* name : {"a_x.mov", "a_w.mov", "b.mov"}) writeFile(dir / name, "x");
    model.setDone({DoneItem(dir / "a_w.mov", "1f 완료")});
    for (const auto& [clips, suffix, shown] : table) {
        model.setClips(clips);
        settings.suffixField()->setText(suffix);
        QStringList words;
        for (const auto& [text, colour] : labelRows(window.validationBox())) {
            words << text.section(' ', 0, 1);
            EXPECT_EQ(colour, text.startsWith("✕")   ? palette::danger()
                              : text.startsWith("⚠") ? palette::warn()
                                                     : palette::dimText());
        }
        EXPECT_EQ(words.join('|'), shown) << suffix.toStdString();
        const bool mergeable = !shown.contains("✕") && !shown.contains("\u2139");
        EXPECT_EQ(window.mergeButton()->isEnabled(), mergeable);
        EXPECT_EQ(mergeFaceLit(), mergeable);
        EXPECT_EQ(settings.fileNameBox()->textColor() == palette::danger(),
                  shown.startsWith("✕ 같은") || shown.startsWith("✕ 출력"));
    }
}

// The status line, the bar and the buttons through a merge's states, each set as the job sets it.
TEST_F(MainWindowTest, StatesOfAMergeAreShownAsTheyAre) {
    setClips(3);
    model.setMergeTarget(MergeTarget{"/clips/take.mov", {}, 5760, 1080});
    auto* reveal = window.validationBox()->revealButton();
    const QColor dim = palette::dimText(), accent = palette::accent(), red = palette::danger();
    // running, stopping, error, last result, status and progress; then the status line, the line under it,
    // the merge button, the bar's fill (transparent when faded out) and whether cancelling is offered.
    const std::tuple<bool, bool, bool, bool, QString, double, QString, QString, QString, QColor, bool>
        table[] = {
            {true, false, false, false, kMergingStatus, 0.4, "합치는 중…", "/clips/take.mov", "Merging…",
             accent, true},
            {true, true, false, false, kStoppingStatus, 0.4, "멈추는 중…", "/clips/take.mov", "멈추는 중…",
             dim, false},
            {false,
             false,
             true,
             false,
             "합치기를 취소했습니다",
             0,
             "✕ 합치기를 취소했습니다",
             "",
             "Merge 3 Files",
             {},
             false},
            {false, false, true, false, "ffmpeg 실패", 0.4, "✕ ffmpeg 실패", "", "Merge 3 Files", red, false},
            {false, false, false, true, "5760×1080 · H264 · 125f 완료", 1,
             "✓ take.mov · 5760×1080 · H264 · 125f 완료", "/clips", "Merge 3 Files", accent, false},
        };
    for (const auto& [running, stopping, error, result, status, progress, line, where, button, fill, cancel] :
         table) {
        model.setRunning(running);
        model.setStopping(stopping);
        model.setStatusIsError(error);
        model.setLastResult(result ? std::optional<FileURL>("/clips/take.mov") : std::nullopt);
        model.setStatus(status);
        model.setProgress(progress);
        const Rows rows = labelRows(window.validationBox());
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0].first, line);
        const std::string shown = line.toStdString();
        EXPECT_EQ(rows.size() > 1 ? rows[1].first : "", where) << shown;
        EXPECT_EQ(window.mergeButton()->text(), button);
        const QColor drawn = window.progressBar()->grab().toImage().pixelColor(11, 1);
        EXPECT_EQ(window.progressBar()->barVisible() ? drawn : QColor(), fill) << shown;
        EXPECT_EQ(window.cancelButton()->isVisible() && window.cancelButton()->isEnabled(), cancel) << shown;
        EXPECT_EQ(reveal->isVisible(), result) << shown;
    }
    QTest::mouseClick(reveal, Qt::LeftButton);
    EXPECT_EQ(h.services.revealed, std::vector<FileURL>{"/clips/take.mov"});
}

// A running merge keeps its title and status line; what is edited meanwhile is marked as the next merge.
TEST_F(MainWindowTest, ARunningMergeKeepsItsPartOfTheScreen) {
    setClips(3);
    std::vector<Uuid> ids;
    for (const ClipInfo& clip : model.clips()) ids.push_back(clip.id());
    const std::function<void()> edits[] = {[] {}, [&] { settings.suffixField()->setText("_v2"); },
                                           [&] { model.setCustomOutDir(FileURL("/elsewhere")); },
                                           [&] { setClips(4); }};
    bool edited = false;
    for (const auto& edit : edits) {
        setClips(3);
        model.setSuffix("");
        model.setCustomOutDir(std::nullopt);
        for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = model.clips()[i].id();
        model.setMergeTarget(MergeTarget{clipsFolder / "take.mov", ids, 5760, 1080});
        model.setRunning(true);
        model.setStatus(kMergingStatus);
        edit();
        EXPECT_EQ(window.windowTitle(), "take.mov - 5760 x 1080");
        EXPECT_EQ(labelRows(window.validationBox()).front().first, "합치는 중…");
        EXPECT_EQ(settings.nextMergeNote()->isVisible(), edited);
        EXPECT_EQ(settings.nextMergeNote()->text().contains("take.mov에는 적용되지 않습니다"), edited);
        const QImage preview = window.preview()->grab(QRect(0, 0, 100, 30)).toImage();
        EXPECT_EQ(inkBottom(preview) >= 0, edited) << "the caption of the next merge's preview";
        model.setRunning(false);
        EXPECT_FALSE(settings.nextMergeNote()->isVisible());
        edited = true;
    }
    EXPECT_EQ(window.windowTitle(), "take.mov - 7680 x 1080");
}

// At its smallest the window still shows every control; the columns narrow first, then the preview.
TEST_F(MainWindowTest, TheSmallestWindowKeepsEveryControl) {
    const std::tuple<int, int, int> widths[] = {{1278, 430, 430}, {1218, 429, 429}, {898, 340, 300}};
    for (const auto& [available, left, settings] : widths)
        EXPECT_EQ(columnWidths(available), std::make_pair(left, settings)) << available;
    setClips(3);
    window.resize(MainWindow::kMinimumSize);
    ASSERT_TRUE(waitFor([&] { return window.size() == MainWindow::kMinimumSize; }, 2000));
    QCoreApplication::processEvents();
    const QRect inside = window.rect();
    for (QWidget* control :
         std::initializer_list<QWidget*>{window.mergeButton(), window.addButton(), window.clearButton(),
                                         window.tabBar(), window.preview()})
        EXPECT_TRUE(inside.contains(QRect(control->mapTo(&window, QPoint()), control->size())))
            << control->metaObject()->className();
    EXPECT_GE(window.preview()->width(), 240);
    EXPECT_GE(window.fileList()->height(), 100);
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
    writeFile(dir / "take.mov", "x");  // the result, written by the job
    model.setRunning(false);
    EXPECT_FALSE(window.cancelButton()->isVisible());
    EXPECT_TRUE(window.progressBar()->barVisible());  // a reported fraction keeps it shown
    EXPECT_EQ(settings.fileNameBox()->textColor(), palette::danger());
    QTest::mouseClick(window.clearButton(), Qt::LeftButton);
    EXPECT_TRUE(model.clips().empty());
    EXPECT_FALSE(window.progressBar()->barVisible()) << "the bar was about the list just emptied";
    EXPECT_FALSE(withModal([&] { window.close(); }, [](QWidget*) {}, 100)) << "no question without a merge";
    EXPECT_FALSE(window.isVisible());
    // A merge that ends while the question is open takes the question with it, and the window closes.
    window.show();
    model.setRunning(true);
    EXPECT_TRUE(withModal([&] { window.close(); },
                          [&](QWidget* question) {
                              model.setRunning(false);
                              EXPECT_TRUE(waitFor([&] { return !question->isVisible(); }, 2000));
                          }));
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

// Whichever way files come (dropped, chosen, named at start), what is not added is said once, in one line
// grouped by reason; a drag lights the frame only when its drop would add something.
TEST_F(MainWindowTest, WhatIsNotAddedIsSaidOnceWithItsReason) {
    TempDir dir;
    std::filesystem::create_directories(dir / "takes");
    std::filesystem::create_directories(dir / "empty");
    for (const char* name : {"takes/a.mov", "takes/b.mov", "takes/notes.txt", "x.mkv", "c.png", "1.mkv",
                             "2.mkv", "3.mkv", "4.mkv"})
        writeFile(dir / name, "");
    model.setThumbnailTimeLimit(std::chrono::milliseconds(1));
    QLabel* line = window.validationBox()->findChild<QLabel*>("refusedText");
    // How the names come ('d' dropped, 'c' chosen, 's' named at start), the names, whether their drag lights
    // the frame (drops only), how many clips the list gains, the line that follows ("" for none).
    const std::tuple<char, QStringList, bool, std::size_t, QString> table[] = {
        {'d', {"x.mkv"}, false, 0, "1개를 넣지 않았습니다 — 지원하지 않는 형식: x.mkv"},
        {'d', {"takes"}, true, 2, "1개를 넣지 않았습니다 — 지원하지 않는 형식: notes.txt"},
        {'d',
         {"empty", "takes/a.mov"},
         false,
         0,
         "2개를 넣지 않았습니다 — 이미 목록에 있음: a.mov · 넣을 파일이 없는 폴더: empty/"},
        {'c',
         {"1.mkv", "2.mkv", "c.png", "3.mkv", "4.mkv"},
         true,
         1,
         "4개를 넣지 않았습니다 — 지원하지 않는 형식: 1.mkv, 2.mkv, 3.mkv 외 1개"},
        {'s',
         {"c.png", "gone", "takes"},
         false,
         0,
         "5개를 넣지 않았습니다 — 지원하지 않는 형식: notes.txt · 이미 목록에 있음: c.png, a.mov, b.mov · "
         "찾을 수 없음: gone"},
        {'d', {"new.mov"}, true, 1, ""},  // one that refuses nothing takes the line away
    };
    for (const auto& [how, names, lit, added, said] : table) {
        SCOPED_TRACE(names.join(' ').toStdString());
        QList<QUrl> urls;
        std::vector<FileURL> files;
        for (const QString& name : names) {
            files.push_back(dir / name.toStdString());
            urls << QUrl::fromLocalFile(QString::fromStdString(files.back().string()));
        }
        if (names.contains("new.mov")) writeFile(dir / "new.mov", "");
        const std::size_t before = model.clips().size();
        QMimeData mime;
        mime.setUrls(urls);
        if (how == 'd') {
            EXPECT_TRUE(send<QDragEnterEvent>(&window, QPoint(600, 300), mime, Qt::CopyAction));
            EXPECT_EQ(window.dropHover(), lit);
            send<QDropEvent>(&window, QPoint(600, 300), mime, Qt::CopyAction);
        } else if (how == 'c') {
            h.services.filesAnswer = files;
            QTest::mouseClick(window.addButton(), Qt::LeftButton);
        } else {
            std::vector<std::string> arguments;
            for (const QString& name : names) arguments.push_back(name.toStdString());
            model.add(startupFiles(arguments, dir.path()));
        }
        ASSERT_TRUE(waitFor([&] { return model.pendingTasks() == 0; }));
        EXPECT_EQ(model.clips().size() - before, added);
        EXPECT_EQ(line->isVisible() ? line->text() : "", said.isEmpty() ? "" : "\u26A0\uFE0E " + said);
        EXPECT_EQ(line->palette().color(QPalette::WindowText), palette::warn());
    }
    model.add({dir / "x.mkv"});
    EXPECT_TRUE(line->toolTip().startsWith("x.mkv: 지원하지 않는 형식"));
    model.move({0}, 2);
    EXPECT_FALSE(line->isVisible()) << "it was about the list before this edit";
}

// Each bad file has its own reason on its card and its own line in the box, in list order; a long list of
// them scrolls in the box instead of pushing the clips off the window.
TEST_F(MainWindowTest, BadFilesAreToldApartAndEachIsListed) {
    TempDir dir;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString((dir / "ok.png").string())));
    const std::string png = readFile(dir / "ok.png");
    writeFile(dir / "4 cut.png", png.substr(0, png.size() - 12));  // without its IEND chunk
    writeFile(dir / "3 empty.mov", "");
    writeFile(dir / "5 text.mov", "not a movie\n");
    std::filesystem::create_symlink(dir / "nowhere.mov", dir / "2 link.mov");
    const std::pair<const char*, const char*> table[] = {
        {"1 gone.mov", "파일이 없습니다"},
        {"2 link.mov", "링크가 가리키는 파일이 없습니다"},
        {"3 empty.mov", "빈 파일입니다"},
        {"4 cut.png", "잘린 이미지 — PNG의 끝(IEND)이 없습니다"},
        {"5 text.mov", "영상 스트림 없음(또는 읽을 수 없는 파일)"},
        {"ok.png", nullptr},
    };
    std::vector<FileURL> files;
    for (const auto& [name, reason] : table) files.push_back(dir / name);
    model.add(files);
    ASSERT_TRUE(waitFor([&] { return model.pendingTasks() == 0 && model.clips().size() == 6; }));
    Rows expected;
    for (int row = 0; row < 6; ++row) {
        const auto& [name, reason] = table[row];
        EXPECT_EQ(card(row).name, name);
        EXPECT_EQ(card(row).error.value_or("-"), reason ? reason : "-");
        if (reason) expected.push_back({QString("✕ ") + name + ": " + reason, palette::danger()});
    }
    EXPECT_EQ(labelRows(window.validationBox()), expected);

    std::vector<ClipInfo> bad;
    for (int i = 1; i <= 40; ++i)
        bad.emplace_back(dir / ("gone_" + std::to_string(i) + ".mov"),
                         ClipFields{.error = "파일이 없습니다"});
    model.setClips(bad);
    QCoreApplication::processEvents();
    EXPECT_EQ(labelRows(window.validationBox()).size(), 40u);
    EXPECT_GE(window.fileList()->height(), 200);
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
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(3));
    EXPECT_EQ(model.selected().size(), 2u);
}

// Every kind of list change reaches the rows as row insertions, moves and removals (Qt checks that they
// agree with the rows), never as a reset; the keyboard's card stays on its clip wherever it goes.
TEST_F(MainWindowTest, RowsFollowEveryListChangeWithoutAReset) {
    QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&rows, &QAbstractItemModel::modelReset);
    std::map<char, ClipInfo> records;
    for (char name : std::string("ABCDE"))
        records.emplace(name, videoRecord(clipsFolder.path() / (std::string(1, name) + ".mov")));
    for (const std::string order : {"ABCDE", "ACE", "ABCDE", "EDCBA", "BAEDC", "C", "", "DB", "ADBEC"}) {
        std::vector<ClipInfo> clips;
        for (char name : order) clips.push_back(records.at(name));
        const bool hadCurrent = list->currentIndex().isValid();
        const int at = order.find('C') == std::string::npos ? -1 : static_cast<int>(order.find('C'));
        model.setClips(clips);
        std::string shown;
        for (int row = 0; row < rows.clipCount(); ++row)
            for (const auto& [name, clip] : records)
                if (rows.clipIdAt(row) == clip.id()) shown += name;
        EXPECT_EQ(shown + (rows.hasFooter() ? "+" : ""), order + (order.empty() ? "" : "+"));
        // A removed card leaves none current.
        if (hadCurrent) {
            EXPECT_EQ(list->currentIndex().row(), at) << order;
        }
        list->setCurrentIndex(rows.index(at));
    }
    EXPECT_EQ(resets.count(), 0);
}

// Cancelled choosers start nothing; the choosers open where the clips are (the folder chooser where the
// output goes) and hand what is chosen to the model.
TEST_F(MainWindowTest, ChoosersOpenWhereTheClipsAreAndHandOverTheChoice) {
    QSignalSpy any(&model, &AppModel::changed);
    chooseOutputFolder(model);
    addChosenFiles(model);
    EXPECT_EQ(any.count() + model.pendingTasks(), 0);
    const std::vector<std::string> kinds = {"mov",  "mp4", "m4v",  "png", "jpg",
                                            "jpeg", "tif", "tiff", "bmp", "webp"};
    EXPECT_EQ(h.services.fileFilters, std::vector<std::vector<std::string>>{kinds});
    h.services.folderAnswer = {true, FileURL("/picked")};
    chooseOutputFolder(model);
    EXPECT_EQ(model.customOutDir(), FileURL("/picked"));
    h.services.folderAnswer = {true, std::nullopt};  // the platform may confirm without naming a folder
    chooseOutputFolder(model);
    EXPECT_FALSE(model.customOutDir());
    EXPECT_EQ(h.services.folderLabels, std::vector<QString>(3, "선택"));
    setClips(2);
    addChosenFiles(model);
    model.setCustomOutDir(FileURL("/out"));
    chooseOutputFolder(model);
    const std::vector<std::optional<FileURL>> starts = {
        std::nullopt, std::nullopt, std::nullopt, FileURL("/picked"), clipsFolder.path(), FileURL("/out")};
    EXPECT_EQ(h.services.startFolders, starts);
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

// The finished tab acts on its own list only: its tool row, its keys, its links; the clips stay as they are.
TEST_F(MainWindowTest, FinishedTabActsOnTheFinishedList) {
    setClips(7);
    model.selectAll();
    QTest::mouseClick(window.tabBar()->tab(1), Qt::LeftButton);
    EXPECT_EQ(window.tabBar()->tab(1)->grab().toImage().pixelColor(2, 2), palette::accent());
    EXPECT_FALSE(window.clearButton()->isVisible() || window.addButton()->isVisible());
    QueueList& queue = *window.queueList();
    const auto fill = [&] {
        model.setDone({DoneItem("/out/c.mov", "3f 완료"), DoneItem("/out/b.mov", "2f 완료"),
                       DoneItem("/out/a.mov", "1f 완료")});
    };
    fill();
    EXPECT_EQ(window.tabBar()->titles()[1], "Queue (3)");
    EXPECT_TRUE(queue.isVisible());  // renaming the tabs keeps the selection
    EXPECT_EQ(queue.rows()->index(1).data(DoneListModel::FolderRole).toString(), "/out");
    QTest::mouseClick(queue.viewport(), Qt::LeftButton, {},
                      QueueList::revealLink(queue.visualRect(queue.rows()->index(2))).center());
    EXPECT_EQ(h.services.revealed, std::vector<FileURL>{"/out/a.mov"});
    // What is chosen (a click on row 1, then the key), the key; the outputs left, the ones opened.
    const std::tuple<int, Qt::Key, Qt::KeyboardModifiers, const char*, std::size_t> keys[] = {
        {1, Qt::Key_Delete, {}, "c a", 0},
        {1, Qt::Key_Backspace, {}, "c a", 0},
        {1, Qt::Key_A, Qt::ControlModifier, "c b a", 0},
        {1, Qt::Key_Return, {}, "c b a", 1},
        {1, Qt::Key_Z, Qt::ControlModifier, "c b a", 0},
    };
    for (const auto& [row, key, mods, left, opened] : keys) {
        fill();
        h.services.opened.clear();
        QTest::mouseClick(queue.viewport(), Qt::LeftButton, {},
                          queue.visualRect(queue.rows()->index(row)).center());
        QTest::keyClick(&queue, key, mods);
        QStringList names;
        for (const DoneItem& item : model.done()) names << QString::fromStdString(item.url().stem().string());
        EXPECT_EQ(names.join(' '), left) << key;
        EXPECT_EQ(h.services.opened.size(), opened) << key;
        EXPECT_EQ(model.clips().size() * 10 + model.selected().size(), 77u) << "the clips untouched, " << key;
    }
    fill();
    QTest::keyClick(&queue, Qt::Key_A, Qt::ControlModifier);
    QTest::mouseClick(window.removeButton(), Qt::LeftButton);
    EXPECT_TRUE(model.done().empty());
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

// What the window finds on disk shows before Merge is pressed: each row changes one thing after the clips
// were listed and the folder chosen. Watchers report all but the last row, which is found when the window
// is activated again. Root writes whatever the mode says, so there the folder is made immutable instead.
TEST_F(MainWindowTest, ChangesOnDiskShowBeforeMerge) {
    TempDir source;
    makeTinyMovie(source / "take_1.mp4");
    makeTinyMovie(source / "longer.mp4", 9);
    bool unwritable = true;  // false where this file system has no immutable folders for root
    const auto activate = [&] {
        QEvent activation(QEvent::ActivationChange);
        QApplication::sendEvent(&window, &activation);
    };
    // The change, the first row of the box it leads to (its start), whether Merge stays possible, and what
    // the second card then says (its reason, else its length).
    const std::tuple<std::function<void(const FileURL&)>, QString, bool, QString> table[] = {
        {[](const FileURL& dir) { std::filesystem::remove(dir / "out"); }, "✕ 출력 폴더가 없습니다: ", false,
         "5f"},
        {[&](const FileURL&) { settings.suffixField()->setText(QString(250, 'x')); },
         "✕ 파일 이름이 너무 깁니다: 258바이트 (이 폴더에는 255바이트까지)", false, "5f"},
        {[](const FileURL& dir) { std::filesystem::remove(dir / "take_2.mp4"); },
         "✕ take_2.mp4: 파일이 없습니다", false, "파일이 없습니다"},
        {[](const FileURL& dir) {
             std::filesystem::copy_file(dir / "longer.mp4", dir / "next.mp4");
             std::filesystem::rename(dir / "next.mp4", dir / "take_2.mp4");
         },
         "⚠︎ 길이가 다릅니다 — 짧은 쪽(5f) 기준으로 자름", true, "9f"},
        {[&](const FileURL& dir) {
             ExitStatus status{ExitStatus::Kind::exited, 0};
             if (::geteuid() == 0)
                 runTool("chattr", {"+i", (dir / "out").string()}, &status);  // mode and times stay
             else
                 std::filesystem::permissions(dir / "out", std::filesystem::perms::owner_write,
                                              std::filesystem::perm_options::remove);
             unwritable = status.succeeded();
             activate();
         },
         "✕ 출력 폴더에 쓸 수 없습니다: ", false, "5f"},
    };
    for (const auto& [change, shown, mergeable, secondCard] : table) {
        SCOPED_TRACE(shown.toStdString());
        TempDir dir;
        for (const char* name : {"take_1.mp4", "take_2.mp4", "longer.mp4"})
            std::filesystem::copy_file(source / (std::string(name) == "take_2.mp4" ? "take_1.mp4" : name),
                                       dir / name);
        std::filesystem::create_directory(dir / "out");
        model.clear();
        settings.suffixField()->setText("");
        model.add({dir / "take_1.mp4", dir / "take_2.mp4"});
        model.setCustomOutDir(dir / "out");
        QTest::qWait(250);  // the watchers' look at the new output folder
        ASSERT_TRUE(waitFor([&] { return model.pendingTasks() == 0 && window.mergeButton()->isEnabled(); }));
        ASSERT_EQ(labelRows(window.validationBox()), Rows());

        change(dir.path());
        if (!unwritable) {
            std::cerr << "no folder is unwritable for root here (chattr +i refused): row left out\n";
            continue;
        }
        EXPECT_TRUE(waitFor(
            [&] {
                const Rows rows = labelRows(window.validationBox());
                return !rows.empty() && rows.front().first.startsWith(shown);
            },
            5000))
            << (labelRows(window.validationBox()).empty()
                    ? std::string("no row")
                    : labelRows(window.validationBox()).front().first.toStdString());
        EXPECT_EQ(window.mergeButton()->isEnabled(), mergeable);
        EXPECT_TRUE(card(1).error.value_or(card(1).timeLine).contains(secondCard));
        if (std::filesystem::exists(dir / "out")) {
            if (::geteuid() == 0) runTool("chattr", {"-i", (dir / "out").string()});
            std::filesystem::permissions(dir / "out", std::filesystem::perms::owner_all);
        }
    }
}

}  // namespace tessellane::testing
