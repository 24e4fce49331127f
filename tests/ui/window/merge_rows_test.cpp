// The settings column's merge rows in the real window: each row, chosen as a user chooses it, reaches the
// model, the order text, the validation box and the preview's tiles; Ctrl+Return merges with them.
#include <QMenu>

#include "engine/core/picture_size.h"
#include "engine/probe/probe.h"
#include "tests/ui/ui_test_support.h"
#include "ui/widgets/choice_button.h"
#include "ui/widgets/elided_label.h"
#include "ui/window/preview_pane.h"
#include "ui/window/validation_box.h"

namespace tessellane::testing {
namespace {

void choose(ChoiceButton* button, int index) {
    button->fillMenu();
    ASSERT_TRUE(button->menu()->actions().value(index) && button->menu()->actions()[index]->isEnabled());
    button->menu()->actions()[index]->trigger();
    QCoreApplication::processEvents();
}

// The preview's tiles in output pixels ("x,y,w,h" each), after checking that the frame is centred in the
// pane, at least 20 from each edge and touching two of them.
QString tilesInPixels(const PreviewPane& pane) {
    const PreviewLayout layout = pane.currentLayout();
    const QRectF& f = layout.frame;
    const double w = pane.width(), h = pane.height();
    EXPECT_NEAR(f.center().x(), w / 2, 0.01);
    EXPECT_NEAR(f.center().y(), h / 2, 0.01);
    EXPECT_TRUE(std::abs(f.width() - (w - 40)) < 0.01 || std::abs(f.height() - (h - 40)) < 0.01);
    QStringList rects;
    for (const QRectF& t : layout.tiles) {
        const auto px = [&](double v) { return QString::number(std::lround(v / layout.scale)); };
        rects << px(t.x() - f.x()) + "," + px(t.y() - f.y()) + "," + px(t.width()) + "," + px(t.height());
    }
    return rects.join(' ');
}

QStringList shownRows(const ValidationBox& box) {
    QStringList texts;
    for (const ValidationRow& row : box.shownRows()) texts << row.text;
    return texts;
}

TEST(MergeRows, EachRowReachesTheModelTheTextsAndThePreview) {
    WindowHarness h;
    SettingsColumn& column = *h.window->settings();
    // A folder that exists: the window's look at the disk would otherwise add "출력 폴더가 없습니다" to the
    // rows whenever it finishes before they are read, as it does on a slow (sanitized) build.
    TempDir folder;
    const auto clip = [&folder](const char* name, std::int64_t width, std::int64_t height, const char* rate,
                                bool sound) {
        ClipInfo c = videoRecord(folder / name, height);
        c.width = width, c.fpsString = rate, c.hasAudio = sound, c.audioCodec = sound ? "aac" : "";
        return c;
    };
    h.model.setClips({clip("a.mov", 1920, 1080, "25/1", true), clip("b.mov", 1280, 720, "30/1", false),
                      clip("c.mov", 1920, 1080, "25/1", true)});
    QCoreApplication::processEvents();
    const PreviewPane& preview = *h.window->preview();
    const ValidationBox& box = *h.window->validationBox();
    EXPECT_TRUE(shownRows(box).contains("✕ 높이가 다릅니다: 1080 / 720 / 1080"));
    EXPECT_TRUE(shownRows(box).contains("✕ fps가 다릅니다: 25 / 30 / 25"));
    EXPECT_EQ(tilesInPixels(preview), "0,0,1920,1080 1920,180,1280,720 3200,0,1920,1080");

    choose(column.fitMenu(), 1);
    choose(column.rateMenu(), 1);
    EXPECT_TRUE(h.model.mergeSettings() == (MergeSettings{.fitSizes = true, .conformRates = true}));
    EXPECT_EQ(column.fitMenu()->text() + " | " + column.rateMenu()->text(),
              "첫 파일 높이에 맞춤 (비율 유지) | 첫 파일 fps로 맞춤");
    EXPECT_EQ(shownRows(box),
              QStringList({"⚠︎ 높이가 다릅니다 — 첫 파일 높이(1080)로 맞춤",
                           "⚠︎ fps가 다릅니다: 25 / 30 / 25 — 첫 파일 fps(25)로 맞춤",
                           "⚠︎ 길이가 다릅니다 — 짧은 쪽(104f) 기준으로 자름"}));
    EXPECT_EQ(tilesInPixels(preview), "0,0,1920,1080 1920,0,1920,1080 3840,0,1920,1080");

    // Each layout: the model, the order text, the face and the tiles; the columns field only for a grid.
    const struct {
        int layout, columns;
        QString face, order, tiles;
    } layouts[] = {
        {1, 0, "세로로 쌓기", "세로 순서 = 목록 순서 (위 → 아래)",
         "0,0,1920,1080 0,1080,1920,1080 0,2160,1920,1080"},
        {2, 0, "격자 — 2열 × 2줄", "격자 순서 = 목록 순서 (왼쪽 → 오른쪽, 위 → 아래)",
         "0,0,1920,1080 1920,0,1920,1080 0,1080,1920,1080"},
        {2, 3, "격자 — 3열 × 1줄", "격자 순서 = 목록 순서 (왼쪽 → 오른쪽, 위 → 아래)",
         "0,0,1920,1080 1920,0,1920,1080 3840,0,1920,1080"},
        {0, 0, "가로로 나란히", "가로 순서 = 목록 순서 (왼쪽 → 오른쪽)",
         "0,0,1920,1080 1920,0,1920,1080 3840,0,1920,1080"},
    };
    for (const auto& row : layouts) {
        SCOPED_TRACE(row.face.toStdString());
        choose(column.layoutMenu(), row.layout);
        if (row.columns > 0) choose(column.columnsMenu(), row.columns);
        QCoreApplication::processEvents();
        EXPECT_EQ(h.model.mergeSettings().layout, Layout(row.layout));
        EXPECT_EQ(h.model.mergeSettings().columns, row.columns);
        EXPECT_EQ(column.columnsMenu()->isVisible(), row.layout == 2);
        EXPECT_EQ(column.layoutMenu()->text(), row.face);
        EXPECT_EQ(column.orderBox()->fullText(), row.order);
        EXPECT_EQ(tilesInPixels(preview), row.tiles);
        if (row.layout == 2) choose(column.columnsMenu(), 0);  // back to automatic
    }

    // The sound: a clip without it cannot be chosen; the choice follows its clip when the list is reordered.
    column.audioMenu()->fillMenu();
    const QList<QAction*> sounds = column.audioMenu()->menu()->actions();
    ASSERT_EQ(sounds.size(), 4);
    EXPECT_EQ(sounds[2]->text() + " " + QString::number(sounds[2]->isEnabled()), "b.mov — 소리 없음 0");
    choose(column.audioMenu(), 3);
    EXPECT_EQ(h.model.audioClip(), h.model.clips()[2].id());
    EXPECT_EQ(column.audioMenu()->text(), "c.mov");
    EXPECT_EQ(column.audioNote()->text().toStdString(), h.model.plan().audio->description);
    h.model.move({2}, 0);
    EXPECT_EQ(h.model.planSettings().audioClip, 0u);
    EXPECT_EQ(column.audioMenu()->text(), "c.mov");
    choose(column.audioMenu(), 0);
    EXPECT_FALSE(h.model.audioClip() || h.model.plan().audio);
}

// Ctrl+Return with every setting changed: a column of two fitted clips with the second one's sound.
TEST(MergeRows, CtrlReturnMergesWithTheSettingsChosen) {
    TempDir work;
    makeMedia(work / "cam1.mp4", {"-f", "lavfi", "-i", "testsrc2=s=64x32:r=25", "-frames:v", "6", "-c:v",
                                  "libx264", "-pix_fmt", "yuv420p"});
    makeMedia(work / "cam2.mp4",
              {"-f", "lavfi", "-i", "testsrc=s=32x32:r=30", "-f", "lavfi", "-i", "sine=r=48000", "-t", "0.4",
               "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"});
    WindowHarness h;
    h.model.setThumbnailTimeLimit(std::chrono::milliseconds(1));
    h.model.add({work / "cam1.mp4", work / "cam2.mp4"});
    ASSERT_TRUE(waitFor([&] { return h.model.pendingTasks() == 0; }));
    SettingsColumn& column = *h.window->settings();
    choose(column.layoutMenu(), 1);
    choose(column.fitMenu(), 1);
    choose(column.rateMenu(), 1);
    choose(column.audioMenu(), 2);
    h.model.setSuffix("_col");
    ASSERT_TRUE(h.model.canMerge());
    QTest::keyClick(h.window.get(), Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return h.model.pendingTasks() == 0 && !h.model.running(); }));
    ASSERT_FALSE(h.model.statusIsError()) << h.model.status().toStdString();
    ASSERT_TRUE(h.model.lastResult());
    const ClipInfo out = probe(*h.model.lastResult());
    EXPECT_EQ(sizeText(out.width, out.height) + " " + std::to_string(out.frames) + "f " + out.audioCodec,
              "64×96 6f aac");
}

}  // namespace
}  // namespace tessellane::testing
