#include "engine/merge/tools.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "engine/core/utf8.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeScript;

TEST(ToolsFind, SearchesTheListInOrderSkippingWhatCannotRun) {
    const std::string tool = "tessellane-probe-tool";
    TempDir dir;
    for (const char* sub : {"a", "b", "c", "dir"}) std::filesystem::create_directory(dir / sub);
    testing::writeFile(dir / "a" / tool, "not executable");
    std::filesystem::create_directory(dir / "dir" / tool);  // a folder is not a program
    writeScript(dir / "b" / tool, "exit 0\n");
    writeScript(dir / "c" / tool, "exit 0\n");
    const std::string a = (dir / "a").string(), b = (dir / "b").string(), c = (dir / "c").string(),
                      d = (dir / "dir").string();
    const std::pair<std::string, std::optional<std::string>> rows[] = {
        {a + ":" + b + ":" + c, b + "/" + tool},
        {d + ":" + c + ":" + b, c + "/" + tool},
        {a + "::" + c, c + "/" + tool},  // the empty entry is not tried
        {c + "/:" + b, c + "/" + tool},  // a trailing slash is not doubled
        {c + "//", c + "//" + tool},     // only one slash is ever added
        {a + ":" + d, std::nullopt},
    };
    for (const auto& [list, found] : rows) {
        testing::ScopedToolPath scope(list);
        EXPECT_EQ(tool_search::find(tool), found) << list;
    }
    testing::ScopedToolPath scope(a + ":" + d);
    EXPECT_EQ(tool_search::missingFFmpegMessage(), "ffmpeg를 찾을 수 없습니다 (" + a + ", " + d + ")");
}

TEST(ToolsFind, WithoutAListTheFixedFoldersComeBeforePath) {
    const std::string pinned = std::getenv("TESSELLANE_TOOL_PATH"), path = std::getenv("PATH");
    ::unsetenv("TESSELLANE_TOOL_PATH");
    ::setenv("PATH", "/x/y::/z", 1);
    const std::vector<std::string> folders = tool_search::searchFolders();
    const std::string message = tool_search::missingFFmpegMessage();
    ::setenv("PATH", path.c_str(), 1);
    ::setenv("TESSELLANE_TOOL_PATH", pinned.c_str(), 1);
    EXPECT_EQ(folders, (std::vector<std::string>{"/usr/local/bin", "/x/y", "/z"}));
    EXPECT_EQ(message, "ffmpeg를 찾을 수 없습니다 (/usr/local/bin, PATH)");
}

// The bundled folder counts only beside an installed program (<prefix>/bin/tessellane) and only while no one
// but root and this user can change it or the program in it.
TEST(ToolsFind, TheBundledFolderOnlyWhenInstalledAndGuarded) {
    TempDir dir;
    const fs::path installed = dir / "usr/bin/tessellane", bin = dir / "usr/share/tessellane/bin";
    const std::filesystem::path ffmpeg = bin / "ffmpeg";
    const struct {
        fs::path executable;
        fs::perms folder, tool;
        bool found;
    } rows[] = {
        {installed, fs::perms(0755), fs::perms(0755), true},
        {dir / "usr/tessellane", fs::perms(0755), fs::perms(0755), false},  // not an installed layout
        {dir / "usr/share/tessellane/bin/tessellane", fs::perms(0755), fs::perms(0755), false},
        {installed, fs::perms(0775), fs::perms(0755), false},  // the folder writable by its group
        {installed, fs::perms(01777), fs::perms(0755), false},
        {installed, fs::perms(0755), fs::perms(0757), false},  // the program writable by anyone
        {installed, fs::perms(0755), fs::perms(0644), false},  // not a program
    };
    fs::create_directories(bin);
    writeScript(ffmpeg, "exit 0\n");
    for (const auto& row : rows) {
        fs::permissions(bin, row.folder);
        fs::permissions(ffmpeg, row.tool);
        EXPECT_EQ(tool_search::bundledTool(row.executable, "ffmpeg"),
                  row.found ? std::optional(ffmpeg.string()) : std::nullopt)
            << row.executable << " " << static_cast<int>(row.folder) << " " << static_cast<int>(row.tool);
    }
    if (::geteuid() == 0) {  // another user's folder
        fs::permissions(bin, fs::perms(0755));
        ASSERT_EQ(::chown(bin.c_str(), 65534, 65534), 0);
        EXPECT_EQ(tool_search::bundledTool(installed, "ffmpeg"), std::nullopt);
    }
    EXPECT_EQ(tool_search::bundledTool(dir / "opt/bin/tessellane", "ffmpeg"), std::nullopt);  // none there
}

// Both pipes are drained, a time limit never reached changes nothing, a child past it is stopped (one that
// ignores the polite request is killed), and no descriptor is left open.
TEST(RunCapture, StatusOutputAndTimeLimit) {
    TempDir dir;
    const std::string many(8'000'000, 'x');  // far beyond what a pipe buffers
    using Kind = ExitStatus::Kind;
    const ExitStatus success{Kind::exited, 0}, none{};
    const struct {
        std::string script;  // empty: no such file
        std::vector<std::string> arguments;
        ExitStatus status;
        std::string output;
        bool stopped = false;
    } rows[] = {
        {"printf 'héllo\\n'; printf 'noise' >&2; exit 3", {}, {Kind::exited, 3}, "héllo\n"},
        {"for a; do printf '[%s]' \"$a\"; done",
         {"a b", "$HOME", "'q\"", ""},
         success,
         "[a b][$HOME]['q\"][]"},
        {"cat; echo done", {}, success, "done\n"},  // stdin is the null device
        {"printf 'ab\\377cd'", {}, success, ""},    // not UTF-8: empty text, real status
        {"echo partial; kill -9 $$", {}, {Kind::killed, 9}, "partial\n"},
        {"", {}, none, ""},
        {"head -c 8000000 /dev/zero | tr '\\0' x; head -c 8000000 /dev/zero >&2", {}, success, many},
        {"echo started; exec sleep 30", {}, none, "started\n", true},
        {"trap '' TERM; echo started; while :; do sleep 0.05; done", {}, none, "started\n", true},
    };
    const auto descriptors = [] {
        std::size_t count = 0;
        for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
        return count;
    };
    const std::size_t before = descriptors();
    for (const auto& row : rows) {
        const std::filesystem::path program = dir / "program";
        std::filesystem::remove(program);
        if (!row.script.empty()) writeScript(program, row.script + "\n");
        const auto began = std::chrono::steady_clock::now();
        const std::chrono::milliseconds limit(row.stopped ? 300 : 30000);
        const CaptureResult result = runCapture(program.string(), row.arguments, {.timeout = limit});
        EXPECT_EQ(result.status, row.status) << row.script;
        EXPECT_TRUE(result.output == row.output) << row.script;
        EXPECT_EQ(result.stopped, row.stopped) << row.script;
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(3)) << row.script;
    }
    EXPECT_EQ(descriptors(), before);
}

TEST(Utf8, ValidationAndLenientDecoding) {
    // The bytes, and what lenient decoding makes of them ("" when they are valid as they are): a Latin-1
    // name, cut characters, a surrogate, a code point past U+10FFFF, an overlong form.
    const std::pair<std::string, std::string> rows[] = {
        {"", ""},
        {"촬영 é ½ 🎬", ""},
        {"\xff", "\uFFFD"},
        {"\xc0\xaf", "\uFFFD\uFFFD"},
        {"caf\xe9.mov", "caf\uFFFD.mov"},
        {"a\xe1\x84z", "a\uFFFD\uFFFDz"},
        {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD"},
        {"\xf4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xf0\x9f\x8e", "\uFFFD\uFFFD\uFFFD"},
        {"a\x80", "a\uFFFD"},
    };
    for (const auto& [bytes, decoded] : rows) {
        const bool valid = decoded.empty();
        EXPECT_EQ(isValidUtf8(bytes), valid) << ::testing::PrintToString(bytes);
        EXPECT_EQ(toValidUtf8(bytes), valid ? bytes : decoded) << ::testing::PrintToString(bytes);
    }
    // Printed names: control characters (C0, DEL, C1) and broken bytes escaped, everything else kept.
    EXPECT_EQ(escapeControls("촬영\n\t\r\x1b[2J\x7f\xc2\x9b\xc2\xa0\xff.mov"),
              "촬영\\n\\t\\r\\x1b[2J\\x7f\\u009b\xc2\xa0\\xff.mov");
}

}  // namespace
}  // namespace tessellane
