#include "engine/cli/cli.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "engine/core/naming.h"
#include "engine/merge/child_process.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::makeMedia;
using testing::readFile;
using testing::runTool;
using ::testing::StartsWith;
using testing::TempDir;

// ---- cliArguments -------------------------------------------------------------------------------------

TEST(CliArguments, OnlyTheFirstSwitchSplits) {
    struct Case {
        std::vector<const char*> argv;
        std::optional<std::vector<std::string>> arguments;
    };
    const Case cases[] = {
        {{"/bin/tessellane"}, std::nullopt},
        {{"/bin/tessellane", "-cli", "x"}, std::nullopt},
        {{"/bin/tessellane", "--cli"}, std::vector<std::string>{}},
        {{"/bin/tessellane", "before", "--cli", "out", "_s", "a.mov"},
         std::vector<std::string>{"out", "_s", "a.mov"}},
        {{"/bin/tessellane", "--cli", "--cli", "_s", "a.mov"},
         std::vector<std::string>{"--cli", "_s", "a.mov"}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(cliArguments(static_cast<int>(test.argv.size()), test.argv.data()), test.arguments);
}

TEST(RunCli, FewerThanThreeArgumentsPrintTheSynopsis) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"out"},
          std::vector<std::string>{"out", "_s"}}) {
        std::ostringstream out;
        EXPECT_EQ(runCLI(arguments, out), 2);
        EXPECT_EQ(out.str(), "사용법: Tessellane --cli <출력폴더> <접미사> <파일들...>\n");
    }
}

TEST(RunCli, ASuffixThatWouldLeaveTheFolderIsRefused) {
    for (const std::string& suffix : {std::string("/../x"), std::string("a/b"), std::string("a\0b", 3)}) {
        std::ostringstream out;
        EXPECT_EQ(runCLI({"/tmp", suffix, "/nonexistent/a.png", "/nonexistent/b.png"}, out), 2);
        EXPECT_EQ(out.str(), "오류: 접미사에는 \"/\"를 넣을 수 없습니다\n");
    }
}

// ---- the built program, run as a user runs it --------------------------------------------------------

struct ProgramRun {
    int status = -1;  // the exit status, or 128 + the signal that ended the program
    ExitStatus exit;
    std::string out, err;
    // The temporary's random part is written XXXXXX, so whole lines can be compared.
    std::vector<std::string> lines() const {
        static const std::regex temporary("/\\.tessellane-[A-Za-z0-9]{6}/");
        std::vector<std::string> result;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            result.push_back(std::regex_replace(line, temporary, "/.tessellane-XXXXXX/"));
        return result;
    }
};

std::string tessellanePath() { return TESSELLANE_BUILD_DIR "/tessellane"; }

// Runs the program through env(1) in `directory` with extra variables; reads both pipes together and
// kills the program if it takes longer than a minute, so a hang fails the test instead of stalling it.
// `meanwhile` runs once the program has started, with its pid (the output is small: the pipes cannot fill).
ProgramRun runTessellane(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {},
                         const std::function<void(pid_t)>& meanwhile = {}) {
    std::vector<std::string> full = {"-C", directory.string()};
    full.insert(full.end(), environment.begin(), environment.end());
    full.push_back(tessellanePath());
    full.insert(full.end(), arguments.begin(), arguments.end());
    ChildProcess child = spawnChild("/usr/bin/env", full, ChildOutput::pipe, ChildOutput::pipe);
    if (meanwhile) meanwhile(child.pid);
    ProgramRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    pollfd fds[2] = {{child.stdoutRead.get(), POLLIN, 0}, {child.stderrRead.get(), POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child.pid, SIGKILL);
            ADD_FAILURE() << "tessellane did not finish within a minute";
            break;
        }
        if (::poll(fds, 2, 1000) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            long n = readSome(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    child.stdoutRead.reset();
    child.stderrRead.reset();
    run.exit = waitForChild(child.pid);
    run.status = run.exit.kind == ExitStatus::Kind::killed ? 128 + run.exit.number : run.exit.number;
    return run;
}

// The names in a folder, hidden ones included: what a run must leave as it found it.
std::set<std::string> entries(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename());
    return names;
}

using Probe = std::map<std::string, std::string>;

// ffprobe is the independent judge of what was written.
Probe ffprobe(const std::filesystem::path& file) {
    const std::string text =
        runTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                            "stream=codec_name,codec_tag_string,profile,pix_fmt,width,height,r_frame_rate,"
                            "color_space,color_transfer,color_primaries,color_range,nb_read_frames",
                            "-of", "default=noprint_wrappers=1", file.string()});
    Probe result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) result[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return result;
}

// What our own probe reads, under the same kind of keys, for the fields a merge must carry over.
Probe ownFields(const std::filesystem::path& file) {
    const ClipInfo clip = probe(file);
    return {{"codec", clip.codec},
            {"codecTag", clip.codecTag},
            {"profile", clip.profile},
            {"pixFmt", clip.pixFmt},
            {"fpsString", clip.fpsString},
            {"colorSpace", clip.colorSpace},
            {"colorPrimaries", clip.colorPrimaries},
            {"colorTransfer", clip.colorTransfer},
            {"colorRange", clip.colorRange},
            {"error", clip.error.value_or("")}};
}

std::vector<std::string> lavfiClip(const std::string& size, const std::string& rate, int frames,
                                   const std::vector<std::string>& encoding) {
    std::vector<std::string> arguments = {
        "-f", "lavfi", "-i", "testsrc2=s=" + size + ":r=" + rate, "-frames:v", std::to_string(frames)};
    arguments.insert(arguments.end(), encoding.begin(), encoding.end());
    return arguments;
}

const std::vector<std::string> h264 = {"-c:v",        "libx264", "-pix_fmt",         "yuv420p",
                                       "-colorspace", "bt709",   "-color_primaries", "bt709",
                                       "-color_trc",  "bt709",   "-color_range",     "tv"};

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(std::filesystem::exists(tessellanePath())) << tessellanePath(); }

    std::filesystem::path clip(const std::string& name, int frames = 4, const std::string& size = "64x32") {
        return makeMedia(dir / name, lavfiClip(size, "25", frames, h264));
    }

    // The "명령: " line as the user reads it for two H.264 clips made by clip(); ffmpeg writes the
    // temporary in `folder`.
    static std::string h264Command(const std::vector<std::string>& inputs, const std::string& folder) {
        const std::string output = folder + "/.tessellane-XXXXXX/merge.mp4";
        std::string line = "명령: ffmpeg -nostdin -hide_banner -n";
        for (const std::string& input : inputs) line += " -i " + input;
        line += " -filter_complex \"[0:v]";
        for (std::size_t i = 1; i < inputs.size(); ++i) line += "[" + std::to_string(i) + ":v]";
        return line + "hstack=inputs=" + std::to_string(inputs.size()) +
               ":shortest=1[v]\" -map \"[v]\" -c:v libx264 -crf 12 -preset slow -pix_fmt yuv420p -r 25/1 "
               "-colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv -an -progress "
               "pipe:1 -nostats " +
               output;
    }

    TempDir dir;
};

TEST_F(CommandLine, WithoutArgumentsItPrintsTheSynopsisAndNothingElse) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--cli"}, std::vector<std::string>{"x", "--cli", "out", "_s"}}) {
        ProgramRun run = runTessellane(dir.path(), arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "사용법: Tessellane --cli <출력폴더> <접미사> <파일들...>\n");
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(CommandLine, OneInputIsRefusedByValidationAfterTheReportLines) {
    const std::string a = clip("a.mp4").string();
    ProgramRun run = runTessellane(dir.path(), {"--cli", dir.path().string(), "_x", a});
    const std::string output = (dir / "a_x.mp4").string();
    // No command line: ffmpeg never started.
    EXPECT_THAT(run.lines(),
                ElementsAre("순서: a.mp4", "출력: " + output, "오류: 파일이 2개 이상 필요합니다"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(CommandLine, AnExistingOutputIsNeverTouched) {
    clip("take1.mp4");
    clip("take2.mp4");
    testing::writeFile(dir / "take_v.mp4", "precious");
    ProgramRun run = runTessellane(dir.path(), {"--cli", ".", "_v", "take2.mp4", "take1.mp4"});
    ASSERT_FALSE(run.lines().empty());
    EXPECT_EQ(run.lines().front(), "순서: take1.mp4, take2.mp4");
    EXPECT_EQ(run.lines().back(), "오류: 같은 이름의 파일이 이미 있습니다: " + (dir / "take_v.mp4").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readFile(dir / "take_v.mp4"), "precious");
}

TEST_F(CommandLine, AMissingOutputFolderEndsAsAnFFmpegFailure) {
    clip("a1.mp4");
    clip("a2.mp4");
    ProgramRun run =
        runTessellane(dir.path(), {"--cli", (dir / "missing").string(), "_v", "a1.mp4", "a2.mp4"});
    ASSERT_FALSE(run.lines().empty());
    EXPECT_THAT(run.lines().back(), StartsWith("오류: ffmpeg 실패: "));
    EXPECT_THAT(run.lines().back(), HasSubstr((dir / "missing" / "a_v.mp4").string()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST_F(CommandLine, PathsWithSpacesAndBracketsAreQuotedOnlyOnTheCommandLine) {
    std::filesystem::create_directory(dir / "in put");
    std::filesystem::create_directory(dir / "out [final]");
    const std::string second = clip("in put/shot [10].mp4").string();
    const std::string first = clip("in put/shot [9].mp4").string();
    ProgramRun run =
        runTessellane(dir.path(), {"--cli", (dir / "out [final]").string(), " side", second, first});
    const std::string output = (dir / "out [final]" / "shot [ side.mp4").string();
    EXPECT_THAT(run.lines(), ElementsAre("순서: shot [9].mp4, shot [10].mp4", "출력: " + output,
                                         h264Command({"\"" + first + "\"", "\"" + second + "\""},
                                                     "\"" + (dir / "out [final]").string()) +
                                             "\"",
                                         "결과: 128×32 · H264 · 4f 완료"))
        << run.out;
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ffprobe(output)["width"], "128");
}

TEST_F(CommandLine, TildeAndRelativePathsAreMadeAbsolute) {
    std::filesystem::create_directories(dir / "home" / "clips");
    std::filesystem::create_directories(dir / "home" / "out");
    std::filesystem::create_directories(dir / "work" / "--cli");
    clip("home/clips/cam10.mp4");
    clip("home/clips/cam9.mp4");
    const std::string home = (dir / "home").string();

    ProgramRun tilde = runTessellane(
        dir / "work", {"--cli", "~/out", "_t", "~/clips/cam10.mp4", "~/clips/cam9.mp4"}, {"HOME=" + home});
    EXPECT_THAT(tilde.lines(),
                ElementsAre("순서: cam9.mp4, cam10.mp4", "출력: " + home + "/out/cam_t.mp4",
                            h264Command({home + "/clips/cam9.mp4", home + "/clips/cam10.mp4"}, home + "/out"),
                            "결과: 128×32 · H264 · 4f 완료"));
    EXPECT_EQ(tilde.status, 0);

    // The second "--cli" is the output folder, relative to the working directory.
    const std::string work = (dir / "work").string();
    ProgramRun twice =
        runTessellane(dir / "work", {"--cli", "--cli", "_r", "../home/clips/cam9.mp4", "~/clips/cam10.mp4"},
                      {"HOME=" + home});
    EXPECT_THAT(twice.lines(),
                ElementsAre("순서: cam9.mp4, cam10.mp4", "출력: " + work + "/--cli/cam_r.mp4",
                            h264Command({work + "/../home/clips/cam9.mp4", home + "/clips/cam10.mp4"},
                                        work + "/--cli"),
                            "결과: 128×32 · H264 · 4f 완료"));
    EXPECT_EQ(twice.status, 0);
    EXPECT_EQ(ffprobe(dir / "work" / "--cli" / "cam_r.mp4")["nb_read_frames"], "4");
    // "." is the working folder itself, with no "/./" left in the paths the user reads.
    const std::string clips = home + "/clips";
    ProgramRun here =
        runTessellane(dir / "home" / "clips", {"--cli", ".", "_d", "./cam10.mp4", "cam9.mp4"}, {});
    EXPECT_THAT(here.lines(), ElementsAre("순서: cam9.mp4, cam10.mp4", "출력: " + clips + "/cam_d.mp4",
                                          h264Command({clips + "/cam9.mp4", clips + "/cam10.mp4"}, clips),
                                          "결과: 128×32 · H264 · 4f 완료"));
    EXPECT_EQ(here.status, 0);
}

TEST_F(CommandLine, FailuresOfFFmpegItselfEndWithOneErrorLine) {
    clip("a1.mp4");
    clip("a2.mp4");
    std::filesystem::create_directory(dir / "bin");
    const std::string fake = (dir / "bin" / "ffmpeg").string();
    struct Case {
        std::string script;  // empty: no ffmpeg at all
        std::string error;
        std::size_t lines;  // the command line only when ffmpeg was started
    };
    const Case cases[] = {
        {"#!/bin/sh\nprintf 'L1\\nL2\\n\\nL3\\nL4\\n' >&2\nexit 1\n", "오류: ffmpeg 실패: L2 | L3 | L4", 4},
        {"#!/nonexistent/interpreter\n", "오류: " + fake + ": No such file or directory", 4},
        {"", "오류: ffmpeg를 찾을 수 없습니다 (" + (dir / "bin").string() + ")", 3},
    };
    for (const Case& test : cases) {
        std::filesystem::remove(fake);
        if (!test.script.empty()) {
            testing::writeFile(fake, test.script);
            std::filesystem::permissions(fake, std::filesystem::perms(0755));
        }
        ProgramRun run = runTessellane(dir.path(), {"--cli", ".", "_f", "a1.mp4", "a2.mp4"},
                                       {"TESSELLANE_TOOL_PATH=" + (dir / "bin").string()});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "");
        ASSERT_EQ(run.lines().size(), test.lines) << run.out;
        EXPECT_EQ(run.lines().back(), test.error);
        EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"a1.mp4", "a2.mp4", "bin"}));
    }
}

// A process that has ended, whether or not anyone has reaped it yet.
bool gone(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    return stat.empty() || (close != std::string::npos && stat.size() > close + 2 && stat[close + 2] == 'Z');
}

bool waitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 300; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

TEST_F(CommandLine, StoppingTheProgramStopsFFmpegAndLeavesNothing) {
    clip("a1.mp4");
    clip("a2.mp4");
    std::filesystem::create_directory(dir / "bin");
    const std::filesystem::path pidFile = dir / "bin" / "pid";
    // An ffmpeg that has begun writing its output and would go on for half a minute.
    testing::writeScript(dir / "bin" / "ffmpeg",
                         "for last; do :; done\nhead -c 1000 /dev/zero > \"$last\"\necho $$ > '" +
                             pidFile.string() + "'\nexec sleep 30\n");
    struct Case {
        int signal;
        ExitStatus exit;
    };
    for (const Case test :
         {Case{SIGINT, {ExitStatus::Kind::exited, 130}}, Case{SIGTERM, {ExitStatus::Kind::exited, 143}},
          Case{SIGHUP, {ExitStatus::Kind::exited, 129}},
          Case{SIGKILL, {ExitStatus::Kind::killed, SIGKILL}}}) {
        std::filesystem::remove(pidFile);
        const std::set<std::string> before = entries(dir.path());
        pid_t ffmpeg = -1;
        ProgramRun run =
            runTessellane(dir.path(), {"--cli", ".", "_s", "a1.mp4", "a2.mp4"},
                          {"TESSELLANE_TOOL_PATH=" + (dir / "bin").string()}, [&](pid_t program) {
                              ASSERT_TRUE(waitUntil([&] { return !readFile(pidFile).empty(); }));
                              ffmpeg = std::stoi(readFile(pidFile));
                              ::kill(program, test.signal);
                          });
        EXPECT_EQ(run.exit, test.exit) << test.signal;
        if (test.signal != SIGKILL) {
            EXPECT_EQ(run.lines().back(), "오류: 합치기를 취소했습니다");
            EXPECT_EQ(entries(dir.path()), before);
        } else {
            // Nothing can clean up after SIGKILL, but ffmpeg must not go on writing.
            std::error_code ignored;
            for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
                if (entry.path().filename().string().rfind(".tessellane-", 0) == 0)
                    std::filesystem::remove_all(entry.path(), ignored);
        }
        EXPECT_TRUE(waitUntil([&] { return gone(ffmpeg); }))
            << "ffmpeg outlived the program, signal " << test.signal;
    }
}

TEST_F(CommandLine, AFullDiskIsReportedInFFmpegsWords) {
    // A private 64 kB file system in a mount namespace of our own, too small for the merged picture.
    std::vector<std::filesystem::path> inputs;
    // Noise does not compress: each picture is about 200 kB.
    for (const char* name : {"big1.png", "big2.png"})
        inputs.push_back(makeMedia(dir / name, {"-f", "lavfi", "-i", "nullsrc=s=256x256", "-vf",
                                                "geq=random(1)*255:random(2)*255:random(3)*255", "-frames:v",
                                                "1", "-update", "1", "-pix_fmt", "rgb24"}));
    std::filesystem::create_directory(dir / "small");
    const std::string script =
        "mount -t tmpfs -o size=64k tessellane-test \"$1\" || exit 99\n"
        "\"$2\" --cli \"$1\" _f \"$3\" \"$4\"\nstatus=$?\necho \"left: $(ls -A \"$1\")\"\nexit $status\n";
    // Root mounts in a mount namespace of its own; anyone else needs a user namespace too. A chroot (whose
    // root is no mount point) or a locked-down kernel refuses both: then there is no way to a small disk.
    std::vector<std::string> arguments = {"--mount",
                                          "/bin/sh",
                                          "-c",
                                          "echo started\n" + script,
                                          "sh",
                                          (dir / "small").string(),
                                          tessellanePath(),
                                          inputs[0].string(),
                                          inputs[1].string()};
    if (::geteuid() != 0) arguments.insert(arguments.begin(), "--map-root-user");
    int status = -1;
    const std::string out = runTool("unshare", arguments, &status);
    if (!out.starts_with("started\n")) GTEST_SKIP() << "no private mount namespace here (unshare refused)";
    ASSERT_NE(status, 99) << "no tmpfs: " << out;
    EXPECT_EQ(status, 1) << out;
    EXPECT_THAT(out, HasSubstr("오류: ffmpeg 실패: "));
    EXPECT_THAT(out, HasSubstr("No space left on device"));
    EXPECT_THAT(out, ::testing::EndsWith("left: \n")) << "the folder is left as it was";
}

TEST_F(CommandLine, QuarterTurnedClipsMergeUpright) {
    // Phone clips stored sideways: ffmpeg turns each upright before hstack, so the output is their displayed
    // sizes side by side and carries no turn of its own.
    const std::string stored = clip("stored.mp4", 4, "48x32").string();
    for (const char* name : {"turn1.mp4", "turn2.mp4"})
        makeMedia(dir / name, {"-i", stored, "-c", "copy", "-metadata:s:v:0", "rotate=90"});
    ProgramRun run = runTessellane(dir.path(), {"--cli", ".", "_m", "turn1.mp4", "turn2.mp4"});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.lines().back(), "결과: 64×48 · H264 · 4f 완료");
    const std::filesystem::path output = dir / "turn_m.mp4";
    Probe written = ffprobe(output);
    EXPECT_EQ(written["width"], "64");
    EXPECT_EQ(written["height"], "48");
    EXPECT_EQ(written["nb_read_frames"], "4");
    const std::string turn =
        runTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                            "stream_side_data=rotation", "-of", "csv=p=0", output.string()});
    EXPECT_EQ(turn.substr(0, turn.find('\n')), "");
}

// ---- real merges, judged by ffprobe --------------------------------------------------------------------

struct VideoCase {
    std::string name;
    std::string extension;
    std::vector<std::pair<std::string, int>> sizesAndFrames;
    std::string rate;
    std::vector<std::string> encoding;
    Probe expected;  // ffprobe's view of the output
    Probe ours;      // our probe's view of the output; every field must also equal the first clip's
    std::string summary;
    bool lengthWarning;
};

void PrintTo(const VideoCase& test, std::ostream* out) { *out << test.name; }

class RealMerge : public CommandLine, public ::testing::WithParamInterface<VideoCase> {};

TEST_P(RealMerge, OutputKeepsTheFirstClipsFormat) {
    const VideoCase& test = GetParam();
    std::vector<std::string> inputs;
    for (std::size_t i = 0; i < test.sizesAndFrames.size(); ++i) {
        const auto& [size, frames] = test.sizesAndFrames[i];
        const std::string name = "clip" + std::to_string(i + 1) + "." + test.extension;
        inputs.push_back(makeMedia(dir / name, lavfiClip(size, test.rate, frames, test.encoding)).string());
    }
    std::vector<std::string> arguments = {"--cli", dir.path().string(), "_m"};
    arguments.insert(arguments.end(), inputs.rbegin(), inputs.rend());
    ProgramRun run = runTessellane(dir.path(), arguments);
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.err, "");

    const std::filesystem::path output = dir / ("clip_m." + test.extension);
    EXPECT_EQ(run.lines().back(), "결과: " + test.summary);
    const bool warned = run.out.find("경고: 길이가 다릅니다") != std::string::npos;
    EXPECT_EQ(warned, test.lengthWarning) << run.out;
    Probe actual = ffprobe(output);
    for (const auto& [key, value] : test.expected) EXPECT_EQ(actual[key], value) << key;
    Probe ours = ownFields(output);
    Probe first = ownFields(inputs.front());
    for (const auto& [key, value] : test.ours) {
        EXPECT_EQ(ours[key], value) << key;
        EXPECT_EQ(first[key], value) << "first clip's " << key;
    }
    EXPECT_EQ(ours["error"], "");
}

const std::vector<std::string> proresHQ = {"-c:v",        "prores_ks", "-profile:v",       "3",
                                           "-vendor",     "apl0",      "-pix_fmt",         "yuv422p10le",
                                           "-colorspace", "bt709",     "-color_primaries", "bt709",
                                           "-color_trc",  "bt709",     "-color_range",     "tv"};

INSTANTIATE_TEST_SUITE_P(
    Formats, RealMerge,
    ::testing::Values(
        VideoCase{"ProRes422HQ",
                  "mov",
                  {{"64x32", 6}, {"48x32", 5}, {"32x32", 7}},
                  "24000/1001",
                  proresHQ,
                  {{"codec_name", "prores"},
                   {"profile", "HQ"},
                   {"pix_fmt", "yuv422p10le"},
                   {"r_frame_rate", "24000/1001"},
                   {"color_range", "tv"},
                   {"width", "144"},
                   {"height", "32"},
                   {"nb_read_frames", "5"}},
                  // ffmpeg's ProRes decoder reports the frame header's colour fields, which prores_ks leaves
                  // unspecified; the container's tags are the ones a merge must keep.
                  {{"codec", "prores"},
                   {"codecTag", "apch"},
                   {"pixFmt", "yuv422p10le"},
                   {"fpsString", "24000/1001"},
                   {"colorSpace", "bt709"},
                   {"colorPrimaries", "bt709"},
                   {"colorTransfer", "bt709"}},
                  "144×32 · ProRes 422 HQ · 5f 완료",
                  true},
        VideoCase{
            "ProRes4444Alpha",
            "mov",
            {{"64x32", 3}, {"64x32", 3}},
            "25",
            {"-vf", "format=yuva444p10le", "-c:v", "prores_ks", "-profile:v", "4", "-vendor", "apl0",
             "-pix_fmt", "yuva444p10le"},
            // ffmpeg decodes 4444 at 12 bits, whatever depth the file was written in.
            {{"codec_name", "prores"},
             {"codec_tag_string", "ap4h"},
             {"profile", "4444"},
             {"pix_fmt", "yuva444p12le"},
             {"width", "128"},
             {"nb_read_frames", "3"}},
            {{"codec", "prores"}, {"codecTag", "ap4h"}, {"pixFmt", "yuva444p10le"}, {"fpsString", "25/1"}},
            "128×32 · ProRes 4444 · 3f 완료",
            false},
        VideoCase{"H264DifferentLengths",
                  "mp4",
                  {{"64x32", 8}, {"32x32", 4}},
                  "30",
                  h264,
                  {{"codec_name", "h264"},
                   {"pix_fmt", "yuv420p"},
                   {"r_frame_rate", "30/1"},
                   {"width", "96"},
                   {"nb_read_frames", "4"},
                   {"color_space", "bt709"},
                   {"color_primaries", "bt709"},
                   {"color_transfer", "bt709"},
                   {"color_range", "tv"}},
                  {{"codec", "h264"},
                   {"pixFmt", "yuv420p"},
                   {"fpsString", "30/1"},
                   {"colorSpace", "bt709"},
                   {"colorPrimaries", "bt709"},
                   {"colorTransfer", "bt709"},
                   {"colorRange", "tv"}},
                  "96×32 · H264 · 4f 완료",
                  true},
        VideoCase{"Hevc10BitPQ",
                  "mov",
                  {{"64x64", 3}, {"64x64", 3}},
                  "25",
                  {"-c:v", "libx265", "-x265-params", "log-level=error", "-pix_fmt", "yuv420p10le", "-tag:v",
                   "hvc1", "-colorspace", "bt2020nc", "-color_primaries", "bt2020", "-color_trc", "smpte2084",
                   "-color_range", "tv"},
                  {{"codec_name", "hevc"},
                   {"codec_tag_string", "hvc1"},
                   {"pix_fmt", "yuv420p10le"},
                   {"color_space", "bt2020nc"},
                   {"color_primaries", "bt2020"},
                   {"color_transfer", "smpte2084"},
                   {"width", "128"},
                   {"nb_read_frames", "3"}},
                  {{"codec", "hevc"},
                   {"codecTag", "hvc1"},
                   {"pixFmt", "yuv420p10le"},
                   {"colorSpace", "bt2020nc"},
                   {"colorPrimaries", "bt2020"},
                   {"colorTransfer", "smpte2084"}},
                  "128×64 · HEVC · 3f 완료",
                  false}),
    [](const auto& info) { return info.param.name; });

// ---- still images -----------------------------------------------------------------------------------

// Decodes an image to raw pixels of the given format with ffmpeg.
// It reads the image under a plain name of its own: ffmpeg would take "%d" in the name as a pattern.
std::string rawPixels(const std::filesystem::path& image, const std::string& pixFmt, const TempDir& scratch) {
    static int count = 0;
    const std::string plain = "picture" + std::to_string(++count);
    std::filesystem::create_hard_link(image, scratch / (plain + image.extension().string()));
    const std::filesystem::path raw = scratch / (plain + "." + pixFmt + ".raw");
    makeMedia(raw, {"-i", (scratch / (plain + image.extension().string())).string(), "-f", "rawvideo",
                    "-pix_fmt", pixFmt});
    return readFile(raw);
}

// The inputs placed side by side, row by row.
std::string sideBySide(const std::vector<std::string>& pictures, const std::vector<int>& widths, int height,
                       int bytesPerPixel) {
    std::string joined;
    for (int row = 0; row < height; ++row) {
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const std::size_t rowBytes = static_cast<std::size_t>(widths[i] * bytesPerPixel);
            joined += pictures[i].substr(static_cast<std::size_t>(row) * rowBytes, rowBytes);
        }
    }
    return joined;
}

struct ImageCase {
    std::string name;
    std::string firstExtension;  // the first input's kind decides the output's
    std::string firstPixFmt;
    std::string secondPixFmt;  // the second input is always a PNG
    Probe expected;
    std::string summary;        // after "결과: ", or its beginning where the probe names the pixels
    std::string comparePixFmt;  // when set, the output must equal the inputs side by side in this format
    int bytesPerPixel;
    std::string names[2] = {"pic1", "pic2"};
    std::string suffix = "_m";
    std::string output = "pic_m";  // without the extension
    bool lookAlikes = false;       // other pictures whose names a pattern in the input names would match
};

void PrintTo(const ImageCase& test, std::ostream* out) { *out << test.name; }

class ImageMerge : public CommandLine, public ::testing::WithParamInterface<ImageCase> {};

TEST_P(ImageMerge, OutputFormatFollowsTheFirstImage) {
    const ImageCase& test = GetParam();
    // Different widths and a see-through gradient, so every channel and every column matters.
    const std::vector<int> widths = {40, 24};
    const std::string extensions[] = {test.firstExtension, "png"};
    const std::string pixFmts[] = {test.firstPixFmt, test.secondPixFmt};
    std::vector<std::filesystem::path> inputs;
    for (std::size_t i = 0; i < widths.size() && test.lookAlikes; ++i) {
        std::string name = test.names[i];
        name.replace(name.find("%d"), 2, "1");
        makeMedia(dir / (name + "." + extensions[i]), {"-f", "lavfi", "-i", "color=s=8x32", "-frames:v", "1",
                                                       "-update", "1", "-pix_fmt", pixFmts[i]});
    }
    for (std::size_t i = 0; i < widths.size(); ++i) {
        inputs.push_back(makeMedia(
            dir / (test.names[i] + "." + extensions[i]),
            {"-f", "lavfi", "-i", "testsrc2=s=" + std::to_string(widths[i]) + "x32", "-vf",
             "format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='" + std::to_string(60 + 90 * i) + "+3*X'",
             "-frames:v", "1", "-update", "1", "-pix_fmt", pixFmts[i]}));
    }
    ProgramRun run = runTessellane(
        dir.path(), {"--cli", dir.path().string(), test.suffix, inputs[1].string(), inputs[0].string()});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.lines().front(),
              "순서: " + test.names[0] + "." + test.firstExtension + ", " + test.names[1] + ".png");
    EXPECT_THAT(run.lines().back(), StartsWith("결과: " + test.summary));
    EXPECT_THAT(run.lines().back(), ::testing::EndsWith(" 완료"));

    std::filesystem::path output = dir / (test.output + "." + test.firstExtension);
    ASSERT_TRUE(std::filesystem::exists(output));
    // ffprobe would read "%d" in a name as a pattern too: judge the output under a plain name.
    TempDir plain;
    std::filesystem::create_hard_link(output, plain / ("output." + test.firstExtension));
    output = plain / ("output." + test.firstExtension);
    Probe actual = ffprobe(output);
    for (const auto& [key, value] : test.expected) EXPECT_EQ(actual[key], value) << key;

    if (!test.comparePixFmt.empty()) {
        TempDir scratch;
        std::vector<std::string> pictures;
        for (const auto& input : inputs) pictures.push_back(rawPixels(input, test.comparePixFmt, scratch));
        const std::string expected = sideBySide(pictures, widths, 32, test.bytesPerPixel);
        const std::string merged = rawPixels(output, test.comparePixFmt, scratch);
        ASSERT_EQ(merged.size(), expected.size());
        EXPECT_TRUE(merged == expected) << "pixels differ";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ImageMerge,
    ::testing::Values(
        ImageCase{"Png8BitAlpha",
                  "png",
                  "rgba",
                  "rgb24",
                  {{"codec_name", "png"}, {"pix_fmt", "rgba"}, {"width", "64"}, {"height", "32"}},
                  "64×32 · PNG · rgba 완료",
                  "rgba",
                  4},
        ImageCase{"Png16BitAlpha",
                  "png",
                  "rgba64be",
                  "rgba",
                  {{"codec_name", "png"}, {"pix_fmt", "rgba64be"}, {"width", "64"}},
                  "64×32 · PNG · rgba64be 완료",
                  "rgba64be",
                  8},
        ImageCase{"Jpeg",
                  "jpg",
                  "yuvj444p",
                  "rgba",
                  {{"codec_name", "mjpeg"}, {"pix_fmt", "yuvj444p"}, {"width", "64"}},
                  "64×32 · MJPEG · ",
                  "",
                  0},
        ImageCase{"Tiff",
                  "tif",
                  "rgba",
                  "rgb24",
                  {{"codec_name", "tiff"}, {"pix_fmt", "rgba"}, {"width", "64"}},
                  "64×32 · TIFF · rgba 완료",
                  "rgba",
                  4},
        ImageCase{"Bmp",
                  "bmp",
                  "bgr24",
                  "rgb24",
                  {{"codec_name", "bmp"}, {"width", "64"}, {"height", "32"}},
                  "64×32 · BMP · ",
                  "rgb24",
                  3},
        ImageCase{"Webp",
                  "webp",
                  "yuv420p",
                  "rgb24",
                  {{"codec_name", "webp"}, {"width", "64"}, {"height", "32"}},
                  "64×32 · WEBP · ",
                  "",
                  0},
        // Names with nothing in common and no suffix: the output is named by its extension alone, and
        // still gets its format: alpha and 16 bits kept.
        ImageCase{"PngNamedByExtensionAlone",
                  "png",
                  "rgb48be",
                  "rgba",
                  {{"codec_name", "png"}, {"pix_fmt", "rgba64be"}, {"width", "64"}},
                  "64×32 · PNG · rgba64be 완료",
                  "rgba64be",
                  8,
                  {"left", "right"},
                  "",
                  ""},
        ImageCase{"JpegNamedByExtensionAlone",
                  "jpg",
                  "yuvj420p",
                  "rgb24",
                  {{"codec_name", "mjpeg"}, {"pix_fmt", "yuvj444p"}, {"width", "64"}},
                  "64×32 · MJPEG · ",
                  "",
                  0,
                  {"a", "b"},
                  "",
                  ""},
        // "%d" in a name is a character like any other, even beside files a sequence pattern would match.
        ImageCase{"PatternLikeNames",
                  "png",
                  "rgba",
                  "rgb24",
                  {{"codec_name", "png"}, {"pix_fmt", "rgba"}, {"width", "64"}},
                  "64×32 · PNG · rgba 완료",
                  "rgba",
                  4,
                  {"p%d_1", "p%d_2"},
                  "_m",
                  "p%d_m",
                  true}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tessellane
