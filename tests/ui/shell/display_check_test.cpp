// Choosing a platform that can draw, and ending with one line when none can.
#include "ui/shell/display_check.h"

#include <QProcess>

#include "tests/ui/ui_test_support.h"

namespace tessellane::testing {

TEST(DisplayCheck, ChoosesAPlatformThatCanDraw) {
    // The X server ":0" and the compositor "wayland-0" answer, nothing else does; "" is no platform.
    const struct {
        DisplayEnvironment env;  // -platform argument, QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY
        bool waylandPlugin;
        const char* platform;
    } table[] = {
        {{"", "", "", ""}, true, ""},
        {{"", "", ":0", ""}, true, "xcb"},
        {{"", "", ":9", ""}, true, ""},  // a stale DISPLAY
        {{"", "", "", "wayland-0"}, true, "wayland"},
        {{"", "", "", "wayland-0"}, false, ""},
        {{"", "", ":0", "wayland-0"}, false, "xcb"},
        {{"", "", ":0", "wayland-0"}, true, "wayland"},
        {{"", "", ":0", "wayland-9"}, true, "xcb"},
        {{"", "offscreen", "", ""}, true, "offscreen"},
        {{"", "xcb", "", ""}, true, ""},
        {{"", "wayland", ":0", ""}, true, ""},
        {{"", "wayland;xcb", ":0", ""}, true, "xcb"},
        {{"", "wayland-egl;xcb", "", "wayland-0"}, true, "wayland-egl"},
        {{"", "offscreen:fontengine=freetype", "", ""}, true, "offscreen:fontengine=freetype"},
        {{"offscreen", "xcb", "", ""}, true, "offscreen"},
        {{"xcb", "offscreen", "", ""}, true, ""},
    };
    for (const auto& row : table) {
        DisplayProbes probes{[&](const std::string& name) {
                                 return name == "xcb" || (row.waylandPlugin && name.rfind("wayland", 0) == 0);
                             },
                             [](const std::string& display) { return display == ":0"; },
                             [](const std::string& socket) { return socket == "wayland-0"; }};
        EXPECT_EQ(choosePlatform(row.env, probes).value_or(""), row.platform) << &row - table;
    }
}

TEST(DisplayCheck, ReadsTheArgumentsAndProbesTheMachine) {
    const char* argv[] = {"tessellane", "-platform", "offscreen", "a.mov"};
    EXPECT_EQ(currentDisplayEnvironment(4, argv).platformArgument, "offscreen");
    const DisplayProbes probes = systemDisplayProbes();
    EXPECT_TRUE(probes.pluginInstalled("offscreen") && probes.pluginInstalled("xcb"));
    EXPECT_FALSE(probes.pluginInstalled("no-such-platform"));
    TempDir dir;
    EXPECT_FALSE(probes.x11Opens(":64999"));
    EXPECT_FALSE(probes.waylandOpens((dir / "no-compositor").string()));
}

TEST(DisplayCheck, TheProgramEndsWithTheNoDisplayLineInsteadOfAborting) {
    // The program's whole environment is set here, so a live X or Wayland session changes nothing.
    TempDir dir;
    for (const auto& [variable, value] :
         {std::pair{"", ""}, {"DISPLAY", ":64999"}, {"WAYLAND_DISPLAY", "none"}}) {
        SCOPED_TRACE(variable);
        QProcessEnvironment env;
        for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "TMPDIR"})
            env.insert(name, dir.path().c_str());
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("LC_ALL", "C.UTF-8");
        if (*variable) env.insert(variable, value);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start("/usr/bin/timeout", {"-k", "1", "10", TESSELLANE_BUILD_DIR "/tessellane"});
        ASSERT_TRUE(process.waitForFinished(15000));
        EXPECT_EQ(process.exitCode(), 2);
        const QString line = QString::fromUtf8(process.readAllStandardError()).trimmed();
        EXPECT_EQ(line, QString::fromUtf8(noDisplayMessage()));
        EXPECT_TRUE(line.contains("--cli") && !line.contains('\n'));
    }
}

}  // namespace tessellane::testing
