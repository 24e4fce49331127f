#include "program/cli.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <functional>
#include <regex>
#include <set>
#include <thread>

#include "engine/core/naming.h"
#include "engine/merge/child_process.h"
#include "engine/merge/ffmpeg_args.h"
#include "engine/merge/tools.h"
#include "engine/probe/probe.h"
#include "program/program_arguments.h"
#include "tests/program/program_run.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::makeMedia;
using testing::readFile;
using testing::runTool;
using testing::writeScript;

using testing::ProgramRun;
using testing::runProgram;

template <class... Lines>
std::string lines(const Lines&... each) {
    return ((std::string(each) + "\n") + ...);
}

const std::vector<std::string> h264 = {"-c:v",        "libx264", "-pix_fmt",         "yuv420p",
                                       "-colorspace", "bt709",   "-color_primaries", "bt709",
                                       "-color_trc",  "bt709",   "-color_range",     "tv"};

// The "명령: " line for two H.264 clips made by clip() and their output (all as displayed).
std::string h264Command(const std::string& first, const std::string& second, const std::string& output) {
    return "명령: ffmpeg -nostdin -hide_banner -n -i " + first + " -i " + second +
           " -filter_complex \"[0:v][1:v]hstack=inputs=2:shortest=1[v]\" -map \"[v]\" -c:v libx264 -crf 12 "
           "-preset slow -pix_fmt yuv420p -r 25/1 -colorspace bt709 -color_primaries bt709 -color_trc bt709 "
           "-color_range tv -an -progress pipe:1 -nostats " +
           output;
}

std::set<std::string> entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// ffprobe, the independent judge, on the entries named in `expected` ("key=value ..." in ffprobe's order);
// a turn left in the output would show as one more entry.
std::string ffprobe(const fs::path& file, const std::string& expected) {
    const std::string keys =
        std::regex_replace(std::regex_replace(expected, std::regex("=\\S*"), ""), std::regex(" "), ",");
    const std::string text = std::regex_replace(
        runTool("ffprobe",
                {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                 "stream=" + keys + ":stream_side_data=rotation", "-of", "default=noprint_wrappers=1", file}),
        std::regex("\n"), " ");
    return text.substr(0, text.size() - 1);
}

class CommandLine : public ::testing::Test {
  protected:
    fs::path clip(const std::string& name, int frames = 4, const std::string& size = "64x32",
                  const std::string& rate = "25", const std::vector<std::string>& encoding = h264) {
        std::vector<std::string> args = {
            "-f", "lavfi", "-i", "testsrc2=s=" + size + ":r=" + rate, "-frames:v", std::to_string(frames)};
        args.insert(args.end(), encoding.begin(), encoding.end());
        return makeMedia(dir / name, args);
    }

    // Runs the program in dir/cwd with HOME at dir/home and ffmpeg searched in dir/tools when named.
    void expectRun(const std::string& cwd, const std::string& tools, const std::vector<std::string>& args,
                   int status, const std::string& out, const std::string& err = "",
                   const std::vector<std::string>& launcher = {}) {
        SCOPED_TRACE(cwd + " " + args.back());
        std::vector<std::string> variables = {"HOME=" + (dir / "home").string()};
        if (!tools.empty()) variables.push_back("TESSELLANE_TOOL_PATH=" + (dir / tools).string());
        const ProgramRun run = runProgram(dir / cwd, variables, args, {}, launcher);
        EXPECT_EQ(run.exit, (ExitStatus{ExitStatus::Kind::exited, status}));
        EXPECT_EQ(run.out, out);
        EXPECT_EQ(run.err, err);
    }

    testing::TempDir dir;
};

TEST_F(CommandLine, ReportLinesAndExitStatus) {
    for (const char* folder : {"home/clips", "home/out", "work", "in put", "out [final]", "fail", "broken"})
        fs::create_directories(dir / folder);
    for (const char* name :
         {"home/clips/cam10.mp4", "home/clips/cam9.mp4", "in put/shot [10].mp4", "in put/shot [9].mp4"})
        clip(name);
    testing::writeFile(dir / "home/out/cam_v.mp4", "precious");
    writeScript(dir / "broken/ffmpeg", "");
    testing::writeFile(dir / "broken/ffmpeg", "#!/nonexistent/interpreter\n");  // executable, cannot start
    const std::string home = (dir / "home").string(), clips = home + "/clips", fail = (dir / "fail").string(),
                      in = (dir / "in put").string(), out = (dir / "out [final]").string();
    const std::string ten = clips + "/cam10.mp4", nine = clips + "/cam9.mp4",
                      order = "순서: cam9.mp4, cam10.mp4", done = "결과: 128×32 · H264 · 4f 완료";
    expectRun("", "", {"--version"}, 0, "tessellane " TESSELLANE_EXPECTED_VERSION "\n");
    expectRun("", "", {"a.png", "-h"}, 0, usage());
    expectRun("", "", {"--bogus", "a.png"}, 2, "",
              "오류: 알 수 없는 옵션 '--bogus'\n도움말: tessellane --help\n");
    expectRun("", "", {"x", "--cli", "out", "_s"}, 2,
              "사용법: Tessellane --cli <출력폴더> <접미사> <파일들...>\n");
    // A suffix is part of one name: the output always lands in the folder named.
    expectRun("", "", {"--cli", home, "/../x", ten, nine}, 2, "오류: 접미사에는 \"/\"를 넣을 수 없습니다\n");
    // Nor a control character, which would print as something else than a name.
    expectRun("", "", {"--cli", home, "_\n결과: 완료", ten, nine}, 2,
              "오류: 접미사에는 제어 문자를 넣을 수 없습니다\n");
    // Refused before ffmpeg starts: no command line, nothing written.
    expectRun("", "", {"--cli", home, "_x", nine}, 1,
              lines("순서: cam9.mp4", "출력: " + home + "/cam_x.mp4", "오류: 파일이 2개 이상 필요합니다"));
    expectRun("", "", {"--cli", home + "/out", "_v", ten, nine}, 1,
              lines(order, "출력: " + home + "/out/cam_v.mp4",
                    "오류: 같은 이름의 파일이 이미 있습니다: " + home + "/out/cam_v.mp4"));
    expectRun("", "", {"--cli", home + "/missing", "_v", ten, nine}, 1,
              lines(order, "출력: " + home + "/missing/cam_v.mp4",
                    "오류: 출력 폴더가 없습니다: " + home + "/missing"));
    // More inputs than may be open at once, under a limit of 32 files: said before anything starts.
    expectRun("", "", {"--cli", home, "_n", ten, nine}, 1,
              lines(order, "출력: " + home + "/cam_n.mp4",
                    "오류: 입력 파일이 너무 많습니다: 2개 — 한 번에 열 수 있는 파일은 32개까지입니다"),
              "", {"prlimit", "--nofile=32:32"});
    expectRun("", "fail", {"--cli", fail, "_f", ten, nine}, 1,
              lines(order, "출력: " + fail + "/cam_f.mp4", "오류: ffmpeg를 찾을 수 없습니다 (" + fail + ")"));
    // A start the system refuses is reported in its words; the command line is printed only once ffmpeg runs.
    expectRun("", "broken", {"--cli", fail, "_f", ten, nine}, 1,
              lines(order, "출력: " + fail + "/cam_f.mp4",
                    "오류: " + (dir / "broken/ffmpeg").string() + ": No such file or directory"));
    // Paths are quoted only on the displayed command line; "~", "..", "." and relative paths made absolute.
    expectRun("", "", {"--cli", out, " side", in + "/shot [10].mp4", in + "/shot [9].mp4"}, 0,
              lines("순서: shot [9].mp4, shot [10].mp4", "출력: " + out + "/shot [ side.mp4",
                    h264Command("\"" + in + "/shot [9].mp4\"", "\"" + in + "/shot [10].mp4\"",
                                "\"" + out + "/shot [ side.mp4\""),
                    done));
    expectRun(
        "work", "", {"--cli", "~/out", "_r", "../home/clips/cam9.mp4", ten}, 0,
        lines(order, "출력: " + home + "/out/cam_r.mp4",
              h264Command((dir / "work").string() + "/../home/clips/cam9.mp4", ten, home + "/out/cam_r.mp4"),
              done));
    expectRun(
        "home/clips", "", {"--cli", ".", "_d", "./cam10.mp4", "~/clips/cam9.mp4"}, 0,
        lines(order, "출력: " + clips + "/cam_d.mp4", h264Command(nine, ten, clips + "/cam_d.mp4"), done));
    EXPECT_EQ(readFile(dir / "home/out/cam_v.mp4"), "precious");
    EXPECT_EQ(entries(dir / "home/out"), (std::set<std::string>{"cam_r.mp4", "cam_v.mp4"}))
        << "a temporary left";
    EXPECT_FALSE(fs::exists(dir / "home/missing"));
    EXPECT_TRUE(fs::is_empty(dir / "fail"));
}

// A process that has ended, whether or not anyone has reaped it yet.
bool gone(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    return stat.empty() || stat.substr(stat.rfind(')') + 2, 1) == "Z";
}

bool waitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 300 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

TEST_F(CommandLine, StoppingTheProgramStopsFFmpegAndLeavesNothing) {
    clip("a1.mp4");
    clip("a2.mp4");
    fs::create_directory(dir / "bin");
    const fs::path pidFile = dir / "bin" / "pid";
    // An ffmpeg that has begun writing its output and would go on for half a minute.
    writeScript(dir / "bin" / "ffmpeg",
                "for last; do :; done\nhead -c 1000 /dev/zero > \"$last\"\necho $$ > '" + pidFile.string() +
                    "'\nexec sleep 30\n");
    const std::pair<int, int> rows[] = {{SIGINT, 130},
                                        {SIGTERM, 143},
                                        {SIGHUP, 129},
                                        {SIGQUIT, 131},
                                        {SIGUSR1, 138},
                                        {SIGALRM, 142},
                                        {SIGRTMIN, 128 + SIGRTMIN},
                                        {SIGKILL, SIGKILL}};
    for (const auto& [signal, status] : rows) {
        fs::remove(pidFile);
        const std::set<std::string> before = entries(dir.path());
        pid_t ffmpeg = -1;
        const ProgramRun run = runProgram(dir.path(), {"TESSELLANE_TOOL_PATH=" + (dir / "bin").string()},
                                          {"--cli", ".", "_s", "a1.mp4", "a2.mp4"}, [&](pid_t program) {
                                              if (waitUntil([&] { return !readFile(pidFile).empty(); }))
                                                  ffmpeg = std::stoi(readFile(pidFile));
                                              ::kill(program, signal);
                                          });
        const auto kind = signal == SIGKILL ? ExitStatus::Kind::killed : ExitStatus::Kind::exited;
        EXPECT_EQ(run.exit, (ExitStatus{kind, status})) << signal;
        ASSERT_NE(ffmpeg, -1) << "ffmpeg never started";
        EXPECT_TRUE(waitUntil([&] { return gone(ffmpeg); }))
            << "ffmpeg outlived the program, signal " << signal;
        if (signal == SIGKILL) continue;  // nothing can clean up after SIGKILL
        EXPECT_TRUE(run.out.ends_with("\n오류: 합치기를 취소했습니다\n")) << run.out;
        EXPECT_EQ(entries(dir.path()), before);
    }
}

TEST_F(CommandLine, AFullDiskIsReportedInFFmpegsWords) {
    // Two noise pictures of about 200 kB each, too big together for a private 64 kB tmpfs. Root mounts it
    // in a mount namespace of its own, anyone else needs a user namespace too; where neither can be had (a
    // chroot), an ffmpeg that writes a little and says what the real one says on a full disk stands in.
    const std::string small = (dir / "small").string();
    std::string run = "'" TESSELLANE_BUILD_DIR "/tessellane' --cli '" + small + "' _f";
    for (const char* name : {"big1.png", "big2.png"})
        run += " '" +
               makeMedia(dir / name, {"-f", "lavfi", "-i", "nullsrc=s=256x256", "-vf",
                                      "geq=random(1)*255:random(2)*255:random(3)*255", "-frames:v", "1",
                                      "-update", "1", "-pix_fmt", "rgb24"})
                   .string() +
               "'";
    fs::create_directories(dir / "small");
    writeScript(dir / "run", run + "\necho \"left: $(ls -A '" + small + "')\"\n");
    writeScript(dir / "mounted", "mount -t tmpfs -o size=64k tessellane-test '" + small +
                                     "' || exit 99\nexec '" + (dir / "run").string() + "'\n");
    std::vector<std::string> unshare = {"--mount", (dir / "mounted").string()};
    if (::geteuid() != 0) unshare.insert(unshare.begin(), "--map-root-user");
    std::string out = runTool("unshare", unshare);
    if (out.empty()) {
        fs::create_directories(dir / "fake");
        writeScript(
            dir / "fake/ffmpeg",
            "for last; do :; done\nhead -c 1000 /dev/zero > \"$last\"\nprintf 'frame=    1 fps=0.0 q=0.0 "
            "size=N/A \\rav_interleaved_write_frame(): No space left on device\\nframe=    1 fps=0.0\\n"
            "Conversion failed!\\n' >&2\nexit 1\n");
        testing::ScopedToolPath fake(dir / "fake");
        out = runCapture((dir / "run").string(), {}).output;
    }
    EXPECT_THAT(out, HasSubstr("\n오류: ffmpeg 실패: "));
    EXPECT_THAT(out, HasSubstr("No space left on device"));
    EXPECT_THAT(out, ::testing::EndsWith("\nleft: \n")) << "the folder is left as it was";
}

// Files that are empty, missing or may not be read are told apart, and each is named, in the list's order.
// Root reads everything, so the program runs in a user namespace of its own there, where a file mode holds
// for it too.
TEST_F(CommandLine, EveryBadInputIsNamedWithItsOwnReason) {
    clip("locked.mp4");
    clip("open.mp4");
    testing::writeFile(dir / "blank.mp4", "");
    fs::permissions(dir / "locked.mp4", fs::perms::none);
    std::vector<std::string> launcher;
    if (::geteuid() == 0) launcher = {"unshare", "--user"};
    const ProgramRun run =
        runProgram(dir.path(), {}, {"--cli", ".", "_x", "open.mp4", "locked.mp4", "gone.mp4", "blank.mp4"},
                   {}, launcher);
    if (run.err.starts_with("unshare")) GTEST_SKIP() << run.err;
    EXPECT_THAT(run.out, ::testing::EndsWith("\n오류: blank.mp4: 빈 파일입니다\ngone.mp4: 파일이 없습니다\n"
                                             "locked.mp4: 읽을 권한이 없습니다\n"));
}

// Whatever a name holds, the "명령:" line pasted into a shell runs exactly the vector shown, and every line
// stays one line: names print with their control characters escaped.
TEST_F(CommandLine, TheCommandLineRunsAsPasted) {
    const std::vector<std::string> names = {"a $(touch PWNED) 'q\"!`x` _1.png",
                                            "a $(touch PWNED) 'q\"!`x` _2.png", "n\x1b[2J\n결과: 가짜 _1.png",
                                            "n\x1b[2J\n결과: 가짜 _2.png"};
    for (const std::string& name : names)
        makeMedia(dir / name, {"-f", "lavfi", "-i", "testsrc2=s=32x32", "-frames:v", "1", "-update", "1"});
    fs::create_directory(dir / "shown");
    writeScript(dir / "shown/ffmpeg", "printf '%s\\0' \"$@\"\n");  // what a pasted line finds
    const std::string prefix = "명령: ";
    for (std::size_t first : {0, 2}) {
        const ProgramRun run = runProgram(dir.path(), {}, {"--cli", ".", "", names[first], names[first + 1]});
        ASSERT_EQ(run.exit, (ExitStatus{ExitStatus::Kind::exited, 0})) << run.out;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 4) << run.out;
        const std::size_t at = run.out.find(prefix) + prefix.size();
        const std::string pasted = run.out.substr(at, run.out.find('\n', at) - at);
        const std::vector<ClipInfo> clips = {probe(dir / names[first]), probe(dir / names[first + 1])};
        std::string expected;
        for (const std::string& argument :
             buildArguments(clips, dir / outputFileName({clips[0].url(), clips[1].url()}, "")))
            expected += argument + '\0';
        EXPECT_EQ(runTool("bash", {"-c", "PATH='" + (dir / "shown").string() + "'; cd '" +
                                             dir.path().string() + "' && " + pasted}),
                  expected);
    }
    EXPECT_FALSE(fs::exists(dir / "PWNED"));
}

// Our probe reads the output as it reads the first clip: codec, tag, profile, pixel format, rate and colours.
std::vector<std::string> keptFields(const fs::path& file) {
    const ClipInfo clip = probe(file);
    return {clip.codec,      clip.codecTag,          clip.profile,        clip.pixFmt,
            clip.fpsString,  clip.colorSpace,        clip.colorPrimaries, clip.colorTransfer,
            clip.colorRange, clip.error.value_or("")};
}

class RealMerge : public CommandLine {
  protected:
    // Clips of the given sizes and frame counts, each turned a quarter when `turned`, named last to first.
    void expectMerge(const std::string& extension, const std::string& rate,
                     const std::vector<std::pair<std::string, int>>& sizesAndFrames,
                     const std::vector<std::string>& encoding, bool turned, const std::string& probed,
                     const std::string& summary, bool lengthWarning) {
        std::vector<std::string> args = {"--cli", dir.path(), "_m"};
        for (std::size_t i = 0; i < sizesAndFrames.size(); ++i) {
            const std::string name = "clip" + std::to_string(i + 1) + "." + extension;
            fs::path input = clip(name, sizesAndFrames[i].second, sizesAndFrames[i].first, rate, encoding);
            if (turned)
                input = makeMedia(dir / ("turned-" + name),
                                  {"-i", input, "-c", "copy", "-metadata:s:v:0", "rotate=90"});
            args.insert(args.begin() + 3, input);
        }
        const ProgramRun run = runProgram(dir.path(), {}, args);
        ASSERT_EQ(run.exit, (ExitStatus{ExitStatus::Kind::exited, 0})) << run.out;
        EXPECT_TRUE(run.out.ends_with("\n결과: " + summary + "\n")) << run.out;
        EXPECT_EQ(run.out.find("경고: 길이가 다릅니다") != std::string::npos, lengthWarning) << run.out;
        const fs::path output = dir / ((turned ? "turned-clip_m." : "clip_m.") + extension);
        EXPECT_EQ(ffprobe(output, probed), probed);
        EXPECT_EQ(keptFields(output), keptFields(args.back()));
    }
};

TEST_F(RealMerge, ProRes422HQ) {
    expectMerge(
        "mov", "24000/1001", {{"64x32", 6}, {"48x32", 5}, {"32x32", 7}},
        {"-c:v", "prores_ks", "-profile:v", "3", "-vendor", "apl0", "-pix_fmt", "yuv422p10le", "-colorspace",
         "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv"},
        false,
        "codec_name=prores profile=HQ width=144 height=32 pix_fmt=yuv422p10le color_range=tv "
        "r_frame_rate=24000/1001 nb_read_frames=5",
        "144×32 · ProRes 422 HQ · 5f 완료", true);
}

// Phone clips stored sideways merge upright, at their displayed sizes.
TEST_F(RealMerge, H264TurnedDifferentLengths) {
    expectMerge("mp4", "30", {{"48x32", 8}, {"48x32", 4}}, h264, true,
                "codec_name=h264 width=64 height=48 pix_fmt=yuv420p color_range=tv color_space=bt709 "
                "color_transfer=bt709 color_primaries=bt709 r_frame_rate=30/1 nb_read_frames=4",
                "64×48 · H264 · 4f 완료", true);
}

TEST_F(RealMerge, Hevc10BitPQ) {
    expectMerge("mov", "25", {{"64x64", 3}, {"64x64", 3}},
                {"-c:v", "libx265", "-x265-params", "log-level=error", "-pix_fmt", "yuv420p10le", "-tag:v",
                 "hvc1", "-colorspace", "bt2020nc", "-color_primaries", "bt2020", "-color_trc", "smpte2084",
                 "-color_range", "tv"},
                false,
                "codec_name=hevc codec_tag_string=hvc1 width=128 pix_fmt=yuv420p10le color_space=bt2020nc "
                "color_transfer=smpte2084 color_primaries=bt2020 nb_read_frames=3",
                "128×64 · HEVC · 3f 완료", false);
}

// Decodes a picture to raw pixels, reading exactly the file named.
std::string rawPixels(const fs::path& image, const fs::path& raw) {
    return readFile(
        makeMedia(raw, {"-f", "image2pipe", "-i", image, "-f", "rawvideo", "-pix_fmt", "rgba64be"}));
}

// "%d" in a name is a character like any other, even beside files a pattern would match; names with nothing
// in common give an output named by its extension alone, still a PNG; an opaque 16-bit first picture keeps
// the second one's alpha and the first one's depth.
TEST_F(CommandLine, StillImagesAreReadExactlyAndKeepAlphaAndDepth) {
    const int widths[] = {40, 24};
    const char* names[] = {"p%d", "q%d"};
    const char* formats[] = {"rgb48be", "rgba"};
    std::vector<fs::path> inputs;
    for (int i = 0; i < 2; ++i) {
        testing::writeFile(dir / (std::string{names[i][0], '1'} + ".png"), "what a pattern would read");
        inputs.push_back(makeMedia(
            dir / (std::string(names[i]) + ".png"),
            {"-f", "lavfi", "-i", "testsrc2=s=" + std::to_string(widths[i]) + "x32", "-vf",
             "format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='" + std::to_string(60 + 90 * i) + "+3*X'",
             "-frames:v", "1", "-update", "1", "-pix_fmt", formats[i]}));
    }
    const ProgramRun run = runProgram(dir.path(), {}, {"--cli", dir.path(), "", inputs[1], inputs[0]});
    EXPECT_EQ(run.exit, (ExitStatus{ExitStatus::Kind::exited, 0})) << run.out;
    EXPECT_TRUE(run.out.starts_with("순서: p%d.png, q%d.png\n")) << run.out;
    EXPECT_TRUE(run.out.ends_with("\n결과: 64×32 · PNG · rgba64be 완료\n")) << run.out;
    const fs::path output = dir / ".png";
    const std::string left = rawPixels(inputs[0], dir / "left.raw"),
                      right = rawPixels(inputs[1], dir / "right.raw");
    std::string sideBySide;
    for (std::size_t row = 0; row < 32; ++row)
        sideBySide += left.substr(row * 40 * 8, 40 * 8) + right.substr(row * 24 * 8, 24 * 8);
    EXPECT_TRUE(rawPixels(output, dir / "merged.raw") == sideBySide) << "pixels differ";
}

}  // namespace
}  // namespace tessellane
