#include "engine/merge/merge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <set>
#include <thread>

#include "engine/merge/cancellation.h"
#include "engine/merge/child_process.h"
#include "engine/merge/diagnostic_tail.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using ::testing::ElementsAreArray;
using testing::readFile;
using Kind = MergeError::Kind;

// Two 64×32 clips that pass validation, and a fake ffmpeg in a search list of its own.
class MergeRunner : public ::testing::Test {
  protected:
    void SetUp() override {
        ::alarm(60);  // a runner that hangs ends the test program instead of stalling the suite
        std::filesystem::create_directory(dir / "bin");
        // What two 64×32 clips merge into, made by the real ffmpeg before the fake takes its place.
        testing::makeMedia(dir / "bin/good.mov", {"-f", "lavfi", "-i", "testsrc=s=128x32", "-frames:v", "1"});
        scope.emplace(dir / "bin");
        const ClipFields f{.codec = "h264", .width = 64, .height = 32, .fpsString = "25/1", .frames = 240};
        clips = {ClipInfo(dir / "a.mov", f), ClipInfo(dir / "b.mov", f)};
    }

    void TearDown() override {
        ::alarm(0);
        errno = 0;  // every child has been reaped
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }

    // The fake leaves a mark (dir/ran), so a test can tell whether it ran.
    void fakeFFmpeg(const std::string& body) {
        testing::writeScript(dir / "bin" / "ffmpeg", "touch '" + (dir / "ran").string() + "'\n" + body);
    }
    // A shell line that copies the good output to ffmpeg's output, its last argument.
    std::string writesGood() const {
        return "for last; do :; done\ncp '" + (dir / "bin/good.mov").string() + "' \"$last\"\n";
    }

    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.insert(entry.path().filename());
        names.erase("ran");
        return names;
    }

    MergeError mergeError(const FileURL& output) {
        try {
            merge(clips, output, [](double) {});
        } catch (const MergeError& error) {
            return error;
        }
        ADD_FAILURE() << "merge did not fail";
        return MergeError::failed("<none>");
    }

    testing::TempDir dir;
    std::optional<testing::ScopedToolPath> scope;
    std::vector<ClipInfo> clips;
};

// Nothing runs without an ffmpeg (reported before validation), with blocking messages, or when the output
// exists or is an input.
TEST_F(MergeRunner, NothingRunsWhenItCannotOrMustNot) {
    testing::writeFile(dir / "bin" / "ffmpeg", "#!/bin/sh\nexit 0\n");  // not executable: not a program
    clips[1].height = 720;
    EXPECT_STREQ(mergeError(dir / "out.mov").what(),
                 ("ffmpeg를 찾을 수 없습니다 (" + (dir / "bin").string() + ")").c_str());
    fakeFFmpeg("exit 0\n");
    clips[1].fpsString = "30/1";
    EXPECT_EQ(mergeError(dir / "out.mov").errorDescription(),
              "높이가 다릅니다: 32 / 720\nfps가 다릅니다: 25 / 30");
    clips[1] = ClipInfo(dir / "b.mov", clips[0]);
    testing::writeFile(dir / "taken.mov", "keep me");
    std::filesystem::create_directory(dir / "folder.mov");
    std::filesystem::create_symlink(dir / "nowhere.mov", dir / "dangling.mov");  // ffmpeg writes through
    for (const FileURL& output : {dir / "taken.mov", dir / "folder.mov", dir / "dangling.mov",
                                  dir.path() / "." / "b.mov", dir.path() / "bin" / ".." / "a.mov"}) {
        MergeError error = mergeError(output);
        EXPECT_EQ(error.kind(), Kind::exists) << output;
        EXPECT_EQ(error.errorDescription(), "같은 이름의 파일이 이미 있습니다: " + output.string());
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "ran"));
    EXPECT_EQ(readFile(dir / "taken.mov"), "keep me");
}

// Every failure leaves the folder as it was, and the retry succeeds.
TEST_F(MergeRunner, FailuresGiveTheReasonAndLeaveNothing) {
    const std::string partial = "for last; do :; done\nhead -c 1000 /dev/zero > \"$last\"\n";
    const std::pair<std::string, std::string> rows[] = {
        // The last three lines that say something: not empty ones, statistics or the stream listing,
        // whatever their line ends; bytes that are not UTF-8 show as U+FFFD.
        {"printf 'L1\\n\\nL2\\n\\n\\nL3\\nL4\\n' >&2; exit 1", "ffmpeg 실패: L2 | L3 | L4"},
        {"printf 'only one' >&2; exit 2", "ffmpeg 실패: only one"},
        {"exit 1", "ffmpeg 실패: "},
        {"echo '/영상/a.mov: 마지막 말' >&2; kill -KILL $$", "ffmpeg 실패: /영상/a.mov: 마지막 말"},
        {"printf 'first\\nbad \\377 byte\\n' >&2; exit 1", "ffmpeg 실패: first | bad \uFFFD byte"},
        {partial +
             "printf 'Output #0, image2, to x:\\n  Stream #0:0: Video: png\\nframe=    1 fps=0.0 q=0.0 "
             "size=N/A \\rav_interleaved_write_frame(): No space left on device\\nframe=    1 fps=0.0\\n"
             "video:2718kB audio:0kB muxing overhead: unknown\\nConversion failed!\\n' >&2; exit 1",
         "ffmpeg 실패: av_interleaved_write_frame(): No space left on device | Conversion failed!"},
        // Success is only an output of the expected kind and size.
        {"exit 0", "ffmpeg가 결과 파일을 만들지 않았습니다"},
        {partial, "ffmpeg가 만든 결과 파일을 읽을 수 없습니다"},
        {writesGood() + "exit 0", "결과 크기가 예상과 다릅니다: 128×32 (예상 96×32)"},
    };
    const std::set<std::string> before = entries();
    for (const auto& [script, description] : rows) {
        const bool failed = description.starts_with("ffmpeg 실패: ");
        fakeFFmpeg(script + "\n");
        clips[1].width = failed ? 64 : 32;
        MergeError error = mergeError(dir / "out.mov");
        EXPECT_EQ(error.kind(), failed ? Kind::failed : Kind::unverified) << script;
        EXPECT_EQ(error.errorDescription(), description);
        EXPECT_EQ(entries(), before) << script;
    }
    clips[1].width = 64;
    fakeFFmpeg(writesGood());
    EXPECT_EQ(merge(clips, dir / "out.mov", {}).width, 128);
}

TEST_F(MergeRunner, MegabytesOfDiagnosticsKeepMemoryBoundedAndTheLastLines) {
    // 20 MB of 54-byte lines, mostly three-byte Hangul: the tail is cut at arbitrary bytes.
    fakeFFmpeg(
        "yes '가나다라마바사아자차카타파하 진단 줄' | head -c 19980000 >&2\n"
        "printf '\\n첫째\\n둘째\\n셋째 /경로/파일.mov\\n' >&2\nexit 1\n");
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    MergeError error = mergeError(dir / "out.mov");
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(error.errorDescription(), "ffmpeg 실패: 첫째 | 둘째 | 셋째 /경로/파일.mov");
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 8 * 1024) << "peak grew by KiB";
}

TEST_F(MergeRunner, ProgressComesFromFrameLinesAgainstTheShortestClip) {
    // A frame line and a Hangul character cut across writes; other keys, empty and malformed values skipped;
    // 300 of 240 frames is 1.
    const std::string cut =
        "printf 'frame=0\\nfps=0.0\\nfra'; sleep 0.2; printf 'me=120\\n\\352\\260'; sleep 0.2; printf "
        "'\\200\\n"
        "frame=\\nframe=abc\\nframe=12x\\n frame=60\\nframe=240\\nprogress=continue\\nframe=300\\n'";
    const struct {
        std::string script;
        int framesA, framesB;
        std::vector<double> fractions;  // empty: no callback at all
    } rows[] = {
        {cut, 240, 240, {0.0, 0.5, 1.0, 1.0, 1.0}},
        {"printf 'frame=30\\n'", 120, 60, {0.5, 1.0}},
        {"printf 'frame=5\\nframe=10\\n'", 0, 240, {1.0}},  // without a frame count: only the final one
        {"printf 'frame=30\\n'", 120, 60, {}},
    };
    for (const auto& row : rows) {
        fakeFFmpeg(row.script + "\n" + writesGood());
        clips[0].frames = row.framesA;
        clips[1].frames = row.framesB;
        std::vector<double> fractions;
        ProgressCallback progress;
        if (!row.fractions.empty()) progress = [&](double f) { fractions.push_back(f); };
        const ClipInfo result = merge(clips, dir / "out.mov", progress);
        EXPECT_THAT(fractions, ElementsAreArray(row.fractions)) << row.script;
        EXPECT_EQ(result.url(), dir / "out.mov");  // the record describes the published output
        EXPECT_EQ(result.width, 128);
        std::filesystem::remove(dir / "out.mov");
    }
}

TEST_F(MergeRunner, AThrowingProgressCallbackStillReapsTheChild) {
    fakeFFmpeg("printf 'frame=10\\n'\nsleep 0.3\nprintf 'frame=20\\n' 2>/dev/null\nexit 0\n");
    EXPECT_THROW(merge(clips, dir / "out.mov", [](double) { throw std::runtime_error("stop"); }),
                 std::runtime_error);
}

TEST_F(MergeRunner, AFileThatAppearsWhileFFmpegRunsIsKept) {
    fakeFFmpeg("printf precious > '" + (dir / "out.mov").string() + "'\n" + writesGood());
    std::set<std::string> expected = entries();
    EXPECT_EQ(mergeError(dir / "out.mov").kind(), Kind::exists);
    EXPECT_EQ(readFile(dir / "out.mov"), "precious");
    expected.insert("out.mov");
    EXPECT_EQ(entries(), expected) << "no temporary left";
}

TEST_F(MergeRunner, OfTwoRunsRacingForOneNameExactlyOneSucceeds) {
    fakeFFmpeg("sleep 0.3\n" + writesGood());
    std::atomic<int> succeeded{0}, refused{0};
    auto run = [&] {
        try {
            merge(clips, dir / "out.mov", {});
            ++succeeded;
        } catch (const MergeError& error) {
            if (error.kind() == Kind::exists) ++refused;
        }
    };
    { std::jthread first(run), second(run); }
    EXPECT_EQ(succeeded, 1);
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(probe(dir / "out.mov").width, 128);
}

TEST_F(MergeRunner, CancellingStopsFFmpegPromptlyAndLeavesNothing) {
    // A polite ffmpeg ends at SIGTERM; a stubborn one ignores it and is killed after the grace period.
    const std::string pidFile = (dir / "bin" / "pid").string();
    const std::string start = "for last; do :; done\nhead -c 1000 /dev/zero > \"$last\"\necho $$ > '" +
                              pidFile + "'\nprintf 'frame=1\\n'\n";
    const std::set<std::string> before = entries();
    for (const std::string& body :
         {start + "exec sleep 30\n", start + "trap '' TERM\nwhile :; do sleep 0.05; done\n"}) {
        fakeFFmpeg(body);
        Cancellation cancel;
        const auto began = std::chrono::steady_clock::now();
        try {
            // The first progress line is the moment ffmpeg is surely running and writing.
            merge(
                clips, dir / "out.mov", [&](double) { cancel.request(); }, &cancel);
            ADD_FAILURE() << "not cancelled";
        } catch (const MergeError& error) {
            EXPECT_EQ(error.kind(), Kind::cancelled);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(3)) << body;
        EXPECT_EQ(entries(), before);
        EXPECT_NE(::kill(std::stoi(readFile(pidFile)), 0), 0) << "ffmpeg still running";
    }
    std::filesystem::remove(dir / "ran");
    Cancellation early;  // requested before the start: ffmpeg never runs
    early.request();
    EXPECT_THROW(merge(clips, dir / "out.mov", {}, &early), MergeError);
    EXPECT_FALSE(std::filesystem::exists(dir / "ran"));
}

TEST(DiagnosticTail, ConsidersTheLastBytesWhateverTheReadSizes) {
    std::string stream;  // 300 kB of numbered lines, mostly three-byte Hangul, then the real reason
    for (int i = 0; stream.size() < 300'000; ++i) stream += "가나다라 진단 줄 " + std::to_string(i) + "\n";
    stream += "마지막 이유\nConversion failed!\n";
    for (std::size_t chunk : {1, 7, 4096, 65536, 400'000}) {
        DiagnosticTail tail;
        for (std::size_t at = 0; at < stream.size(); at += chunk)
            tail.append(std::string_view(stream).substr(at, chunk));
        EXPECT_EQ(tail.window(), std::string_view(stream).substr(stream.size() - 100'000)) << chunk;
        EXPECT_THAT(tail.reason(), ::testing::EndsWith(" | 마지막 이유 | Conversion failed!")) << chunk;
    }
    DiagnosticTail cut;  // a window cut inside a line and a character: that line is not shown
    cut.append(std::string(diagnosticTailLimit, 'x') + "가\nL1\nL2");
    EXPECT_EQ(cut.reason(), "L1 | L2");
}

}  // namespace
}  // namespace tessellane
