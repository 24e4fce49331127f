#include "engine/merge/merge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <set>
#include <system_error>
#include <thread>

#include "engine/merge/cancellation.h"
#include "engine/merge/child_process.h"
#include "engine/merge/diagnostic_tail.h"
#include "engine/merge/tools.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using ::testing::ElementsAre;
using testing::ScopedToolPath;
using testing::TempDir;
using testing::writeFile;
using testing::writeScript;

// Two clips that pass validation, in a folder of their own, with a fake ffmpeg found first.
class MergeRunner : public ::testing::Test {
  protected:
    void SetUp() override {
        ::alarm(60);  // a runner that hangs ends the test program instead of stalling the suite
        std::filesystem::create_directory(dir / "bin");
        for (const char* name : {"a.mov", "b.mov"}) {
            ClipInfo clip(dir / name, {.codec = "h264",
                                       .codecTag = "avc1",
                                       .width = 64,
                                       .height = 32,
                                       .pixFmt = "yuv420p",
                                       .fpsString = "25/1",
                                       .frames = 240});
            clips.push_back(clip);
        }
    }

    void TearDown() override {
        ::alarm(0);
        // Every child has been reaped: there is nothing left to wait for.
        errno = 0;
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }

    // Installs the fake ffmpeg; it leaves a mark so tests can tell whether it ran.
    void fakeFFmpeg(const std::string& body) {
        // Its own PATH: the test's PATH holds nothing but the fake.
        writeScript(dir / "bin" / "ffmpeg",
                    "PATH=/usr/bin:/bin\ntouch '" + (dir / "bin" / "ran").string() + "'\n" + body);
        ASSERT_EQ(Tools::find("ffmpeg"), (dir / "bin" / "ffmpeg").string()) << "another ffmpeg comes first";
    }
    bool ran() const { return std::filesystem::exists(dir / "bin" / "ran"); }

    // A shell line that writes a real 128×32 movie, what two 64×32 clips merge into, to ffmpeg's output
    // (its last argument).
    std::string writesGoodOutput() {
        const std::filesystem::path good = dir / "bin" / "good.mov";
        if (!std::filesystem::exists(good))
            testing::makeMedia(good, {"-f", "lavfi", "-i", "testsrc2=s=128x32:r=25", "-frames:v", "2", "-c:v",
                                      "libx264", "-pix_fmt", "yuv420p"});
        return "for last; do :; done\ncp '" + good.string() + "' \"$last\"\n";
    }

    // The names in the clips' folder, hidden ones included.
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.insert(entry.path().filename());
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

    TempDir dir;
    ScopedToolPath path{dir / "bin"};
    std::vector<ClipInfo> clips;
};

TEST_F(MergeRunner, MissingFFmpegIsReportedBeforeValidation) {
    clips.clear();  // would not validate either
    MergeError error = mergeError(dir / "out.mov");
    EXPECT_EQ(error.kind(), MergeError::Kind::noFFmpeg);
    EXPECT_EQ(error.errorDescription(), Tools::missingFFmpegMessage());
    EXPECT_STREQ(error.what(), Tools::missingFFmpegMessage().c_str());

    // A file without execute permission is not a program: still nothing found.
    writeFile(dir / "bin" / "ffmpeg", "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(mergeError(dir / "out.mov").kind(), MergeError::Kind::noFFmpeg);
}

TEST_F(MergeRunner, NonExecutableFFmpegIsSkippedForTheNextOne) {
    std::filesystem::create_directory(dir / "first");
    writeFile(dir / "first" / "ffmpeg", "#!/bin/sh\nexit 0\n");
    writeScript(dir / "bin" / "ffmpeg", "echo 'the second one' >&2\nexit 3\n");
    ScopedToolPath both((dir / "first").string() + ":" + (dir / "bin").string());
    EXPECT_EQ(mergeError(dir / "out.mov").errorDescription(), "ffmpeg 실패: the second one");
}

TEST_F(MergeRunner, BlockingMessagesAreJoinedByLineFeedsAndNothingRuns) {
    fakeFFmpeg("exit 0\n");
    clips[1].height = 720;
    clips[1].fpsString = "30/1";
    MergeError error = mergeError(dir / "out.mov");
    EXPECT_EQ(error.kind(), MergeError::Kind::invalid);
    EXPECT_EQ(error.errorDescription(), "높이가 다릅니다: 32 / 720\nfps가 다릅니다: 25 / 30");
    EXPECT_FALSE(ran());
}

TEST_F(MergeRunner, RefusesAnyOutputThatExistsOrIsAnInput) {
    fakeFFmpeg("exit 0\n");
    writeFile(dir / "taken.mov", "keep me");
    std::filesystem::create_directory(dir / "folder.mov");
    std::filesystem::create_symlink(dir / "nowhere.mov", dir / "dangling.mov");
    const FileURL outputs[] = {
        dir / "taken.mov",
        dir / "folder.mov",
        dir / "dangling.mov",        // ffmpeg would write through the link
        dir.path() / "." / "b.mov",  // an input, written differently (the input need not exist)
        dir.path() / "bin" / ".." / "a.mov",
    };
    for (const FileURL& output : outputs) {
        MergeError error = mergeError(output);
        EXPECT_EQ(error.kind(), MergeError::Kind::exists) << output;
        EXPECT_EQ(error.errorDescription(), "같은 이름의 파일이 이미 있습니다: " + output.string());
    }
    EXPECT_FALSE(ran());
    EXPECT_EQ(testing::readFile(dir / "taken.mov"), "keep me");
}

TEST_F(MergeRunner, FailureShowsTheLastThreeNonEmptyDiagnosticLines) {
    struct Case {
        std::string script;
        std::string description;
    };
    const Case cases[] = {
        {"printf 'L1\\n\\nL2\\n\\n\\nL3\\nL4\\n' >&2\nexit 1\n", "ffmpeg 실패: L2 | L3 | L4"},
        {"printf 'only one' >&2\nexit 2\n", "ffmpeg 실패: only one"},
        {"exit 1\n", "ffmpeg 실패: "},
        // Death by a signal is a failure too, with whatever was said before it.
        {"echo '/영상/a.mov: 마지막 말' >&2\nkill -KILL $$\n", "ffmpeg 실패: /영상/a.mov: 마지막 말"},
        // A byte that is not UTF-8 (a Latin-1 file name) shows as U+FFFD and keeps the other lines.
        {"printf 'first\\nbad \\377 byte\\n' >&2\nexit 1\n", "ffmpeg 실패: first | bad \uFFFD byte"},
        // Statistics and stream listings are not reasons, whatever their line ends.
        {"printf 'Output #0, image2, to x:\\n  Stream #0:0: Video: png\\nframe=    1 fps=0.0 q=0.0 size=N/A "
         "\\rav_interleaved_write_frame(): No space left on device\\nframe=    1 fps=0.0\\n"
         "video:2718kB audio:0kB muxing overhead: unknown\\nConversion failed!\\n' >&2\nexit 1\n",
         "ffmpeg 실패: av_interleaved_write_frame(): No space left on device | Conversion failed!"},
    };
    for (const Case& test : cases) {
        fakeFFmpeg(test.script);
        EXPECT_EQ(mergeError(dir / "out.mov").errorDescription(), test.description) << test.script;
    }
}

TEST_F(MergeRunner, MegabytesOfDiagnosticsKeepMemoryBoundedAndTheLastLines) {
    // 20 MB of whole 54-byte lines, mostly three-byte Hangul: every cut of the tail lands at an arbitrary
    // byte, often inside a character, and the last lines must still come through.
    fakeFFmpeg(
        "yes '가나다라마바사아자차카타파하 진단 줄' | head -c 19980000 >&2\n"
        "printf '\\n첫째\\n둘째\\n셋째 /경로/파일.mov\\n' >&2\nexit 1\n");
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    MergeError error = mergeError(dir / "out.mov");
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(error.errorDescription(), "ffmpeg 실패: 첫째 | 둘째 | 셋째 /경로/파일.mov");
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 8 * 1024) << "peak grew by KiB";
}

TEST_F(MergeRunner, ProgressComesFromFrameLinesOnlyAndEndsWithOne) {
    // A frame line and a Hangul character are each cut across two writes; other keys, empty and
    // malformed values are skipped; 300 of 240 frames is reported as 1.
    fakeFFmpeg(
        "printf 'frame=0\\nfps=0.0\\nfra'\nsleep 0.2\nprintf 'me=120\\n\\352\\260'\nsleep 0.2\n"
        "printf '\\200\\nframe=\\nframe=abc\\nframe=12x\\n frame=60\\nframe=240\\nprogress=continue\\n'\n"
        "printf 'frame=300\\nprogress=end\\n'\n" +
        writesGoodOutput());
    std::vector<double> fractions;
    ClipInfo result = merge(clips, dir / "out.mov", [&](double f) { fractions.push_back(f); });
    EXPECT_THAT(fractions, ElementsAre(0.0, 0.5, 1.0, 1.0, 1.0));
    // The record describes the published output, not the inputs.
    EXPECT_EQ(result.url(), dir / "out.mov");
    EXPECT_EQ(result.width, 128);
    EXPECT_FALSE(result.error.has_value());
}

TEST_F(MergeRunner, ProgressIsOnlyTheFinalOneWithoutFramesOrForStills) {
    fakeFFmpeg("printf 'frame=5\\nframe=10\\n'\n" + writesGoodOutput());
    clips[0].frames = 0;
    std::vector<double> fractions;
    merge(clips, dir / "out.mov", [&](double f) { fractions.push_back(f); });
    EXPECT_THAT(fractions, ElementsAre(1.0));
}

TEST_F(MergeRunner, AnEmptyProgressCallbackIsAllowed) {
    fakeFFmpeg("printf 'frame=30\\n'\n" + writesGoodOutput());
    EXPECT_NO_THROW(merge(clips, dir / "out.mov", ProgressCallback()));
}

TEST_F(MergeRunner, ProgressIsComputedAgainstTheShortestClip) {
    fakeFFmpeg("printf 'frame=30\\n'\n" + writesGoodOutput());
    clips[0].frames = 120;
    clips[1].frames = 60;
    std::vector<double> fractions;
    merge(clips, dir / "out.mov", [&](double f) { fractions.push_back(f); });
    EXPECT_THAT(fractions, ElementsAre(0.5, 1.0));
}

TEST_F(MergeRunner, ArgumentsReachFFmpegOneByOneAndStdinIsEmpty) {
    // The fake writes each argument on its own line, then what it read from standard input.
    fakeFFmpeg("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + (dir / "args").string() +
               "'\ncat > '" + (dir / "stdin").string() + "'\n" + writesGoodOutput());
    clips[0] = ClipInfo(dir / "my clip [1].mov", {.codec = "h264",
                                                  .codecTag = "avc1",
                                                  .width = 64,
                                                  .height = 32,
                                                  .pixFmt = "yuv420p",
                                                  .fpsString = "25/1",
                                                  .frames = 240});
    std::vector<std::string> started;
    merge(
        clips, dir / "out put.mov", [](double) {}, nullptr,
        [&](const auto& arguments) { started = arguments; });
    const std::string args = testing::readFile(dir / "args");
    EXPECT_NE(args.find("\n" + (dir / "my clip [1].mov").string() + "\n"), std::string::npos) << args;
    // ffmpeg writes a hidden temporary of this run's own beside the output, with the same extension.
    ASSERT_FALSE(started.empty());
    const std::filesystem::path temporary = started.back();
    EXPECT_EQ(temporary.parent_path().parent_path(), dir.path());
    EXPECT_EQ(temporary.parent_path().filename().string().rfind(".tessellane-", 0), 0u) << temporary;
    EXPECT_EQ(temporary.extension(), ".mov");
    EXPECT_EQ(args.substr(args.size() - temporary.string().size() - 1), temporary.string() + "\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "out put.mov"));
    EXPECT_FALSE(std::filesystem::exists(temporary.parent_path()));
    EXPECT_EQ(testing::readFile(dir / "stdin"), "");
}

TEST_F(MergeRunner, ARefusedStartIsThePlatformErrorUnchanged) {
    fakeFFmpeg("exit 0\n");
    writeFile(dir / "bin" / "ffmpeg", "#!/nonexistent/interpreter\n");  // still executable, cannot start
    try {
        merge(clips, dir / "out.mov", [](double) {});
        ADD_FAILURE() << "merge did not fail";
    } catch (const MergeError& error) {
        ADD_FAILURE() << "wrapped: " << error.errorDescription();
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
    }
}

TEST_F(MergeRunner, AThrowingProgressCallbackStillReapsTheChild) {
    fakeFFmpeg("printf 'frame=10\\n'\nsleep 0.3\nprintf 'frame=20\\n' 2>/dev/null\nexit 0\n");
    EXPECT_THROW(merge(clips, dir / "out.mov", [](double) { throw std::runtime_error("stop"); }),
                 std::runtime_error);
    // TearDown checks that no child is left.
}

// ---- nothing of the user's is ever replaced, and nothing is left behind -----------------------------------

TEST_F(MergeRunner, AFileThatAppearsWhileFFmpegRunsIsKeptAndTheRunFails) {
    fakeFFmpeg("printf precious > '" + (dir / "out.mov").string() + "'\n" + writesGoodOutput());
    const std::set<std::string> before = entries();
    MergeError error = mergeError(dir / "out.mov");
    EXPECT_EQ(error.kind(), MergeError::Kind::exists);
    EXPECT_EQ(testing::readFile(dir / "out.mov"), "precious");
    std::set<std::string> expected = before;
    expected.insert("out.mov");
    EXPECT_EQ(entries(), expected) << "no temporary left";
}

TEST_F(MergeRunner, OfTwoRunsRacingForOneNameExactlyOneSucceeds) {
    fakeFFmpeg("sleep 0.3\n" + writesGoodOutput());
    std::atomic<int> succeeded{0}, refused{0};
    auto run = [&] {
        try {
            merge(clips, dir / "out.mov", {});
            ++succeeded;
        } catch (const MergeError& error) {
            if (error.kind() == MergeError::Kind::exists) ++refused;
        }
    };
    std::thread first(run), second(run);
    first.join();
    second.join();
    EXPECT_EQ(succeeded, 1);
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(probe(dir / "out.mov").width, 128);
}

TEST_F(MergeRunner, SuccessIsOnlyAnOutputOfTheExpectedKindAndSize) {
    struct Case {
        std::string script;
        std::string description;
    };
    const std::string wrongSize = (dir / "bin" / "small.mov").string();
    {
        testing::makeMedia(wrongSize,
                           {"-f", "lavfi", "-i", "testsrc2=s=64x32", "-frames:v", "1", "-c:v", "libx264"});
    }
    const Case cases[] = {
        {"exit 0\n", "ffmpeg가 결과 파일을 만들지 않았습니다"},
        {"for last; do :; done\nprintf garbage > \"$last\"\n", "ffmpeg가 만든 결과 파일을 읽을 수 없습니다"},
        {"for last; do :; done\ncp '" + wrongSize + "' \"$last\"\n",
         "결과 크기가 예상과 다릅니다: 64×32 (예상 128×32)"},
    };
    for (const Case& test : cases) {
        fakeFFmpeg(test.script);
        const std::set<std::string> before = entries();
        MergeError error = mergeError(dir / "out.mov");
        EXPECT_EQ(error.kind(), MergeError::Kind::unverified) << test.script;
        EXPECT_EQ(error.errorDescription(), test.description);
        EXPECT_EQ(entries(), before) << test.script;
    }
}

TEST_F(MergeRunner, AFailedRunLeavesNothingAndTheRetrySucceeds) {
    fakeFFmpeg("for last; do :; done\nhead -c 1000 /dev/zero > \"$last\"\necho 'disk error' >&2\nexit 1\n");
    const std::set<std::string> before = entries();
    EXPECT_EQ(mergeError(dir / "out.mov").errorDescription(), "ffmpeg 실패: disk error");
    EXPECT_EQ(entries(), before);

    fakeFFmpeg(writesGoodOutput());
    EXPECT_EQ(merge(clips, dir / "out.mov", {}).width, 128);
}

TEST_F(MergeRunner, CancellingStopsFFmpegPromptlyAndLeavesNothing) {
    // A polite ffmpeg ends at SIGTERM; a stubborn one ignores it and is killed after the grace period.
    const std::string pidFile = (dir / "bin" / "pid").string();
    const std::string start = "for last; do :; done\nhead -c 1000 /dev/zero > \"$last\"\necho $$ > '" +
                              pidFile + "'\nprintf 'frame=1\\n'\n";
    for (const std::string& body :
         {start + "exec sleep 30\n", start + "trap '' TERM\nwhile :; do sleep 0.05; done\n"}) {
        fakeFFmpeg(body);
        const std::set<std::string> before = entries();
        Cancellation cancel;
        const auto began = std::chrono::steady_clock::now();
        try {
            // The first progress line is the moment ffmpeg is surely running and writing.
            merge(
                clips, dir / "out.mov", [&](double) { cancel.request(); }, &cancel);
            ADD_FAILURE() << "not cancelled";
        } catch (const MergeError& error) {
            EXPECT_EQ(error.kind(), MergeError::Kind::cancelled);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(3)) << body;
        EXPECT_EQ(entries(), before);
        const pid_t pid = std::stoi(testing::readFile(pidFile));
        EXPECT_NE(::kill(pid, 0), 0) << "ffmpeg still running";
    }

    // Requested before the start: ffmpeg never runs.
    std::filesystem::remove(dir / "bin" / "ran");
    Cancellation early;
    early.request();
    EXPECT_THROW(merge(clips, dir / "out.mov", {}, &early), MergeError);
    EXPECT_FALSE(ran());
}

TEST(ChildProcess, DiesWithTheThreadThatSupervisesIt) {
    pid_t pid = -1;
    std::thread([&pid] {
        ChildProcess child = spawnChild("/bin/sleep", {"30"}, ChildOutput::discard, ChildOutput::discard);
        pid = child.pid;
    }).join();
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
}

TEST(MergeErrorText, DescriptionsCarryTheirPayloads) {
    EXPECT_EQ(MergeError::exists("/a/b c.mov").errorDescription(),
              "같은 이름의 파일이 이미 있습니다: /a/b c.mov");
    EXPECT_EQ(MergeError::cancelled().errorDescription(), "합치기를 취소했습니다");
    EXPECT_EQ(MergeError::unverified("결과 크기가 다릅니다").errorDescription(), "결과 크기가 다릅니다");
    EXPECT_EQ(MergeError::invalid("x\ny").errorDescription(), "x\ny");
    EXPECT_EQ(MergeError::failed("A | B").errorDescription(), "ffmpeg 실패: A | B");
    EXPECT_EQ(MergeError::failed("").payload(), "");
}

TEST(ResultSummary, VideoShowsFramesAndImagesShowPixelFormat) {
    struct Case {
        ClipInfo clip;
        std::string summary;
    };
    const Case cases[] = {
        {ClipInfo("/o/out.mov", {.codec = "prores",
                                 .codecTag = "apch",
                                 .width = 5760,
                                 .height = 1080,
                                 .pixFmt = "yuv422p10le",
                                 .fpsString = "24000/1001",
                                 .frames = 1440}),
         "5760×1080 · ProRes 422 HQ · 1440f 완료"},
        {ClipInfo("/o/out.MP4", {.codec = "h264",
                                 .codecTag = "avc1",
                                 .width = 12345,
                                 .height = 64,
                                 .pixFmt = "yuv420p",
                                 .fpsString = "30/1"}),
         "12345×64 · H264 · 0f 완료"},
        {ClipInfo("/o/out.mov", {.codec = "hevc",
                                 .codecTag = "hvc1",
                                 .width = 256,
                                 .height = 64,
                                 .pixFmt = "yuv420p10le",
                                 .fpsString = "25/1",
                                 .frames = 3}),
         "256×64 · HEVC · 3f 완료"},
        {ClipInfo("/o/out.png", {.codec = "png", .width = 3840, .height = 1080, .pixFmt = "rgb24"}),
         "3840×1080 · PNG · rgb24 완료"},
        {ClipInfo("/o/out.JPG",
                  {.codec = "mjpeg", .width = 128, .height = 32, .pixFmt = "yuvj444p", .frames = 1}),
         "128×32 · MJPEG · yuvj444p 완료"},
    };
    for (const Case& test : cases) EXPECT_EQ(resultSummary(test.clip), test.summary);
}

TEST(DiagnosticTail, ConsidersTheLastBytesWhateverTheReadSizes) {
    // 300 kB of numbered lines, mostly three-byte Hangul, then the real reason.
    std::string stream;
    for (int i = 0; stream.size() < 300'000; ++i) stream += "가나다라 진단 줄 " + std::to_string(i) + "\n";
    stream += "마지막 이유\nConversion failed!\n";
    std::string firstReason;
    for (std::size_t chunk :
         {std::size_t{1}, std::size_t{7}, std::size_t{4096}, std::size_t{65536}, stream.size()}) {
        DiagnosticTail tail;
        for (std::size_t at = 0; at < stream.size(); at += chunk)
            tail.append(std::string_view(stream).substr(at, chunk));
        EXPECT_EQ(tail.window(), std::string_view(stream).substr(stream.size() - diagnosticTailKeep))
            << chunk;
        if (firstReason.empty()) firstReason = tail.reason();
        EXPECT_EQ(tail.reason(), firstReason) << chunk;
    }
    EXPECT_THAT(firstReason, ::testing::EndsWith(" | 마지막 이유 | Conversion failed!"));

    // A window cut inside a line and a character: that line is not shown, the rest is intact.
    DiagnosticTail cut;
    cut.append(std::string(diagnosticTailLimit, 'x') + "가\nL1\nL2");
    EXPECT_EQ(cut.reason(), "L1 | L2");
}

TEST(DiagnosticTail, LastLinesSkipEmptyOnes) {
    EXPECT_EQ(lastDiagnosticLines("L1\nL2\n\nL3\n\nL4\n\n"), "L2 | L3 | L4");
    EXPECT_EQ(lastDiagnosticLines("a\nb"), "a | b");
    EXPECT_EQ(lastDiagnosticLines("\n\n"), "");
    EXPECT_EQ(lastDiagnosticLines(""), "");
}

}  // namespace
}  // namespace tessellane
