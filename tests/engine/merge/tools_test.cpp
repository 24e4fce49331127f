#include "engine/merge/tools.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine/core/utf8.h"
#include "engine/merge/cancellation.h"
#include "engine/merge/child_process.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::TempDir;
using testing::writeFile;
using testing::writeScript;

const std::string toolName = "tessellane-probe-tool-" + std::to_string(::getpid());

TEST(ToolsFind, SearchesTheListInOrderSkippingWhatCannotRun) {
    TempDir dir;
    for (const char* sub : {"a", "b", "c", "dir"}) std::filesystem::create_directory(dir / sub);
    writeFile(dir / "a" / toolName, "not executable");          // no execute permission: skipped
    std::filesystem::create_directory(dir / "dir" / toolName);  // a folder is not a program
    writeScript(dir / "b" / toolName, "exit 0\n");
    writeScript(dir / "c" / toolName, "exit 0\n");

    const std::string a = (dir / "a").string(), b = (dir / "b").string(), c = (dir / "c").string(),
                      d = (dir / "dir").string();
    struct Case {
        std::string list;
        std::optional<std::string> found;
    };
    const Case cases[] = {
        {a + ":" + b + ":" + c, b + "/" + toolName},
        {d + ":" + c + ":" + b, c + "/" + toolName},
        {a + "::" + c, c + "/" + toolName},  // the empty entry is not tried
        {c + "/:" + b, c + "/" + toolName},  // a trailing slash is not doubled
        {c + "//", c + "//" + toolName},     // only one slash is ever added
        {a, std::nullopt},
    };
    for (const Case& test : cases) {
        testing::ScopedToolPath list(test.list);
        EXPECT_EQ(Tools::find(toolName), test.found) << test.list;
    }
    testing::ScopedToolPath list(a + ":" + d);
    EXPECT_EQ(Tools::missingFFmpegMessage(), "ffmpeg를 찾을 수 없습니다 (" + a + ", " + d + ")");
}

TEST(ToolsFind, WithoutAListTheFixedFoldersComeBeforePath) {
    const std::string pinned = std::getenv("TESSELLANE_TOOL_PATH");
    const std::string path = std::getenv("PATH");
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
    writeScript(dir / "hello", "printf 'héllo\\n'; printf 'noise' >&2; exit 3\n");
    writeScript(dir / "stderr-only", "echo oops >&2; exit 1\n");
    writeScript(dir / "args", "for a in \"$@\"; do printf '[%s]' \"$a\"; done\n");
    writeScript(dir / "stdin", "cat; echo done\n");
    writeScript(dir / "binary", "printf 'ab\\377cd'\n");
    writeScript(dir / "killed", "echo partial; kill -9 $$\n");
    writeFile(dir / "plain", "echo hi\n");  // no execute permission

    struct Case {
        std::string program;
        std::vector<std::string> arguments;
        int status;
        std::string output;
    };
    const Case cases[] = {
        {"hello", {}, 3, "héllo\n"},
        {"stderr-only", {}, 1, ""},
        {"args", {"a b", "[x]", "$HOME", "'q\"", "-n", ""}, 0, "[a b][[x]][$HOME]['q\"][-n][]"},
        {"stdin", {}, 0, "done\n"},      // stdin is the null device: cat sees end of file at once
        {"binary", {}, 0, ""},           // not UTF-8: empty text, real status
        {"killed", {}, 9, "partial\n"},  // a signal death reports the signal number
        {"missing", {}, -1, ""},
        {"plain", {}, -1, ""},
    };
    for (const Case& c : cases) {
        CaptureResult result = runCapture((dir / c.program).string(), c.arguments);
        EXPECT_EQ(result.status, c.status) << c.program;
        EXPECT_EQ(result.output, c.output) << c.program;
    }
}

TEST(RunCapture, ReadsMegabytesWithoutBlockingOnEitherPipe) {
    TempDir dir;
    // 8 MB on stdout and 8 MB on stderr: far beyond what a pipe buffers.
    writeScript(dir / "flood", "head -c 8000000 /dev/zero | tr '\\0' x; head -c 8000000 /dev/zero >&2\n");
    CaptureResult result = runCapture((dir / "flood").string(), {});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output.size(), 8000000u);
    EXPECT_EQ(result.output.find_first_not_of('x'), std::string::npos);
}

TEST(RunCapture, LeavesNoDescriptorOpen) {
    TempDir dir;
    writeScript(dir / "ok", "echo ok\n");
    auto openDescriptors = [] {
        std::size_t count = 0;
        for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
        return count;
    };
    const std::size_t before = openDescriptors();
    for (int i = 0; i < 20; ++i) ASSERT_EQ(runCapture((dir / "ok").string(), {}).output, "ok\n");
    runCapture((dir / "missing").string(), {});
    EXPECT_EQ(openDescriptors(), before);
}

TEST(RunCapture, AChildPastItsTimeLimitOrCancelledIsStopped) {
    TempDir dir;
    // The second one ignores the polite request and must be killed.
    writeScript(dir / "polite", "echo started\nexec sleep 30\n");
    writeScript(dir / "stubborn", "trap '' TERM\necho started\nwhile :; do sleep 0.05; done\n");
    for (const char* program : {"polite", "stubborn"}) {
        const auto began = std::chrono::steady_clock::now();
        CaptureResult timed =
            runCapture((dir / program).string(), {}, {.timeout = std::chrono::milliseconds(300)});
        EXPECT_TRUE(timed.stopped) << program;
        EXPECT_EQ(timed.status, -1);
        EXPECT_EQ(timed.output, "started\n");

        Cancellation cancel;
        std::thread canceller([&cancel] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            cancel.request();
        });
        CaptureResult cancelled = runCapture((dir / program).string(), {}, {.cancel = &cancel});
        canceller.join();
        EXPECT_TRUE(cancelled.stopped) << program;
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(4)) << program;
    }
    // A quick child is not stopped by a limit it never reaches.
    writeScript(dir / "quick", "echo done\n");
    CaptureResult quick = runCapture((dir / "quick").string(), {}, {.timeout = std::chrono::seconds(30)});
    EXPECT_FALSE(quick.stopped);
    EXPECT_EQ(quick.status, 0);
    EXPECT_EQ(quick.output, "done\n");
}

TEST(Utf8, Validation) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain", true},
        {"촬영 é ½ 🎬", true},
        {"\xff", false},
        {"\xc3", false},
        {"\xe1\x84", false},
        {"\xc0\xaf", false},
        {"\xed\xa0\x80", false},
        {"\xf4\x90\x80\x80", false},
        {"a\x80", false},
        {"\xf0\x9f\x8e\xac", true},
    };
    for (const Case& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << ::testing::PrintToString(c.bytes);
}

TEST(Utf8, LenientDecodingReplacesOnlyTheBadBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"촬영 é 🎬", "촬영 é 🎬"},
        {"caf\xe9.mov", "caf\uFFFD.mov"},        // Latin-1
        {"a\xe1\x84z", "a\uFFFD\uFFFDz"},        // a cut three-byte character
        {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD"},  // a surrogate is not a character
        {"\xf0\x9f\x8e", "\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(toValidUtf8(bytes), text) << ::testing::PrintToString(bytes);
        EXPECT_TRUE(isValidUtf8(toValidUtf8(bytes)));
    }
}

}  // namespace
}  // namespace tessellane
