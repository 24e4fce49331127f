#include "engine/merge/merge.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "engine/merge/cancellation.h"
#include "engine/merge/child_process.h"
#include "engine/merge/descriptor_names.h"
#include "engine/merge/diagnostic_tail.h"
#include "engine/merge/temporary_output.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;
using testing::readFile;
using Kind = MergeError::Kind;

// What the file-system seam acts out: features a file system lacks, a step that fails, and the steps
// taken to keep a result.
struct FileSystemPlay {
    bool noAnonymous = false, noExclusiveRename = false, noLinks = false, refusesColon = false;
    int failingStep = -1;  // the flush at this index of `steps` fails with EIO
    std::vector<std::string> steps{};
};
FileSystemPlay play;

int playedFlush(const char* step, int (*real)(int), int fd) {
    play.steps.push_back(step);
    if (static_cast<int>(play.steps.size()) - 1 == play.failingStep) return errno = EIO, -1;
    return real(fd);
}

class ScopedPlay {
  public:
    explicit ScopedPlay(FileSystemPlay acted) : saved_(outputCalls()) {
        play = std::move(acted);
        outputCalls() = OutputCalls{[](int d, const char* name, int flags, mode_t mode) {
                                        if ((flags & O_TMPFILE) == O_TMPFILE && play.noAnonymous)
                                            return errno = EOPNOTSUPP, -1;
                                        if (play.refusesColon && std::strchr(name, ':'))
                                            return errno = EINVAL, -1;
                                        return ::openat(d, name, flags, mode);
                                    },
                                    [](int a, const char* from, int b, const char* to, unsigned flags) {
                                        if (flags != 0 && play.noExclusiveRename) return errno = EINVAL, -1;
                                        play.steps.push_back("rename");
                                        return ::renameat2(a, from, b, to, flags);
                                    },
                                    [](int a, const char* from, int b, const char* to, int flags) {
                                        if (play.noLinks) return errno = EPERM, -1;
                                        play.steps.push_back("link");
                                        return ::linkat(a, from, b, to, flags);
                                    },
                                    [](int fd) { return playedFlush("flush data", ::fdatasync, fd); },
                                    [](int fd) { return playedFlush("flush", ::fsync, fd); }};
    }
    ~ScopedPlay() { outputCalls() = saved_; }

  private:
    OutputCalls saved_;
};

// Made once: two 64×32 H.264 clips of 4 frames, what they merge into, results that are wrong in one way
// each (one frame, another codec), and one padded at the start as ffmpeg pads a clip that starts late.
const fs::path& media() {
    static const testing::TempDir folder;
    static const bool made = [] {
        const std::vector<std::string> h264 = {"-c:v", "libx264", "-pix_fmt", "yuv420p"};
        std::vector<std::string> args = {"-f", "lavfi", "-i", "testsrc=s=128x32:r=25"};
        for (const auto& [name, options] : std::vector<std::pair<std::string, std::vector<std::string>>>{
                 {"good.mov", {"-frames:v", "4"}},
                 {"short.mov", {"-frames:v", "1"}},
                 {"long.mov", {"-frames:v", "6"}},
                 {"mpeg4.mov", {"-frames:v", "4", "-c:v", "mpeg4"}},
                 {"a.mov", {"-frames:v", "4", "-vf", "crop=64:32:0:0"}},
                 {"b.mov", {"-frames:v", "4", "-vf", "crop=64:32:64:0"}}}) {
            args.insert(args.end(), options.begin(), options.end());
            if (name != "mpeg4.mov") args.insert(args.end(), h264.begin(), h264.end());
            if (name != "b.mov") args.push_back((folder / name).string());  // makeMedia adds the last
        }
        testing::makeMedia(folder / "b.mov", args);
        return true;
    }();
    (void)made;
    return folder.path();
}

// Two clips that pass validation, and a fake ffmpeg in a search list of its own.
class MergeRunner : public ::testing::Test {
  protected:
    void SetUp() override {
        ::alarm(60);  // a runner that hangs ends the test program instead of stalling the suite
        fs::create_directory(dir / "bin");
        for (const char* name : {"a.mov", "b.mov"}) fs::copy_file(media() / name, dir / name);
        scope.emplace(dir / "bin");
        clips = {probe(dir / "a.mov"), probe(dir / "b.mov")};
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
    // A shell line that copies a made file (good.mov unless named) to ffmpeg's output, its last argument.
    static std::string writes(const std::string& name = "good.mov") {
        return "for last; do :; done\ncp '" + (media() / name).string() + "' \"$last\"\n";
    }

    std::set<std::string> entries(const fs::path& folder = {}) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.empty() ? dir.path() : folder))
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

// Nothing runs without an ffmpeg (reported before validation), with blocking messages, for an output that
// exists, is an input or cannot be named, or for inputs that are not what was probed any more.
TEST_F(MergeRunner, NothingRunsWhenItCannotOrMustNot) {
    testing::writeFile(dir / "bin" / "ffmpeg", "#!/bin/sh\nexit 0\n");  // not executable: not a program
    clips[1].height = 720;
    EXPECT_STREQ(mergeError(dir / "out.mov").what(),
                 ("ffmpeg를 찾을 수 없습니다 (" + (dir / "bin").string() + ")").c_str());
    fakeFFmpeg("exit 0\n");
    clips[1].fpsString = "30/1";
    EXPECT_EQ(mergeError(dir / "out.mov").errorDescription(),
              "높이가 다릅니다: 32 / 720\nfps가 다릅니다: 25 / 30");
    clips[1] = probe(dir / "b.mov");
    testing::writeFile(dir / "taken.mov", "keep me");
    fs::create_directory(dir / "folder.mov");
    fs::create_symlink(dir / "nowhere.mov", dir / "dangling.mov");  // ffmpeg writes through
    const std::string taken = "같은 이름의 파일이 이미 있습니다: ";
    const struct {
        FileURL output;
        std::string description;
        std::function<void()> before = [] {};
    } rows[] = {
        {dir / "taken.mov", taken + (dir / "taken.mov").string()},
        {dir / "folder.mov", taken + (dir / "folder.mov").string()},
        {dir / "dangling.mov", taken + (dir / "dangling.mov").string()},
        {dir.path() / "." / "b.mov", taken + (dir.path() / "." / "b.mov").string()},
        {dir.path() / "bin" / ".." / "a.mov", taken + (dir.path() / "bin" / ".." / "a.mov").string()},
        // No name, or one that names a folder; a writer that the extension does not tell.
        {dir.path() / "", "출력 파일 이름이 없습니다 — 접미사를 정해 주세요"},
        {dir.path() / "..", "출력 파일 이름으로 쓸 수 없습니다: .."},
        {dir / "out.qt",
         "이 확장자로는 쓸 수 없습니다: out.qt (mov·mp4·m4v·png·jpg·jpeg·tif·tiff·bmp·webp만)"},
        // Names the folder's file system refuses, found before the encode.
        {dir / (std::string(252, 'x') + ".mov"),
         "파일 이름이 너무 깁니다: 256바이트 (이 폴더에는 255바이트까지)"},
        {dir / "a:b.mov", "이 폴더의 파일 시스템에서 쓸 수 없는 이름입니다: a:b.mov"},
        {dir / "missing" / "out.mov", "출력 폴더가 없습니다: " + (dir / "missing").string()},
        // Inputs that changed since they were probed.
        {dir / "out.mov", "입력 파일이 없습니다: b.mov", [&] { fs::remove(dir / "b.mov"); }},
        {dir / "out.mov", "입력 파일이 확인한 뒤에 바뀌었습니다: b.mov",
         [&] { fs::remove(dir / "b.mov"), fs::create_symlink("/dev/zero", dir / "b.mov"); }},
        {dir / "out.mov", "입력 파일이 확인한 뒤에 바뀌었습니다: b.mov",
         [&] { fs::copy_file(media() / "good.mov", dir / "b.mov", fs::copy_options::overwrite_existing); }},
    };
    const ScopedPlay fat({.refusesColon = true});
    for (const auto& row : rows) {
        fs::remove(dir / "b.mov");
        fs::copy_file(media() / "b.mov", dir / "b.mov");
        row.before();
        const std::set<std::string> ready = entries();
        EXPECT_EQ(mergeError(row.output).errorDescription(), row.description) << row.output;
        EXPECT_EQ(entries(), ready) << row.output;
    }
    // An output beyond what its encoder takes is refused before ffmpeg, not by it.
    const ClipFields wide{.codec = "h264",
                          .codecTag = "avc1",
                          .width = 8200,
                          .height = 8,
                          .pixFmt = "yuv420p",
                          .fpsString = "25/1",
                          .frames = 4};
    clips = {ClipInfo(dir / "a.mov", wide), ClipInfo(dir / "b.mov", wide)};
    EXPECT_EQ(mergeError(dir / "wide.mov").errorDescription(),
              "결과 크기가 너무 큽니다: 16400×8 — H.264는 가로·세로 16384 이하여야 합니다");
    EXPECT_FALSE(fs::exists(dir / "ran"));
    EXPECT_EQ(readFile(dir / "taken.mov"), "keep me");
}

// Every failure leaves the folder as it was, and the retry succeeds.
TEST_F(MergeRunner, FailuresGiveTheReasonAndLeaveNothing) {
    const std::string partial = "for last; do :; done\nhead -c 1000 /dev/zero > \"$last\"\n";
    const std::pair<std::string, std::string> rows[] = {
        // The last three lines that say something: not empty ones, statistics or the stream listing,
        // whatever their line ends, without their level tags; bytes that are not UTF-8 show as U+FFFD.
        {"printf 'L1\\n\\nL2\\n\\n\\nL3\\nL4\\n' >&2; exit 1", "ffmpeg 실패: L2 | L3 | L4"},
        {"printf '[h264 @ 0x5] [error] bad\\n[info]   Stream #0\\n[fatal] Conversion failed!' >&2; exit 2",
         "ffmpeg 실패: [h264 @ 0x5] bad | Conversion failed!"},
        // A warning said on every frame never hides the error; alone, it is the reason.
        {"printf '[error] cut\n[swscaler @ 0x1] [warning] deprecated\n[fatal] failed\n[warning] again\n' "
         ">&2; "
         "exit 1",
         "ffmpeg 실패: cut | failed"},
        {"printf '[warning] only this\n' >&2; exit 1", "ffmpeg 실패: only this"},
        {"exit 1", "ffmpeg 실패: "},
        {"printf 'first\\nbad \\377 byte\\n' >&2; exit 1", "ffmpeg 실패: first | bad \uFFFD byte"},
        // ffmpeg knows the files only as inherited descriptors: the user is told their names.
        {"for a; do case $a in /proc/self/fd/*) echo \"$a: Invalid data\" >&2; break;; esac; done; exit 1",
         "ffmpeg 실패: a.mov: Invalid data"},
        {partial +
             "printf 'Output #0, image2, to x:\\n  Stream #0:0: Video: png\\nframe=    1 fps=0.0 q=0.0 "
             "size=N/A \\rav_interleaved_write_frame(): No space left on device\\nframe=    1 fps=0.0\\n"
             "video:2718kB audio:0kB muxing overhead: unknown\\nConversion failed!\\n' >&2; exit 1",
         "ffmpeg 실패: av_interleaved_write_frame(): No space left on device | Conversion failed!"},
        // A signal nobody here sent is explained; the last lines would mislead.
        {"echo 'x264 [info]: profile High' >&2; kill -KILL $$",
         "ffmpeg가 신호 9(SIGKILL)로 끝났습니다 — 메모리가 부족했을 수 있습니다"},
        {"kill -XFSZ $$", "ffmpeg가 신호 25(SIGXFSZ)로 끝났습니다 — 파일 크기 한도를 넘었습니다"},
        // Success is only the result asked for: its kind, size, codec and every frame.
        {"exit 0", "ffmpeg가 결과 파일을 만들지 않았습니다"},
        {partial, "ffmpeg가 만든 결과 파일을 읽을 수 없습니다"},
        {writes("a.mov"), "결과 크기가 예상과 다릅니다: 64×32 (예상 128×32)"},
        {writes("mpeg4.mov"), "결과 코덱이 예상과 다릅니다: mp4v (예상 h264)"},
        {writes("short.mov"), "결과 프레임 수가 예상과 다릅니다: 1 (예상 4)"},
    };
    const std::set<std::string> before = entries();
    for (const auto& [script, description] : rows) {
        fakeFFmpeg(script + "\n");
        const MergeError error = mergeError(dir / "out.mov");
        EXPECT_EQ(error.errorDescription(), description) << script;
        EXPECT_EQ(entries(), before) << script;
    }
    fakeFFmpeg(writes());
    EXPECT_EQ(merge(clips, dir / "out.mov", {}).output.width, 128);
    // Frames ffmpeg adds before a clip that starts late lose nothing: more than the shortest clip is whole.
    fakeFFmpeg(writes("long.mov"));
    EXPECT_EQ(merge(clips, dir / "long.mov", {}).output.frames, 6);
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

// Progress comes from frame lines against the shortest clip; errors ffmpeg reports on the way to a good
// result come back beside it.
TEST_F(MergeRunner, ProgressAndWarningsOfASuccessfulRun) {
    // A frame line and a Hangul character cut across writes; other keys, empty and malformed values skipped;
    // 5 of 4 frames is 1.
    const std::string cut =
        "printf 'frame=0\\nfps=0.0\\nfra'; sleep 0.2; printf 'me=2\\n\\352\\260'; sleep 0.2; printf "
        "'\\200\\nframe=\\nframe=abc\\nframe=12x\\n frame=1\\nframe=4\\nprogress=continue\\nframe=5\\n'";
    const std::string damaged = "printf '[mjpeg @ 0x1] [error] overread 8\\n[warning] EOI missing\\n' >&2";
    const struct {
        std::string script;
        std::vector<double> fractions;  // empty: no callback at all
        std::string warning = "";
    } rows[] = {
        {cut, {0.0, 0.5, 1.0, 1.0, 1.0}},
        {damaged,
         {1.0},
         "ffmpeg가 입력을 읽으며 오류를 알렸습니다 — 결과에 손상된 곳이 있을 수 있습니다: [mjpeg @ 0x1] "
         "overread 8"},
        {"printf 'frame=2\\n'", {}},
    };
    for (const auto& row : rows) {
        fakeFFmpeg(row.script + "\n" + writes());
        std::vector<double> fractions;
        ProgressCallback progress;
        if (!row.fractions.empty()) progress = [&](double f) { fractions.push_back(f); };
        const MergeResult result = merge(clips, dir / "out.mov", progress);
        EXPECT_THAT(fractions, ElementsAreArray(row.fractions)) << row.script;
        EXPECT_EQ(result.output.url(), dir / "out.mov");  // the record describes the published output
        EXPECT_EQ(result.output.width, 128);
        EXPECT_EQ(result.warning, row.warning);
        fs::remove(dir / "out.mov");
    }
}

TEST_F(MergeRunner, AThrowingProgressCallbackStillReapsTheChild) {
    fakeFFmpeg("printf 'frame=1\\n'\nsleep 0.3\nprintf 'frame=2\\n' 2>/dev/null\nexit 0\n");
    EXPECT_THROW(merge(clips, dir / "out.mov", [](double) { throw std::runtime_error("stop"); }),
                 std::runtime_error);
}

// Whatever the file system offers (anonymous files, a no-replace rename, hard links, or none of them), the
// result is flushed before it gets its name and the name after; a file that appears meanwhile is kept;
// nothing of the run is left; and a folder moved during the run still receives its result.
TEST_F(MergeRunner, PublishingIsDurableAndExclusiveOnEveryFileSystem) {
    const struct {
        FileSystemPlay play;
        std::vector<std::string> steps;
        bool hiddenFolderDuringRun;
    } rows[] = {
        {{}, {"flush data", "link", "flush", "flush"}, false},
        {{.noAnonymous = true}, {"flush data", "rename", "flush", "flush"}, true},
        {{.noAnonymous = true, .noExclusiveRename = true}, {"flush data", "link", "flush", "flush"}, true},
        {{.noAnonymous = true, .noExclusiveRename = true, .noLinks = true},
         {"flush data", "rename", "flush", "flush"},
         true},
    };
    fs::create_directory(dir / "out");
    const std::string listing =
        "ls -A '" + (dir / "out").string() + "' > '" + (dir / "listing").string() + "'\n";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.steps[1] + (row.hiddenFolderDuringRun ? " in the hidden folder" : ""));
        {
            const ScopedPlay acted(row.play);
            fakeFFmpeg("printf precious > '" + (dir / "out/x.mov").string() + "'\n" + writes());
            EXPECT_EQ(mergeError(dir / "out/x.mov").kind(), Kind::exists);
            EXPECT_EQ(readFile(dir / "out/x.mov"), "precious");
            EXPECT_EQ(entries(dir / "out"), std::set<std::string>{"x.mov"});
            fs::remove(dir / "out/x.mov");

            fakeFFmpeg(listing + "mv '" + (dir / "out").string() + "' '" + (dir / "moved").string() + "'\n" +
                       writes());
            play.steps.clear();
            merge(clips, dir / "out/x.mov", {});
            EXPECT_EQ(play.steps, row.steps);
            EXPECT_EQ(readFile(dir / "listing").find(".tessellane-") != std::string::npos,
                      row.hiddenFolderDuringRun);
            EXPECT_EQ(entries(dir / "moved"), std::set<std::string>{"x.mov"});
            EXPECT_EQ(probe(dir / "moved/x.mov").frames, 4);
        }
        fs::remove(dir / "moved/x.mov");
        fs::rename(dir / "moved", dir / "out");
    }
    // A flush that fails (of the data, or of the name) is reported, and nothing stays under the name.
    fakeFFmpeg(writes());
    for (int failing : {0, 3}) {
        const ScopedPlay acted({.failingStep = failing});
        EXPECT_EQ(mergeError(dir / "out/x.mov").errorDescription(),
                  "저장 실패: " + (dir / "out/x.mov").string() + ": 입출력 오류가 났습니다");
        EXPECT_TRUE(fs::is_empty(dir / "out"));
    }
}

TEST_F(MergeRunner, OfTwoRunsRacingForOneNameExactlyOneSucceeds) {
    fakeFFmpeg("sleep 0.3\n" + writes());
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

// What dead runs left in the folder goes at the next run there; a live run's folder, another machine's,
// another program's and anything doubtful stay.
TEST_F(MergeRunner, TheNextRunReclaimsWhatDeadRunsLeft) {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const std::string mine = std::string(host) + "\nboot\n1\n1\n";
    const struct {
        std::string name, record;
        bool reclaimed;
    } rows[] = {
        {".tessellane-dead01", mine, true},
        {".tessellane-live01", mine, false},  // locked below, as its run does
        {".tessellane-away01", "elsewhere\nboot\n1\n1\n", false},
        {".tessellane-old001", "", true},  // unsigned and two hours old
        {".tessellane-new001", "", false},
        {".tessellane-nest01", mine, false},  // holds a folder, which no run makes
        {".tessellane-x", mine, false},
    };
    for (const auto& row : rows) {
        fs::create_directory(dir / row.name);
        testing::writeFile(dir / row.name / "merge.mov", "partial");
        if (!row.record.empty()) testing::writeFile(dir / row.name / "owner", row.record);
    }
    fs::create_directory(dir / ".tessellane-nest01/sub");
    const auto twoHoursAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
    fs::last_write_time(dir / ".tessellane-old001", twoHoursAgo);
    const UniqueFd live(::open((dir / ".tessellane-live01").c_str(), O_RDONLY | O_DIRECTORY));
    ASSERT_EQ(::flock(live.get(), LOCK_EX), 0);
    fakeFFmpeg(writes());
    merge(clips, dir / "out.mov", {});
    for (const auto& row : rows) EXPECT_EQ(fs::exists(dir / row.name), !row.reclaimed) << row.name;
}

// Inputs past the usual limit of 1024 open files: ffmpeg gets a limit that holds each of them twice.
TEST_F(MergeRunner, HundredsOfInputsOpenAtOnce) {
    const int count = 600;
    const std::string wide = std::to_string(2 * count) + "x2";
    testing::makeMedia(dir / "wide.png", {"-f", "lavfi", "-i", "color=s=" + wide, "-frames:v", "1", "-update",
                                          "1", "-pix_fmt", "rgb24"});
    testing::makeMedia(dir / "one.png", {"-f", "lavfi", "-i", "color=s=2x2", "-frames:v", "1", "-update", "1",
                                         "-pix_fmt", "rgb24"});
    clips.clear();
    for (int i = 0; i < count; ++i) {
        fs::path input = dir / "p";
        input += std::to_string(1000 + i) + ".png";
        fs::copy_file(dir / "one.png", input);
        clips.push_back(probe(input));
    }
    fakeFFmpeg("[ $(ulimit -n) -ge " + std::to_string(2 * count) +
               " ] || exit 3\nfor a; do case $a in /proc/self/fd/*) exec 3< \"$a\" || exit 4;; esac; done\n"
               "for last; do :; done\ncp '" +
               (dir / "wide.png").string() + "' \"$last\"\n");
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit usual = saved;
    usual.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 1024);
    ::setrlimit(RLIMIT_NOFILE, &usual);
    EXPECT_EQ(merge(clips, dir / "out.png", {}).output.width, 2 * count);
    ::setrlimit(RLIMIT_NOFILE, &saved);
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
    fs::remove(dir / "ran");
    Cancellation early;  // requested before the start: ffmpeg never runs
    early.request();
    EXPECT_THROW(merge(clips, dir / "out.mov", {}, &early), MergeError);
    EXPECT_FALSE(fs::exists(dir / "ran"));
}

// Pictures whose headers are sound but whose data is not fail in words that name no file: once the merge
// failed, each is decoded alone and the first that cannot be is named.
TEST_F(MergeRunner, AFailedStillMergeNamesThePictureThatCannotBeDecoded) {
    for (const char* name : {"p1.png", "p2.png"})
        testing::makeMedia(dir / name, {"-f", "lavfi", "-i", "color=s=2x2", "-frames:v", "1", "-update", "1",
                                        "-pix_fmt", "rgb24"});
    clips = {probe(dir / "p1.png"), probe(dir / "p2.png")};
    const std::string fails = "echo 'Output file is empty' >&2; exit 1\n";
    const std::pair<std::string, std::string> rows[] = {
        {"case \"$*\" in *-xerror*p2.png*) exit 1;; *-xerror*) exit 0;; esac\n" + fails,
         "ffmpeg 실패: 디코딩할 수 없는 그림: p2.png — Output file is empty"},
        {"case \"$*\" in *-xerror*) exit 0;; esac\n" + fails, "ffmpeg 실패: Output file is empty"},
    };
    for (const auto& [script, description] : rows) {
        fakeFFmpeg(script);
        EXPECT_EQ(mergeError(dir / "out.png").errorDescription(), description) << script;
    }
}

TEST(DescriptorNames, OnlyWholeKnownDescriptorsAreNamed) {
    const std::map<int, std::string> names{{5, "a.mov"}, {7, "out.mov"}};
    EXPECT_EQ(withFileNames("/proc/self/fd/5: bad | to /proc/self/fd/7", names), "a.mov: bad | to out.mov");
    EXPECT_EQ(withFileNames("/proc/self/fd/50 /proc/self/fd/ /proc/self/fd/9", names),
              "/proc/self/fd/50 /proc/self/fd/ /proc/self/fd/9");
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
