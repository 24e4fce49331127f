// The window's small parts on their own: palette, display check, start-up files, preview layout and the
// three controls.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/alley_button.h"
#include "ui/display_check.h"
#include "ui/file_list_view.h"
#include "ui/fonts.h"
#include "ui/palette.h"
#include "ui/path_label.h"
#include "ui/preview_layout.h"
#include "ui/progress_bar.h"
#include "ui/tab_bar.h"
#include "ui/tool_button.h"
#include "ui/windowed_app.h"

namespace tessellane {
namespace {

TEST(Palette, EightColoursAreExactOpaqueSrgb) {
    const struct {
        const QColor& colour;
        const char* hex;
    } table[] = {
        {palette::winBG(), "#121416"},   {palette::panelBG(), "#1b1f22"},  {palette::cyan(), "#f8581c"},
        {palette::fieldBG(), "#2a2d31"}, {palette::buttonBG(), "#30343a"}, {palette::dimText(), "#8a9399"},
        {palette::warn(), "#e0a83f"},    {palette::danger(), "#e05a4f"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.colour.name(), row.hex);
        EXPECT_EQ(row.colour.alpha(), 255) << row.hex;
    }
}

TEST(Palette, HexIgnoresTheUpperByte) {
    EXPECT_EQ(palette::fromHex(0xFF123456), palette::fromHex(0x123456));
    EXPECT_EQ(palette::fromHex(0xAB000000).name(), "#000000");
    EXPECT_EQ(palette::fromHex(0xAB000000).alpha(), 255);
}

TEST(DisplayCheck, ChoosesAPlatformThatCanDraw) {
    // A machine where the X server ":0" and the compositor "wayland-0" answer, nothing else does, and
    // the Wayland plugin is installed only where the row says so.
    const struct {
        DisplayEnvironment env;
        bool waylandPlugin;
        std::optional<std::string> platform;
    } table[] = {
        {{"", "", "", ""}, true, std::nullopt},
        {{"", "", ":0", ""}, true, "xcb"},
        {{"", "", ":9", ""}, true, std::nullopt},  // a stale DISPLAY
        {{"", "", "", "wayland-0"}, true, "wayland"},
        {{"", "", "", "wayland-0"}, false, std::nullopt},  // WAYLAND_DISPLAY without the plugin
        {{"", "", ":0", "wayland-0"}, false, "xcb"},
        {{"", "", ":0", "wayland-0"}, true, "wayland"},
        {{"", "", ":0", "wayland-9"}, true, "xcb"},
        {{"", "offscreen", "", ""}, true, "offscreen"},
        {{"", "minimal", "", ""}, true, "minimal"},
        {{"", "xcb", "", ""}, true, std::nullopt},
        {{"", "xcb", ":9", ""}, true, std::nullopt},
        {{"", "wayland", ":0", ""}, true, std::nullopt},
        {{"", "wayland;xcb", ":0", ""}, true, "xcb"},
        {{"", "wayland-egl;xcb", "", "wayland-0"}, true, "wayland-egl"},
        {{"", "offscreen:fontengine=freetype", "", ""}, true, "offscreen:fontengine=freetype"},
        {{"offscreen", "xcb", "", ""}, true, "offscreen"},  // the -platform argument wins over the variable
        {{"xcb", "offscreen", "", ""}, true, std::nullopt},
    };
    for (const auto& row : table) {
        DisplayProbes probes;
        probes.pluginInstalled = [&](const std::string& name) {
            return name == "xcb" || (row.waylandPlugin && name.rfind("wayland", 0) == 0);
        };
        probes.x11Opens = [](const std::string& display) { return display == ":0"; };
        probes.waylandOpens = [](const std::string& socket) { return socket == "wayland-0"; };
        EXPECT_EQ(choosePlatform(row.env, probes), row.platform)
            << "arg=" << row.env.platformArgument << " qpa=" << row.env.qpaPlatform
            << " display=" << row.env.display << " wayland=" << row.env.waylandDisplay;
    }
}

TEST(DisplayCheck, SystemProbesFindPluginsAndRefuseDeadDisplays) {
    const DisplayProbes probes = systemDisplayProbes();
    EXPECT_TRUE(probes.pluginInstalled("offscreen"));
    EXPECT_TRUE(probes.pluginInstalled("xcb"));
    EXPECT_FALSE(probes.pluginInstalled("no-such-platform"));
    testing::TempDir dir;
    EXPECT_FALSE(probes.x11Opens(":64999"));
    EXPECT_FALSE(probes.waylandOpens((dir / "no-compositor").string()));
}

TEST(DisplayCheck, TheProgramEndsWithTheNoDisplayLineInsteadOfAborting) {
    const QString program = qEnvironmentVariable("TESSELLANE_BUILD_DIR") + "/tessellane";
    if (!QFileInfo(program).isExecutable()) GTEST_SKIP() << "the program is not built";
    testing::TempDir dir;
    const struct {
        const char* display;
        QString wayland;
    } table[] = {{":64999", ""}, {"", QString::fromStdString((dir / "no-compositor").string())}};
    for (const auto& row : table) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        if (*row.display) env.insert("DISPLAY", row.display);
        if (!row.wayland.isEmpty()) env.insert("WAYLAND_DISPLAY", row.wayland);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, {});
        ASSERT_TRUE(process.waitForFinished(10000)) << row.display;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << row.display;
        EXPECT_EQ(process.exitCode(), 2) << row.display;
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()).trimmed(),
                  QString::fromUtf8(noDisplayMessage()));
    }
}

TEST(DisplayCheck, ReadsThePlatformArgument) {
    const char* argv[] = {"tessellane", "-platform", "offscreen", "a.mov"};
    EXPECT_EQ(currentDisplayEnvironment(4, argv).platformArgument, "offscreen");
    EXPECT_TRUE(QString::fromUtf8(noDisplayMessage()).contains("--cli"));
    EXPECT_FALSE(QString::fromUtf8(noDisplayMessage()).contains('\n'));
}

TEST(QtTexts, QtsOwnButtonsSpeakKorean) {
    ASSERT_TRUE(installQtKoreanTexts(*qApp));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "취소");
    QFileDialog chooser;
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_NE(chooser.labelText(QFileDialog::LookIn), "Look in:");
}

// The lowest row of ink that `paint` leaves on a black image, or -1 for none.
int inkBottom(const std::function<void(QPainter&)>& paint) {
    QImage image(200, 80, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        p.setPen(Qt::white);
        p.setFont(uiFont(24));
        paint(p);
    }
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 64) return y;
    return -1;
}

TEST(Ellipsis, SitsOnTheBaselineInPaintedTextAndLabels) {
    const QRect area(0, 0, 200, 80);
    const QFontMetrics metrics(uiFont(24));
    const int baseline = (area.height() - metrics.height()) / 2 + metrics.ascent();
    const int drawn =
        inkBottom([&](QPainter& p) { drawTextLine(p, area, Qt::AlignLeft | Qt::AlignVCenter, "…"); });
    const int korean =
        inkBottom([&](QPainter& p) { p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, "…"); });
    EXPECT_NEAR(drawn, baseline, 2);
    EXPECT_LT(korean, baseline - 4)
        << "the Korean font's own ellipsis is centred; the check above proves nothing";

    // A label's "…" likewise, and the label still reads back its plain words through the shown text.
    auto labelInk = [&](const QString& text) {
        QLabel label;
        label.setFont(uiFont(24));
        label.setStyleSheet("background: black; color: white;");
        label.resize(area.size());
        setLabelText(&label, text);
        const QImage shot = label.grab().toImage();
        for (int y = shot.height() - 1; y >= 0; --y)
            for (int x = 0; x < shot.width(); ++x)
                if (qGray(shot.pixel(x, y)) > 64) return y;
        return -1;
    };
    EXPECT_GT(labelInk("…"), labelInk(QStringLiteral("\u00B7")) - 1);
}

TEST(PathLabelAlone, ALongPathKeepsTheInkOfItsSecondLine) {
    PathLabel label;
    label.setText("/home/someone/a_rather_long_folder_name/with_more_parts/and_underscores_at_the_end_");
    const int width = 220;
    const int height = label.heightForWidth(width);
    ASSERT_GT(height, QFontMetrics(label.font()).lineSpacing()) << "the path must need two lines";
    auto inkPixels = [&](int h) {
        label.resize(width, h);
        QImage shot(label.size(), QImage::Format_RGB32);
        shot.fill(Qt::black);
        label.render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) count += qGray(shot.pixel(x, y)) > 16;
        return count;
    };
    EXPECT_EQ(inkPixels(height), inkPixels(height + 20));
}

TEST(StartupFiles, PathsAreMadeAbsoluteAndUrlsDecoded) {
    const auto files = startupFiles(
        {"a b.mov", "/abs/c.mov", "-x.png", "file:///tmp/%ED%95%9C.png", "sub/../d.mp4", ""}, "/work/dir");
    const std::vector<std::filesystem::path> expected = {
        "/work/dir/a b.mov", "/abs/c.mov", "/work/dir/-x.png", "/tmp/한.png", "/work/dir/sub/../d.mp4"};
    EXPECT_EQ(files, expected);
}

TEST(PreviewLayout, TwoFullHdClipsInAThousandBySevenHundredPane) {
    const auto layout = previewLayout({1000, 700}, {{1920, 1080}, {1920, 1080}}, 3840, 1080);
    EXPECT_DOUBLE_EQ(layout.scale, 0.25);
    ASSERT_EQ(layout.tiles.size(), 2u);
    EXPECT_EQ(layout.tiles[0], QRectF(20, 215, 480, 270));
    EXPECT_EQ(layout.tiles[1], QRectF(500, 215, 480, 270));
}

TEST(PreviewLayout, HeightBoundPanesAndShorterClips) {
    // A tall output in a wide pane: the height decides, 20 free above and below.
    const auto tall = previewLayout({1000, 240}, {{100, 200}, {100, 100}}, 200, 200);
    EXPECT_DOUBLE_EQ(tall.scale, 1.0);
    EXPECT_EQ(tall.tiles[0], QRectF(400, 20, 100, 200));
    EXPECT_EQ(tall.tiles[1], QRectF(500, 70, 100, 100));  // shorter clip centred vertically

    // Zero sizes never divide by zero; a pane smaller than its margins draws empty tiles.
    const auto degenerate = previewLayout({30, 30}, {{0, 0}}, 0, 0);
    EXPECT_DOUBLE_EQ(degenerate.scale, 0.0);
    EXPECT_EQ(degenerate.tiles[0].size(), QSizeF(0, 0));
}

TEST(ProgressBar, FadedWhenIdleFullWhenReporting) {
    ProgressBar bar;
    bar.resize(430, 3);
    EXPECT_EQ(bar.height(), 3);
    EXPECT_FALSE(bar.barVisible());
    EXPECT_EQ(bar.value(), 0.0);
    bar.setState(0.5, true);
    EXPECT_TRUE(bar.barVisible());
    EXPECT_DOUBLE_EQ(ProgressBar::fillWidth(bar.value(), 410), 205);
    bar.setState(7, true);  // clamped
    EXPECT_EQ(bar.value(), 1.0);
    bar.setState(std::nan(""), false);
    EXPECT_EQ(bar.value(), 0.0);

    // The fill starts at the 10-pixel inset and is drawn in the accent colour.
    bar.setState(0.5, true);
    const QImage shot = bar.grab().toImage();
    EXPECT_EQ(shot.pixelColor(12, 1).name(), palette::cyan().name());
    EXPECT_EQ(shot.pixelColor(300, 1).name(), "#23292d");
}

TEST(ToolButton, DisabledIgnoresClicksAndDimsItsText) {
    ToolButton button("비우기");
    button.resize(button.sizeHint());
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);

    using testing::hasColourNear;
    EXPECT_TRUE(hasColourNear(button.grab().toImage(), button.rect(), Qt::white, 40));
    EXPECT_EQ(button.grab().toImage().pixelColor(2, 2).name(), palette::fieldBG().name());
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(hasColourNear(button.grab().toImage(), button.rect(), Qt::white, 40));
    EXPECT_TRUE(hasColourNear(button.grab().toImage(), button.rect(), palette::dimText()));
}

TEST(AlleyButton, FaceFollowsEnabledAndKeepsItsHeight) {
    AlleyButton button;
    button.setText("Merge 2 Files");
    button.resize(410, button.sizeHint().height());
    EXPECT_GE(button.height(), 34);
    EXPECT_EQ(button.grab().toImage().pixelColor(3, 3).name(), palette::cyan().name());
    button.setEnabled(false);
    EXPECT_EQ(button.grab().toImage().pixelColor(3, 3).name(), "#23292d");
}

TEST(TabBar, ClickSelectsAndColours) {
    TabBar bar;
    bar.setTitles({"Files (2)", "Queue (0)"});
    bar.resize(430, 26);
    bar.show();
    QSignalSpy changes(&bar, &TabBar::selectionChanged);
    EXPECT_EQ(bar.selection(), 0);
    QTest::mouseClick(bar.tab(1), Qt::LeftButton);
    EXPECT_EQ(bar.selection(), 1);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(bar.tab(1)->grab().toImage().pixelColor(2, 2).name(), palette::cyan().name());
    EXPECT_EQ(bar.tab(0)->grab().toImage().pixelColor(2, 2).name(), palette::buttonBG().name());
    bar.setTitles({"Files (3)", "Queue (1)"});  // renaming keeps the selection
    EXPECT_EQ(bar.selection(), 1);
    EXPECT_EQ(bar.titles(), QStringList({"Files (3)", "Queue (1)"}));
}

TEST(RowDrag, EncodesOnlyRowNumbersAndRejectsJunk) {
    EXPECT_EQ(FileListView::encodeRows({3, 0, 12}), "0,3,12");
    EXPECT_EQ(FileListView::decodeRows("0,3,12"), (std::set<int>{0, 3, 12}));
    for (const char* junk : {"", "a", "1,,2", "-1", "1,x", "99999999999"}) {
        EXPECT_FALSE(FileListView::decodeRows(junk)) << junk;
    }
}

}  // namespace
}  // namespace tessellane

namespace tessellane {
namespace {

TEST(WindowIcon, TravelsInsideTheBinary) {
    const QIcon icon(QStringLiteral(":/tessellane/tessellane.png"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(256).toImage().pixelColor(128, 128).name(), palette::cyan().name());
}

}  // namespace
}  // namespace tessellane
