#include "engine/merge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "engine/child_process.h"
#include "engine/diagnostic_tail.h"
#include "engine/tools.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using ::testing::ElementsAre;
using testing::ScopedPath;
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
            ClipInfo clip(dir / name, "h264", "avc1", "", 64, 32, "yuv420p", "25/1", 240);
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
                    "PATH=/usr/bin:/bin\ntouch '" + (dir / "ran").string() + "'\n" + body);
        ASSERT_EQ(Tools::find("ffmpeg"), (dir / "bin" / "ffmpeg").string()) << "another ffmpeg comes first";
    }
    bool ran() const { return std::filesystem::exists(dir / "ran"); }

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
    ScopedPath path{(dir / "bin").string()};
    std::vector<ClipInfo> clips;
};

TEST_F(MergeRunner, MissingFFmpegIsReportedBeforeValidation) {
    clips.clear();  // would not validate either
    MergeError error = mergeError(dir / "out.mov");
    EXPECT_EQ(error.kind(), MergeError::Kind::noFFmpeg);
    EXPECT_EQ(error.errorDescription(),
              "ffmpeg를 찾을 수 없습니다 (/opt/homebrew/bin, /usr/local/bin, PATH)");
    EXPECT_STREQ(error.what(), "ffmpeg를 찾을 수 없습니다 (/opt/homebrew/bin, /usr/local/bin, PATH)");

    // A file without execute permission is not a program: still nothing found.
    writeFile(dir / "bin" / "ffmpeg", "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(mergeError(dir / "out.mov").kind(), MergeError::Kind::noFFmpeg);
}

TEST_F(MergeRunner, NonExecutableFFmpegIsSkippedForTheNextOne) {
    std::filesystem::create_directory(dir / "first");
    writeFile(dir / "first" / "ffmpeg", "#!/bin/sh\nexit 0\n");
    writeScript(dir / "bin" / "ffmpeg", "echo 'the second one' >&2\nexit 3\n");
    ScopedPath both((dir / "first").string() + ":" + (dir / "bin").string());
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
        // Diagnostics that are not UTF-8 cannot be shown.
        {"printf 'bad \\377 byte\\n' >&2\nexit 1\n", "ffmpeg 실패: "},
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
        "printf 'frame=300\\nprogress=end\\n'\nexit 0\n");
    std::vector<double> fractions;
    ClipInfo result = merge(clips, dir / "out.mov", [&](double f) { fractions.push_back(f); });
    EXPECT_THAT(fractions, ElementsAre(0.0, 0.5, 1.0, 1.0, 1.0));
    // The record describes the output (here never written, so it carries the reason).
    EXPECT_EQ(result.url(), dir / "out.mov");
    EXPECT_TRUE(result.error.has_value());
}

TEST_F(MergeRunner, ProgressIsOnlyTheFinalOneWithoutFramesOrForStills) {
    fakeFFmpeg("printf 'frame=5\\nframe=10\\n'\nexit 0\n");
    clips[0].frames = 0;
    std::vector<double> fractions;
    merge(clips, dir / "out.mov", [&](double f) { fractions.push_back(f); });
    EXPECT_THAT(fractions, ElementsAre(1.0));
}

TEST_F(MergeRunner, AnEmptyProgressCallbackIsAllowed) {
    fakeFFmpeg("printf 'frame=30\\n'\nexit 0\n");
    EXPECT_NO_THROW(merge(clips, dir / "out.mov", ProgressCallback()));
}

TEST_F(MergeRunner, ProgressIsComputedAgainstTheShortestClip) {
    fakeFFmpeg("printf 'frame=30\\n'\nexit 0\n");
    clips[0].frames = 120;
    clips[1].frames = 60;
    std::vector<double> fractions;
    merge(clips, dir / "out.mov", [&](double f) { fractions.push_back(f); });
    EXPECT_THAT(fractions, ElementsAre(0.5, 1.0));
}

TEST_F(MergeRunner, ArgumentsReachFFmpegOneByOneAndStdinIsEmpty) {
    // The fake writes each argument on its own line, then what it read from standard input.
    fakeFFmpeg("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + (dir / "args").string() +
               "'\ncat > '" + (dir / "stdin").string() + "'\nexit 0\n");
    clips[0] = ClipInfo(dir / "my clip [1].mov", "h264", "avc1", "", 64, 32, "yuv420p", "25/1", 240);
    merge(clips, dir / "out put.mov", [](double) {});
    const std::string args = testing::readFile(dir / "args");
    EXPECT_NE(args.find("\n" + (dir / "my clip [1].mov").string() + "\n"), std::string::npos) << args;
    EXPECT_NE(args.find("\n" + (dir / "out put.mov").string() + "\n"), std::string::npos) << args;
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

TEST(MergeErrorText, DescriptionsCarryTheirPayloads) {
    EXPECT_EQ(MergeError::exists("/a/b c.mov").errorDescription(),
              "같은 이름의 파일이 이미 있습니다: /a/b c.mov");
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
        {ClipInfo("/o/out.mov", "prores", "apch", "", 5760, 1080, "yuv422p10le", "24000/1001", 1440),
         "5760×1080 · ProRes 422 HQ · 1440f 완료"},
        {ClipInfo("/o/out.MP4", "h264", "avc1", "", 12345, 64, "yuv420p", "30/1", 0),
         "12345×64 · H264 · 0f 완료"},
        {ClipInfo("/o/out.mov", "hevc", "hvc1", "", 256, 64, "yuv420p10le", "25/1", 3),
         "256×64 · HEVC · 3f 완료"},
        {ClipInfo("/o/out.png", "png", "", "", 3840, 1080, "rgb24"), "3840×1080 · PNG · rgb24 완료"},
        {ClipInfo("/o/out.JPG", "mjpeg", "", "", 128, 32, "yuvj444p", "0/1", 1),
         "128×32 · MJPEG · yuvj444p 완료"},
    };
    for (const Case& test : cases) EXPECT_EQ(resultSummary(test.clip), test.summary);
}

TEST(DiagnosticTail, StaysBoundedAndDropsOnlyTheBrokenCharacterAtTheCut) {
    // Cut positions at every offset inside a three-byte and a four-byte character.
    for (const char* character : {"가", "😀"}) {
        for (std::size_t shift = 0; shift < std::string_view(character).size(); ++shift) {
            const std::string one = character;
            std::string tail(shift, 'x');
            std::string stream;
            while (stream.size() < diagnosticTailLimit) stream += one;
            stream += "\n끝 줄\n";
            appendDiagnostics(tail, stream);
            EXPECT_LE(tail.size(), diagnosticTailKeep);
            EXPECT_GE(tail.size(), diagnosticTailKeep - 3);
            EXPECT_TRUE(isValidUtf8(tail)) << "shift " << shift;
            EXPECT_EQ(tail.substr(tail.size() - 9), "\n끝 줄\n");
        }
    }
    // At the limit nothing is cut; one byte more cuts back to the kept size exactly (ASCII).
    std::string tail(diagnosticTailLimit, 'a');
    appendDiagnostics(tail, "");
    EXPECT_EQ(tail.size(), diagnosticTailLimit);
    appendDiagnostics(tail, "b");
    EXPECT_EQ(tail.size(), diagnosticTailKeep);
    EXPECT_EQ(tail.back(), 'b');
}

TEST(DiagnosticTail, LastLinesSkipEmptyOnes) {
    EXPECT_EQ(lastDiagnosticLines("L1\nL2\n\nL3\n\nL4\n\n"), "L2 | L3 | L4");
    EXPECT_EQ(lastDiagnosticLines("a\nb"), "a | b");
    EXPECT_EQ(lastDiagnosticLines("\n\n"), "");
    EXPECT_EQ(lastDiagnosticLines(""), "");
}

}  // namespace
}  // namespace tessellane
