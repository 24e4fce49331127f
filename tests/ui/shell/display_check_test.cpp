// Choosing a platform that can draw, and ending with one line when none can.
#include "ui/shell/display_check.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "tests/support/test_support.h"

namespace tessellane {
namespace {

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
    const QString program = TESSELLANE_BUILD_DIR "/tessellane";
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

}  // namespace
}  // namespace tessellane
