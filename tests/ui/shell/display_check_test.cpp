// Choosing a platform that can draw, and ending with one line when none can.
#include "ui/shell/display_check.h"

#include <gtest/gtest.h>

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

TEST(DisplayCheck, ReadsTheArgumentsAndProbesTheMachine) {
    const char* argv[] = {"tessellane", "-platform", "offscreen", "a.mov"};
    EXPECT_EQ(currentDisplayEnvironment(4, argv).platformArgument, "offscreen");
    const DisplayProbes probes = systemDisplayProbes();
    EXPECT_TRUE(probes.pluginInstalled("offscreen"));
    EXPECT_TRUE(probes.pluginInstalled("xcb"));
    EXPECT_FALSE(probes.pluginInstalled("no-such-platform"));
    testing::TempDir dir;
    EXPECT_FALSE(probes.x11Opens(":64999"));
    EXPECT_FALSE(probes.waylandOpens((dir / "no-compositor").string()));
}

TEST(DisplayCheck, TheProgramEndsWithTheNoDisplayLineInsteadOfAborting) {
    // The program's whole environment is set here, so a live X or Wayland session changes nothing.
    testing::TempDir dir;
    const QString home = QString::fromStdString(dir.path().string());
    for (const auto& [display, wayland] : {std::pair<QString, QString>{"", ""},
                                           {":64999", ""},
                                           {"", home + "/no-compositor"},
                                           {"", "no-compositor"}}) {
        QProcessEnvironment env;
        for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "TMPDIR"})
            env.insert(name, home);
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("LC_ALL", "C.UTF-8");
        if (!display.isEmpty()) env.insert("DISPLAY", display);
        if (!wayland.isEmpty()) env.insert("WAYLAND_DISPLAY", wayland);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start("/usr/bin/timeout", {"-k", "1", "10", TESSELLANE_BUILD_DIR "/tessellane"});
        ASSERT_TRUE(process.waitForFinished(15000)) << display.toStdString() << wayland.toStdString();
        EXPECT_EQ(process.exitCode(), 2) << display.toStdString() << wayland.toStdString();
        const QString line = QString::fromUtf8(process.readAllStandardError()).trimmed();
        EXPECT_EQ(line, QString::fromUtf8(noDisplayMessage()));
        EXPECT_TRUE(line.contains("--cli") && !line.contains('\n'));
    }
}

}  // namespace
}  // namespace tessellane
