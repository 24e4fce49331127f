// Starting the program: a platform that can draw or one line saying why not, Korean Qt texts, files named.
#include <QProcess>

#include "tests/ui/ui_test_support.h"
#include "ui/shell/display_check.h"
#include "ui/shell/windowed_app.h"

namespace tessellane::testing {

TEST(DisplayCheck, ChoosesAPlatformThatCanDraw) {
    // Only X ":0" and Wayland "wayland-0" answer. Rows: {-platform, QT_QPA_PLATFORM, DISPLAY,
    // WAYLAND_DISPLAY}, the Wayland plugin installed or not, the platform chosen ("" for none).
    const std::tuple<DisplayEnvironment, bool, const char*> table[] = {
        {{"", "", "", ""}, true, ""},
        {{"", "", ":0", ""}, true, "xcb"},
        {{"", "", ":9", ""}, true, ""},  // a stale DISPLAY
        {{"", "", "", "wayland-0"}, true, "wayland"},
        {{"", "", ":0", "wayland-0"}, false, "xcb"},
        {{"", "", ":0", "wayland-0"}, true, "wayland"},
        {{"", "", ":0", "wayland-9"}, true, "xcb"},
        {{"", "wayland", ":0", ""}, true, ""},
        {{"", "wayland;xcb", ":0", ""}, true, "xcb"},
        {{"", "wayland-egl;xcb", "", "wayland-0"}, true, "wayland-egl"},
        {{"", "offscreen:fontengine=freetype", "", ""}, true, "offscreen:fontengine=freetype"},
        {{"offscreen", "xcb", "", ""}, true, "offscreen"},
        {{"xcb", "offscreen", "", ""}, true, ""},
    };
    for (const auto& [env, waylandPlugin, platform] : table) {
        auto plugin = [&](const std::string& name) {
            return name == "xcb" || (waylandPlugin && name.starts_with("wayland"));
        };
        const DisplayProbes probes{plugin, [](auto& x) { return x == ":0"; },
                                   [](auto& w) { return w == "wayland-0"; }};
        EXPECT_EQ(choosePlatform(env, probes).value_or(""), platform)
            << env.platformArgument + '|' + env.qpaPlatform + '|' + env.display + '|' + env.waylandDisplay;
    }
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

TEST(QtTexts, QtsOwnButtonsSpeakKorean) {
    ASSERT_TRUE(installQtKoreanTexts(*qApp));
    QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "취소");
}

TEST(StartupFiles, PathsAreMadeAbsoluteAndUrlsDecoded) {
    EXPECT_EQ(startupFiles({"a b.mov", "/abs/c.mov", "-x.png", "file:///tmp/%ED%95%9C.png", "s/../d.mp4", ""},
                           "/w"),
              std::vector<std::filesystem::path>(
                  {"/w/a b.mov", "/abs/c.mov", "/w/-x.png", "/tmp/한.png", "/w/s/../d.mp4"}));
}

}  // namespace tessellane::testing
