// The real window on the offscreen platform: what it shows for a model state, and what its mouse and
// drop handling call on the model.
#include "ui/window/main_window.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/shell/shortcut_filter.h"
#include "ui/widgets/alley_button.h"
#include "ui/widgets/card_painter.h"
#include "ui/widgets/elided_label.h"
#include "ui/widgets/folder_menu_button.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/path_label.h"
#include "ui/widgets/progress_bar.h"
#include "ui/widgets/tab_bar.h"
#include "ui/widgets/tool_button.h"
#include "ui/window/clip_list_model.h"
#include "ui/window/file_list_view.h"
#include "ui/window/preview_pane.h"
#include "ui/window/queue_list.h"
#include "ui/window/settings_column.h"
#include "ui/window/validation_box.h"

namespace tessellane {
namespace {

using testing::brokenRecord;
using testing::imageRecord;
using testing::TempDir;
using testing::videoRecord;
using testing::WindowHarness;

const QString kDash = QStringLiteral("\u2014");

class MainWindowTest : public ::testing::Test {
  protected:
    WindowHarness h;
    MainWindow& window = *h.window;
    AppModel& model = h.model;

    void setThree(const FileURL& folder = "/clips") {
        model.setClips({videoRecord(folder / "take_1.mov"), videoRecord(folder / "take_2.mov"),
                        videoRecord(folder / "take_3.mov")});
    }
    std::string order() {
        std::string names;
        for (const ClipInfo& clip : model.clips()) names += clip.url().stem().string().back();
        return names;
    }
    QPoint rowCentre(int row) {
        return window.fileList()->visualRect(window.listModel()->index(row)).center();
    }
};

TEST_F(MainWindowTest, EmptyWindow) {
    EXPECT_EQ(window.windowTitle(), "Tessellane");
    EXPECT_EQ(window.tabBar()->titles(), QStringList({"Files (0)", "Queue (0)"}));
    EXPECT_TRUE(window.emptyState()->isVisible());
    EXPECT_FALSE(window.fileList()->isVisible());
    const auto rows = WindowHarness::labelRows(window.emptyState());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].first, "영상 조각을 여기에 끌어다 놓으세요");
    EXPECT_EQ(
        rows[1].first,
        "이름순 자동 정렬 · Ctrl·Shift+클릭 다중선택 · Ctrl+A 전체 · 드래그로 순서 변경 · Delete로 삭제");
    EXPECT_EQ(rows[0].second, palette::dimText());
    EXPECT_EQ(rows[1].second, palette::dimText());
    EXPECT_EQ(window.listModel()->rowCount(), 0);  // no footer either
    EXPECT_EQ(window.mergeButton()->text(), "Merge 0 Files");
    EXPECT_FALSE(window.mergeButton()->isEnabled());
    EXPECT_TRUE(window.clearButton()->isEnabled());
    EXPECT_EQ(window.addButton()->text(), "＋ 파일 추가");
    EXPECT_FALSE(window.progressBar()->barVisible());
    EXPECT_TRUE(window.validationBox()->shownRows().empty());
    EXPECT_FALSE(window.validationBox()->shownStatus());

    SettingsColumn& s = *window.settings();
    EXPECT_EQ(s.orderBox()->fullText(), kDash);
    EXPECT_EQ(s.codecBox()->fullText(), "Same as Source");
    EXPECT_EQ(s.folderMenu()->text(), "Same as Source");
    EXPECT_EQ(s.folderPath()->text(), kDash);
    EXPECT_EQ(s.baseNameBox()->fullText(), kDash);
    EXPECT_EQ(s.fileNameBox()->fullText(), kDash);
    EXPECT_EQ(s.suffixField()->placeholderText(), "예: _v2");
}

TEST_F(MainWindowTest, ColumnsHaveTheirWidthsAndOnePixelDividers) {
    const QWidget* left = window.tabBar()->parentWidget();
    EXPECT_EQ(left->width(), 430);
    EXPECT_EQ(window.settings()->width(), 430);
    EXPECT_EQ(window.settings()->x(), 431);
    EXPECT_EQ(window.preview()->x(), 862);
    EXPECT_EQ(window.preview()->width(), 1280 - 862);
    EXPECT_EQ(window.minimumSize(), QSize(1220, 600));
    const QImage shot = window.centralWidget()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(430, 300).name(), palette::winBG().name());
    EXPECT_EQ(shot.pixelColor(861, 300).name(), palette::winBG().name());
}

TEST_F(MainWindowTest, ClipsShowCardsFooterTitleAndMergeButton) {
    setThree();
    EXPECT_EQ(window.windowTitle(), "take.mov - 5760 x 1080");
    EXPECT_EQ(window.tabBar()->titles(), QStringList({"Files (3)", "Queue (0)"}));
    EXPECT_TRUE(window.fileList()->isVisible());
    EXPECT_EQ(window.mergeButton()->text(), "Merge 3 Files");
    EXPECT_EQ(window.mergeButton()->isEnabled(), model.canMerge());
    EXPECT_TRUE(window.mergeButton()->isEnabled());  // /clips/take.mov does not exist

    ClipListModel& rows = *window.listModel();
    ASSERT_EQ(rows.rowCount(), 4);
    for (int i = 0; i < 3; ++i) {
        const auto card = rows.index(i).data(ClipListModel::CardRole).value<CardData>();
        EXPECT_EQ(card.index, i + 1);
        EXPECT_EQ(card.name, QString("take_%1.mov").arg(i + 1));
    }
    EXPECT_TRUE(rows.index(3).data(ClipListModel::IsFooterRole).toBool());
    EXPECT_EQ(rows.index(3).data(ClipListModel::FooterNameRole).toString(), "take.mov");
    EXPECT_EQ(rows.index(3).data(ClipListModel::FooterDetailRole).toString(),
              "hstack 3 · H264 · 5760 x 1080");
    EXPECT_FALSE(rows.flags(rows.index(3)) & Qt::ItemIsDragEnabled);
    EXPECT_TRUE(rows.flags(rows.index(0)) & Qt::ItemIsDragEnabled);

    model.setSuffix("_v2");
    EXPECT_EQ(rows.index(3).data(ClipListModel::FooterNameRole).toString(), "take_v2.mov");
    EXPECT_EQ(window.windowTitle(), "take_v2.mov - 5760 x 1080");

    SettingsColumn& s = *window.settings();
    EXPECT_EQ(s.orderBox()->fullText(), "가로 순서 = 목록 순서 (왼쪽 → 오른쪽)");
    EXPECT_EQ(s.codecBox()->fullText(), "Same as Source (H264, yuv420p)");
    EXPECT_EQ(s.baseNameBox()->fullText(), "take");
    EXPECT_EQ(s.folderPath()->text(), "/clips");
    EXPECT_EQ(s.fileNameBox()->fullText(), "take_v2.mov");
    EXPECT_EQ(s.fileNameBox()->textColor(), QColor(Qt::white));

    model.setSelected({model.clips()[1].id()});
    EXPECT_TRUE(rows.index(1).data(ClipListModel::CardRole).value<CardData>().selected);
    EXPECT_FALSE(rows.index(0).data(ClipListModel::CardRole).value<CardData>().selected);
}

TEST_F(MainWindowTest, TenCardsAreNumberedInListOrderAndFollowAReorder) {
    std::vector<ClipInfo> clips;
    for (int i = 1; i <= 10; ++i) clips.push_back(videoRecord("/c/s" + std::to_string(i) + ".mov"));
    model.setClips(clips);
    model.move({9}, 0);
    for (int row = 0; row < 10; ++row) {
        const auto card = window.listModel()->index(row).data(ClipListModel::CardRole).value<CardData>();
        EXPECT_EQ(card.index, row + 1);
        EXPECT_EQ(card.name, QString("s%1.mov").arg(row == 0 ? 10 : row));
    }
}

TEST_F(MainWindowTest, ValidationRowsWithTheirColours) {
    TempDir dir;
    const QString block = QStringLiteral("\u2715 ");
    const QString warn = QStringLiteral("\u26A0\uFE0E ");
    const struct {
        const char* name;
        std::vector<ClipInfo> clips;
        QString suffix;
        bool createOutput;
        std::vector<std::pair<QString, QColor>> rows;
    } table[] = {
        {"one clip",
         {videoRecord(dir / "a_1.mov")},
         "",
         false,
         {{block + "파일이 2개 이상 필요합니다", palette::danger()}}},
        {"heights and pixel formats",
         {videoRecord(dir / "a_1.mov", 1920, 1080),
          videoRecord(dir / "a_2.mov", 1280, 720, "h264", "yuv422p")},
         "",
         false,
         {{block + "높이가 다릅니다: 1080 / 720", palette::danger()},
          {warn + "픽셀 포맷이 서로 다릅니다 — 첫 파일(yuv420p)로 변환", palette::warn()}}},
        {"codecs differ",
         {videoRecord(dir / "a_1.mov"), videoRecord(dir / "a_2.mov", 1920, 1080, "hevc")},
         "",
         false,
         {{warn + "코덱이 서로 다릅니다 — 첫 파일(H264) 사양으로 인코딩", palette::warn()}}},
        {"unreadable file",
         {videoRecord(dir / "a_1.mov"), brokenRecord(dir / "a_2.mov", "손상된 파일")},
         "",
         false,
         {{block + "a_2.mov: 손상된 파일", palette::danger()}}},
        {"output exists",
         {videoRecord(dir / "a_1.mov"), videoRecord(dir / "a_2.mov")},
         "_x",
         true,
         {{block + "같은 이름의 파일이 이미 있습니다 — 접미사를 바꾸세요", palette::danger()}}},
        {"bad suffix",
         {videoRecord(dir / "a_1.mov"), videoRecord(dir / "a_2.mov")},
         "a:b",
         false,
         {{block + "접미사에 / : 는 쓸 수 없습니다", palette::danger()}}},
        {"all fine", {videoRecord(dir / "a_1.mov"), videoRecord(dir / "a_2.mov")}, "_ok", false, {}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        model.setClips(row.clips);
        if (row.createOutput) testing::writeFile(dir / ("a" + row.suffix.toStdString() + ".mov"), "x");
        model.setSuffix(row.suffix);
        const auto shown = WindowHarness::labelRows(window.validationBox());
        ASSERT_EQ(shown.size(), row.rows.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].first, row.rows[i].first);
            EXPECT_EQ(shown[i].second, row.rows[i].second);
        }
        EXPECT_EQ(window.settings()->fileNameBox()->textColor(),
                  row.createOutput ? palette::danger() : QColor(Qt::white));
        const bool blocked = std::any_of(row.rows.begin(), row.rows.end(),
                                         [](const auto& r) { return r.second == palette::danger(); });
        EXPECT_EQ(window.mergeButton()->isEnabled(), !blocked);
    }
}

TEST_F(MainWindowTest, StatusRowSuccessWithRevealAndFailure) {
    setThree();
    model.setStatus("5760×1080 · H264 · 125f 완료");
    model.setLastResult(FileURL("/out/take.mov"));
    auto rows = WindowHarness::labelRows(window.validationBox());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].first, "✓ 5760×1080 · H264 · 125f 완료");
    EXPECT_EQ(rows[0].second, palette::cyan());
    auto* reveal = window.validationBox()->findChild<QPushButton*>("revealLastResult");
    ASSERT_TRUE(reveal);
    EXPECT_EQ(reveal->text(), "파일 관리자에서 보기");
    QTest::mouseClick(reveal, Qt::LeftButton);
    ASSERT_EQ(h.services.revealed.size(), 1u);
    EXPECT_EQ(h.services.revealed[0], FileURL("/out/take.mov"));

    model.setLastResult(std::nullopt);
    model.setStatusIsError(true);
    model.setStatus("ffmpeg 실패");
    rows = WindowHarness::labelRows(window.validationBox());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].first, "✕ ffmpeg 실패");
    EXPECT_EQ(rows[0].second, palette::danger());
    EXPECT_FALSE(window.validationBox()->findChild<QPushButton*>("revealLastResult"));
}

TEST(ValidationBoxAlone, MissingFfmpegRowShowsEvenWithoutClips) {
    std::unique_ptr<WindowHarness> h;
    {
        testing::ScopedToolPath noTools("/nonexistent");
        h = std::make_unique<WindowHarness>();
    }
    ASSERT_TRUE(h->model.ffmpegMissing());
    const auto rows = WindowHarness::labelRows(h->window->validationBox());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].first, "⚠︎ ffmpeg를 찾을 수 없습니다 (/nonexistent)");
    EXPECT_EQ(rows[0].second, palette::danger());
}

TEST_F(MainWindowTest, TheFileNameTurnsRedWhenAJobEndsWithTheOutputPresent) {
    TempDir dir;
    setThree(dir.path());
    model.setRunning(true);
    testing::writeFile(dir / "take.mov", "x");
    EXPECT_EQ(window.settings()->fileNameBox()->textColor(), QColor(Qt::white));
    model.setRunning(false);
    EXPECT_EQ(window.settings()->fileNameBox()->textColor(), palette::danger());
}

TEST_F(MainWindowTest, ClosingDuringAMergeAsksAndItsDefaultStops) {
    setThree();
    model.setRunning(true);
    const struct {
        bool pressEnter;  // Enter takes the default button; otherwise "계속 합치기" is clicked
        bool closed;
    } table[] = {{false, false}, {true, true}};
    for (const auto& row : table) {
        const bool asked =
            testing::withModal([&] { window.close(); },
                               [&](QWidget* modal) {
                                   auto* box = qobject_cast<QMessageBox*>(modal);
                                   ASSERT_NE(box, nullptr);
                                   EXPECT_EQ(box->text(), "합치는 중입니다. 합치기를 멈추고 끝낼까요?");
                                   ASSERT_NE(box->defaultButton(), nullptr);
                                   EXPECT_EQ(box->defaultButton()->text(), "멈추고 끝내기");
                                   if (row.pressEnter) {
                                       QTest::keyClick(box, Qt::Key_Return);
                                       return;
                                   }
                                   for (QAbstractButton* button : box->buttons())
                                       if (button->text() == "계속 합치기") button->click();
                               });
        EXPECT_TRUE(asked);
        EXPECT_EQ(window.isVisible(), !row.closed) << row.pressEnter;
    }
    // Without a merge the window closes without a question.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    model.setRunning(false);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindowTest, TheCancelButtonShowsOnlyWhileAMergeRuns) {
    setThree();
    EXPECT_FALSE(window.cancelButton()->isVisible());
    model.setRunning(true);
    EXPECT_TRUE(window.cancelButton()->isVisible());
    EXPECT_EQ(window.cancelButton()->text(), "취소");
    EXPECT_EQ(window.cancelButton()->height(), window.mergeButton()->height());
    model.setRunning(false);
    EXPECT_FALSE(window.cancelButton()->isVisible());
}

TEST_F(MainWindowTest, DraggingACardNearTheListsEdgesScrollsIt) {
    std::vector<ClipInfo> clips;
    for (int i = 1; i <= 20; ++i) clips.push_back(videoRecord("/c/s" + std::to_string(i) + ".mov"));
    model.setClips(clips);
    FileListView* view = window.fileList();
    QScrollBar* bar = view->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    QMimeData rows;
    rows.setData(kRowsMimeType, "0");
    auto dragTo = [&](int y) {
        QDragMoveEvent move(QPoint(100, y), Qt::MoveAction, &rows, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
    };
    const int height = view->viewport()->height();
    QDragEnterEvent enter(QPoint(100, height / 2), Qt::MoveAction, &rows, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    dragTo(height / 2);
    QTest::qWait(100);
    EXPECT_EQ(bar->value(), 0);
    dragTo(height - 3);
    EXPECT_TRUE(testing::waitFor([&] { return bar->value() == bar->maximum(); }, 5000));
    dragTo(3);
    EXPECT_TRUE(testing::waitFor([&] { return bar->value() == 0; }, 5000));
    dragTo(height - 3);
    ASSERT_TRUE(testing::waitFor([&] { return bar->value() > 0; }, 5000));
    QDragLeaveEvent leave;
    QApplication::sendEvent(view->viewport(), &leave);  // leaving stops the scrolling
    const int stoppedAt = bar->value();
    QTest::qWait(150);
    EXPECT_EQ(bar->value(), stoppedAt);
}

TEST_F(MainWindowTest, FolderMenuShowsCustomAndReturnsToSameAsSource) {
    setThree();
    h.services.folderAnswer = FolderChoice{true, FileURL("/exports/today")};
    window.settings()->folderMenu()->chooseAction()->trigger();
    ASSERT_EQ(h.services.folderLabels.size(), 1u);
    EXPECT_EQ(h.services.folderLabels[0], "선택");
    EXPECT_EQ(window.settings()->folderMenu()->text(), "Custom");
    EXPECT_EQ(window.settings()->folderPath()->text(), "/exports/today");
    window.settings()->folderMenu()->sameAsSourceAction()->trigger();
    EXPECT_EQ(window.settings()->folderMenu()->text(), "Same as Source");
    EXPECT_EQ(window.settings()->folderPath()->text(), "/clips");
    EXPECT_EQ(window.settings()->folderMenu()->menu()->actions().size(), 2);
    EXPECT_EQ(window.settings()->folderMenu()->menu()->actions()[1]->text(), "Choose...");
}

TEST_F(MainWindowTest, SuffixFieldUpdatesTheFileNameAsYouType) {
    setThree();
    QLineEdit* field = window.settings()->suffixField();
    QTest::keyClick(field, Qt::Key_Underscore);
    EXPECT_EQ(model.suffix(), "_");
    EXPECT_EQ(window.settings()->fileNameBox()->fullText(), "take_.mov");
    QTest::keyClicks(field, "v2");
    EXPECT_EQ(model.suffix(), "_v2");
    EXPECT_EQ(window.settings()->fileNameBox()->fullText(), "take_v2.mov");
    QTest::keyClick(field, Qt::Key_Slash);
    EXPECT_EQ(window.validationBox()->shownRows().back().text, "✕ 접미사에 / : 는 쓸 수 없습니다");
    EXPECT_FALSE(window.mergeButton()->isEnabled());
}

TEST_F(MainWindowTest, PreviewTilesAreDrawnToScale) {
    model.setClips({videoRecord("/c/a_1.mov"), videoRecord("/c/a_2.mov")});
    window.preview()->setMinimumWidth(0);
    window.preview()->setParent(nullptr);  // free of the window's layout, sized like the example
    window.preview()->resize(1000, 700);
    const auto layout = window.preview()->currentLayout();
    ASSERT_EQ(layout.tiles.size(), 2u);
    EXPECT_EQ(layout.tiles[0].size(), QSizeF(480, 270));
    EXPECT_EQ(layout.tiles[1].size(), QSizeF(480, 270));
    QImage thumb(1920, 1080, QImage::Format_RGB32);
    thumb.fill(Qt::blue);
    model.setThumb(model.clips()[0].id(), thumb);
    const QImage shot = window.preview()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(260, 350).name(), "#0000ff");  // the first tile shows its thumbnail
    EXPECT_EQ(shot.pixelColor(740, 350).name(), "#15191b");  // the second has none yet
    EXPECT_EQ(shot.pixelColor(10, 350).name(), "#000000");
    delete window.preview();
}

TEST_F(MainWindowTest, EmptyPreviewSaysSo) {
    const QImage shot = window.preview()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 5).name(), "#000000");
    // The "미리보기" text, in its dark grey, sits in the middle.
    const QRect middle(shot.width() / 2 - 40, shot.height() / 2 - 10, 80, 20);
    EXPECT_TRUE(testing::hasColourNear(shot, middle, palette::fromHex(0x3A4044)));
    EXPECT_FALSE(testing::hasColourNear(shot, QRect(0, 0, shot.width(), 100), palette::fromHex(0x3A4044)));
}

TEST_F(MainWindowTest, DropOfThreeFilesMakesOneAdd) {
    TempDir dir;
    QList<QUrl> urls;
    for (const char* name : {"p_3.png", "p_1.png", "p_2.png"}) {
        urls << QUrl::fromLocalFile(QString::fromStdString(testing::makeTinyImage(dir / name).string()));
    }
    urls << QUrl("https://example.com/p_4.png");  // not a file: skipped

    QSignalSpy clipsChanged(&model, &AppModel::clipsChanged);
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at(600, 300);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(window.dropHover());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_FALSE(window.dropHover());

    ASSERT_TRUE(testing::waitFor([&] { return model.pendingTasks() == 0 && model.clips().size() == 3; }));
    EXPECT_EQ(clipsChanged.count(), 1);
    EXPECT_EQ(model.clips()[0].name(), "p_1.png");
    EXPECT_EQ(window.tabBar()->titles()[0], "Files (3)");
}

TEST_F(MainWindowTest, DragsWithoutFilesAreRefusedAndLeavingClearsTheOutline) {
    QMimeData text;
    text.setText("hello");
    QDragEnterEvent refused(QPoint(600, 300), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_FALSE(window.dropHover());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/x.mov")});
    QDragEnterEvent enter(QPoint(600, 300), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(window.dropHover());
    const QImage outlined = window.grab().toImage();
    EXPECT_EQ(outlined.pixelColor(600, 1).name(), palette::cyan().name());
    QDragLeaveEvent leave;
    QApplication::sendEvent(&window, &leave);
    EXPECT_FALSE(window.dropHover());
    EXPECT_NE(window.grab().toImage().pixelColor(600, 1).name(), palette::cyan().name());
}

TEST_F(MainWindowTest, DraggingACardMakesOneMove) {
    setThree();
    QCoreApplication::processEvents();
    FileListView* list = window.fileList();
    QSignalSpy clipsChanged(&model, &AppModel::clipsChanged);

    // Row 0 dropped on the lower half of row 2: it lands at the end.
    QMimeData mime;
    mime.setData(kRowsMimeType, FileListView::encodeRows({0}));
    const QPoint target = rowCentre(2) + QPoint(0, 10);
    QDragEnterEvent enter(target, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(target, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
    QDropEvent drop(target, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);

    EXPECT_EQ(clipsChanged.count(), 1);
    EXPECT_EQ(order(), "231");
    const auto first = window.listModel()->index(0).data(ClipListModel::CardRole).value<CardData>();
    EXPECT_EQ(first.index, 1);
    EXPECT_EQ(first.name, "take_2.mov");
    // The footer stays last.
    EXPECT_TRUE(window.listModel()->index(3).data(ClipListModel::IsFooterRole).toBool());
}

TEST_F(MainWindowTest, DropPositionsAroundCardsAndFooter) {
    setThree();
    QCoreApplication::processEvents();
    FileListView* list = window.fileList();
    const struct {
        QPoint at;
        int to;
    } table[] = {
        {rowCentre(0) - QPoint(0, 5), 0},
        {rowCentre(0) + QPoint(0, 5), 1},
        {rowCentre(1) - QPoint(0, 5), 1},
        {rowCentre(2) + QPoint(0, 5), 3},
        {rowCentre(3), 3},
        {QPoint(100, 600), 3},
    };
    for (const auto& row : table) EXPECT_EQ(list->dropPosition(row.at), row.to) << row.at.y();
}

TEST_F(MainWindowTest, ClickingACardCallsClickWithTheHeldModifiers) {
    setThree();
    QCoreApplication::processEvents();
    QWidget* viewport = window.fileList()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, rowCentre(1));
    ASSERT_EQ(model.selected().size(), 1u);
    EXPECT_TRUE(model.selected().count(model.clips()[1].id()));
    h.services.modifiers = Qt::ShiftModifier;
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, rowCentre(2));
    EXPECT_EQ(model.selected().size(), 2u);
    // The footer is not a clip: clicking it changes nothing.
    h.services.modifiers = Qt::NoModifier;
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, rowCentre(3));
    EXPECT_EQ(model.selected().size(), 2u);
}

TEST_F(MainWindowTest, ClearIsDisabledWhileAMergeRuns) {
    setThree();
    model.setRunning(true);
    EXPECT_FALSE(window.clearButton()->isEnabled());
    EXPECT_EQ(window.mergeButton()->text(), "Merging…");
    EXPECT_FALSE(window.mergeButton()->isEnabled());
    EXPECT_TRUE(window.progressBar()->barVisible());
    QTest::mouseClick(window.clearButton(), Qt::LeftButton);
    EXPECT_EQ(model.clips().size(), 3u);
    model.setProgress(0.4);
    EXPECT_DOUBLE_EQ(window.progressBar()->value(), 0.4);

    model.setRunning(false);
    EXPECT_TRUE(window.clearButton()->isEnabled());
    EXPECT_TRUE(window.progressBar()->barVisible());  // a reported fraction keeps it shown
    QTest::mouseClick(window.clearButton(), Qt::LeftButton);
    EXPECT_TRUE(model.clips().empty());
}

TEST_F(MainWindowTest, QueueTabPlaceholderAndRevealButtons) {
    QTest::mouseClick(window.tabBar()->tab(1), Qt::LeftButton);
    EXPECT_TRUE(window.queueList()->isVisible());
    auto* empty = window.queueList()->findChild<QLabel*>("queueEmpty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->text(), "완료된 합본이 없습니다");

    model.setDone({DoneItem("/out/b.mov", "3840×1080 · H264 · 10f 완료"),
                   DoneItem("/out/a.mov", "3840×1080 · H264 · 5f 완료")});
    EXPECT_EQ(window.tabBar()->titles()[1], "Queue (2)");
    EXPECT_FALSE(window.queueList()->findChild<QLabel*>("queueEmpty"));
    const auto items = window.queueList()->findChildren<OutputItemWidget*>();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->name(), "b.mov");
    EXPECT_EQ(items[0]->detail(), "3840×1080 · H264 · 10f 완료");
    const auto buttons = window.queueList()->findChildren<QPushButton*>("revealOutput");
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[1]->text(), "파일 관리자");
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    ASSERT_EQ(h.services.revealed.size(), 1u);
    EXPECT_EQ(h.services.revealed[0], FileURL("/out/a.mov"));
}

TEST(MergeInTheWindow, EscapeTheCancelButtonAndClosingEachStopIt) {
    TempDir work;
    TempDir tools;
    testing::makeTinyMovie(work / "part1.mov");
    testing::makeTinyMovie(work / "part2.mov");
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

    for (const char* how : {"Escape", "취소", "close"}) {
        QTest::keyClick(h.window.get(), Qt::Key_Return, Qt::ControlModifier);
        ASSERT_TRUE(h.model.running()) << how;
        ASSERT_TRUE(testing::waitFor([&] { return testing::filesIn(work.path()) != before; }, 10000))
            << "ffmpeg never started: " << h.model.status().toStdString();
        if (std::string(how) == "Escape") {
            QTest::keyClick(h.window.get(), Qt::Key_Escape);
        } else if (std::string(how) == "취소") {
            ASSERT_TRUE(h.window->cancelButton()->isVisible());
            QTest::mouseClick(h.window->cancelButton(), Qt::LeftButton);
        } else {
            EXPECT_TRUE(testing::withModal([&] { h.window->close(); },
                                           [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }));
            EXPECT_FALSE(h.window->isVisible());
        }
        ASSERT_TRUE(testing::waitFor([&] { return h.model.pendingTasks() == 0; }, 5000)) << how;
        EXPECT_FALSE(h.model.running()) << how;
        EXPECT_EQ(h.model.status(), "합치기를 취소했습니다") << how;
        EXPECT_TRUE(h.model.done().empty()) << how;
        EXPECT_EQ(testing::filesIn(work.path()), before) << how;
        EXPECT_FALSE(h.window->cancelButton()->isVisible()) << how;
    }
    qApp->removeEventFilter(&keys);
}

}  // namespace
}  // namespace tessellane
