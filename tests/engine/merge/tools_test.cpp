#include "engine/merge/tools.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine/core/utf8.h"
#include "engine/merge/cancellation.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::TempDir;
using testing::writeFile;
using testing::writeScript;

TEST(ToolsFind, SearchesTheListInOrderSkippingWhatCannotRun) {
    const std::string tool = "tessellane-probe-tool";
    TempDir dir;
    for (const char* sub : {"a", "b", "c", "dir"}) std::filesystem::create_directory(dir / sub);
    writeFile(dir / "a" / tool, "not executable");
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
        EXPECT_EQ(Tools::find(tool), found) << list;
    }
    testing::ScopedToolPath scope(a + ":" + d);
    EXPECT_EQ(Tools::missingFFmpegMessage(), "ffmpeg를 찾을 수 없습니다 (" + a + ", " + d + ")");
}

TEST(ToolsFind, WithoutAListTheFixedFoldersComeBeforePath) {
    const std::string pinned = std::getenv("TESSELLANE_TOOL_PATH"), path = std::getenv("PATH");
    ::unsetenv("TESSELLANE_TOOL_PATH");
    ::setenv("PATH", "/x/y::/z", 1);
    const std::vector<std::string> folders = Tools::searchFolders();
    const std::string message = Tools::missingFFmpegMessage();
    ::setenv("PATH", path.c_str(), 1);
    ::setenv("TESSELLANE_TOOL_PATH", pinned.c_str(), 1);
    EXPECT_EQ(folders, (std::vector<std::string>{"/usr/local/bin", "/x/y", "/z"}));
    EXPECT_EQ(message, "ffmpeg를 찾을 수 없습니다 (/usr/local/bin, PATH)");
}

TEST(RunCapture, StatusAndOutput) {
    TempDir dir;
    struct Row {
        std::string script;  // empty: no file; "-": a file without execute permission
        std::vector<std::string> arguments;
        int status;
        std::string output;
    };
    const Row rows[] = {
        {"printf 'héllo\\n'; printf 'noise' >&2; exit 3", {}, 3, "héllo\n"},
        {"for a in \"$@\"; do printf '[%s]' \"$a\"; done",
         {"a b", "$HOME", "'q\"", "-n", ""},
         0,
         "[a b][$HOME]['q\"][-n][]"},
        {"cat; echo done", {}, 0, "done\n"},  // stdin is the null device
        {"printf 'ab\\377cd'", {}, 0, ""},    // not UTF-8: empty text, real status
        {"echo partial; kill -9 $$", {}, 9, "partial\n"},
        {"", {}, -1, ""},
        {"-", {}, -1, ""},
    };
    for (const Row& row : rows) {
        const std::filesystem::path program = dir / "program";
        std::filesystem::remove(program);
        if (row.script == "-") writeFile(program, "echo hi\n");
        if (row.script.size() > 1) writeScript(program, row.script + "\n");
        const CaptureResult result = runCapture(program.string(), row.arguments);
        EXPECT_EQ(result.status, row.status) << row.script;
        EXPECT_EQ(result.output, row.output) << row.script;
    }
}

TEST(RunCapture, DrainsBothPipesAndLeavesNoDescriptorOpen) {
    TempDir dir;
    // 8 MB on each pipe: far beyond what a pipe buffers.
    writeScript(dir / "flood", "head -c 8000000 /dev/zero | tr '\\0' x; head -c 8000000 /dev/zero >&2\n");
    auto descriptors = [] {
        std::size_t count = 0;
        for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
        return count;
    };
    const std::size_t before = descriptors();
    const CaptureResult result = runCapture((dir / "flood").string(), {});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, std::string(8000000, 'x'));
    for (int i = 0; i < 5; ++i) runCapture((dir / "missing").string(), {});
    EXPECT_EQ(descriptors(), before);
}

TEST(RunCapture, AChildPastItsTimeLimitOrCancelledIsStopped) {
    TempDir dir;
    // The second one ignores the polite request and must be killed.
    writeScript(dir / "polite", "echo started\nexec sleep 30\n");
    writeScript(dir / "stubborn", "trap '' TERM\necho started\nwhile :; do sleep 0.05; done\n");
    for (const char* program : {"polite", "stubborn"}) {
        const auto began = std::chrono::steady_clock::now();
        const CaptureResult timed =
            runCapture((dir / program).string(), {}, {.timeout = std::chrono::milliseconds(300)});
        EXPECT_TRUE(timed.stopped) << program;
        EXPECT_EQ(timed.status, -1);
        EXPECT_EQ(timed.output, "started\n");
        Cancellation cancel;
        std::thread canceller([&cancel] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            cancel.request();
        });
        EXPECT_TRUE(runCapture((dir / program).string(), {}, {.cancel = &cancel}).stopped) << program;
        canceller.join();
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(4)) << program;
    }
    writeScript(dir / "quick", "echo done\n");
    const CaptureResult quick =
        runCapture((dir / "quick").string(), {}, {.timeout = std::chrono::seconds(30)});
    EXPECT_FALSE(quick.stopped);
    EXPECT_EQ(quick.output, "done\n");
}

TEST(Utf8, ValidationAndLenientDecoding) {
    const std::pair<std::string, std::string> rows[] = {
        // the bytes, and what lenient decoding makes of them ("" when they are valid as they are)
        {"", ""},
        {"촬영 é ½ 🎬", ""},
        {"\xff", "\uFFFD"},
        {"\xc0\xaf", "\uFFFD\uFFFD"},
        {"caf\xe9.mov", "caf\uFFFD.mov"},                  // Latin-1
        {"a\xe1\x84z", "a\uFFFD\uFFFDz"},                  // a cut three-byte character
        {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD"},            // a surrogate is not a character
        {"\xf4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xf0\x9f\x8e", "\uFFFD\uFFFD\uFFFD"},
        {"a\x80", "a\uFFFD"},
    };
    for (const auto& [bytes, decoded] : rows) {
        const bool valid = decoded.empty();
        EXPECT_EQ(isValidUtf8(bytes), valid) << ::testing::PrintToString(bytes);
        EXPECT_EQ(toValidUtf8(bytes), valid ? bytes : decoded) << ::testing::PrintToString(bytes);
    }
}

}  // namespace
}  // namespace tessellane
