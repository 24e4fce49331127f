#include "engine/cli/cli.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "engine/cli/program_arguments.h"
#include "engine/merge/child_process.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::makeMedia;
using testing::readFile;
using testing::runTool;
using testing::writeScript;

TEST(CliArguments, OnlyTheFirstSwitchSplits) {
    using Args = std::vector<std::string>;
    const std::pair<std::vector<const char*>, std::optional<Args>> rows[] = {
        {{"/bin/tessellane"}, std::nullopt},
        {{"/bin/tessellane", "-cli", "x"}, std::nullopt},
        {{"/bin/tessellane", "--cli"}, Args{}},
        {{"/bin/tessellane", "before", "--cli", "out", "_s", "a.mov"}, Args{"out", "_s", "a.mov"}},
        {{"/bin/tessellane", "--cli", "--cli", "_s", "a.mov"}, Args{"--cli", "_s", "a.mov"}},
    };
    for (const auto& [argv, arguments] : rows)
        EXPECT_EQ(cliArguments(static_cast<int>(argv.size()), argv.data()), arguments);
}

TEST(RunCli, ASuffixThatWouldLeaveTheFolderIsRefused) {
    for (const std::string& suffix : {std::string("/../x"), std::string("a/b"), std::string("a\0b", 3)}) {
        std::ostringstream out;
        EXPECT_EQ(runCLI({"/tmp", suffix, "/nonexistent/a.png", "/nonexistent/b.png"}, out), 2);
        EXPECT_EQ(out.str(), "오류: 접미사에는 \"/\"를 넣을 수 없습니다\n");
    }
}

// ---- the built program, run as a user runs it, with no display -----------------------------------------

struct ProgramRun {
    ExitStatus exit;
    std::string out, err;  // out with the temporary's random part written XXXXXX
};

// Runs the program in `cwd` with extra variables; a run past a minute is stopped and fails the test.
// `meanwhile` runs on its own thread with the program's pid while the program runs.
ProgramRun runProgram(const fs::path& cwd, const std::vector<std::string>& variables,
                      const std::vector<std::string>& args,
                      const std::function<void(pid_t)>& meanwhile = {}) {
    std::vector<std::string> full = {
        "-C", cwd, "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM"};
    full.insert(full.end(), variables.begin(), variables.end());
    full.push_back(TESSELLANE_BUILD_DIR "/tessellane");
    full.insert(full.end(), args.begin(), args.end());
    ChildProcess child = spawnChild("/usr/bin/env", full, ChildOutput::pipe, ChildOutput::pipe);
    std::thread side;
    if (meanwhile) side = std::thread(meanwhile, child.pid);
    ProgramRun run;
    const ChildOutcome outcome = superviseChild(
        child, [&](std::string_view bytes) { run.out += bytes; },
        [&](std::string_view bytes) { run.err += bytes; }, {.timeout = std::chrono::seconds(60)});
    if (side.joinable()) side.join();
    EXPECT_FALSE(outcome.stopped) << "tessellane did not finish within a minute";
    run.exit = outcome.status;
    run.out =
        std::regex_replace(run.out, std::regex("/\\.tessellane-[A-Za-z0-9]{6}/"), "/.tessellane-XXXXXX/");
    return run;
}

std::string lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

const std::vector<std::string> h264 = {"-c:v",        "libx264", "-pix_fmt",         "yuv420p",
                                       "-colorspace", "bt709",   "-color_primaries", "bt709",
                                       "-color_trc",  "bt709",   "-color_range",     "tv"};

// The "명령: " line for two H.264 clips made by clip(), the temporary in `folder` (all as displayed).
std::string h264Command(const std::string& first, const std::string& second, const std::string& folder) {
    return "명령: ffmpeg -nostdin -hide_banner -n -i " + first + " -i " + second +
           " -filter_complex \"[0:v][1:v]hstack=inputs=2:shortest=1[v]\" -map \"[v]\" -c:v libx264 -crf 12 "
           "-preset "
           "slow -pix_fmt yuv420p -r 25/1 -colorspace bt709 -color_primaries bt709 -color_trc bt709 "
           "-color_range "
           "tv -an -progress pipe:1 -nostats " +
           folder + "/.tessellane-XXXXXX/merge.mp4";
}

std::set<std::string> entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

using Probe = std::map<std::string, std::string>;

// ffprobe is the independent judge of what was written.
Probe ffprobe(const fs::path& file) {
    std::istringstream in(
        runTool("ffprobe",
                {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                 "stream=codec_name,codec_tag_string,profile,pix_fmt,width,height,r_frame_rate,color_space,"
                 "color_transfer,color_primaries,color_range,nb_read_frames:stream_side_data=rotation",
                 "-of", "default=noprint_wrappers=1", file.string()}));
    Probe result;
    for (std::string line; std::getline(in, line);)
        if (const auto equals = line.find('='); equals != std::string::npos)
            result[line.substr(0, equals)] = line.substr(equals + 1);
    return result;
}

// "key=value key=value" as a probe, so a row's expectations fit one line.
Probe expected(const std::string& pairs) {
    std::istringstream in(pairs);
    Probe result;
    for (std::string pair; in >> pair;)
        result[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
    return result;
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
    testing::TempDir dir;
};

TEST_F(CommandLine, ReportLinesAndExitStatus) {
    for (const char* folder :
         {"home/clips", "home/out", "work/--cli", "in put", "out [final]", "fail", "fake", "broken"})
        fs::create_directories(dir / folder);
    clip("home/clips/cam10.mp4");
    clip("home/clips/cam9.mp4");
    clip("in put/shot [10].mp4");
    clip("in put/shot [9].mp4");
    testing::writeFile(dir / "home/out/cam_v.mp4", "precious");
    writeScript(dir / "fake/ffmpeg", "printf 'L1\\nL2\\n\\nL3\\nL4\\n' >&2\nexit 1\n");
    testing::writeFile(dir / "broken/ffmpeg", "#!/nonexistent/interpreter\n");
    fs::permissions(dir / "broken/ffmpeg", fs::perms(0755));
    const std::string home = (dir / "home").string(), clips = home + "/clips", work = (dir / "work").string(),
                      in = (dir / "in put").string(), fail = (dir / "fail").string(),
                      tools = "TESSELLANE_TOOL_PATH=";
    const std::string synopsis = "사용법: Tessellane --cli <출력폴더> <접미사> <파일들...>\n";
    const std::string order = "순서: cam9.mp4, cam10.mp4";
    const std::vector<std::string> both = {clips + "/cam10.mp4", clips + "/cam9.mp4"};
    const std::string failCommand = h264Command(clips + "/cam9.mp4", clips + "/cam10.mp4", fail);
    const struct {
        fs::path cwd;
        std::string tools;
        std::vector<std::string> args;
        int status;
        std::string out, err = "";
    } rows[] = {
        {dir.path(), "", {"--version"}, 0, "tessellane " TESSELLANE_EXPECTED_VERSION "\n"},
        {dir.path(), "", {"a.png", "-h"}, 0, usage()},
        {dir.path(),
         "",
         {"--bogus", "a.png"},
         2,
         "",
         "오류: 알 수 없는 옵션 '--bogus'\n도움말: tessellane --help\n"},
        {dir.path(), "", {"--cli"}, 2, synopsis},
        {dir.path(), "", {"x", "--cli", "out", "_s"}, 2, synopsis},
        // Validation refuses before ffmpeg starts: no command line.
        {dir.path(),
         "",
         {"--cli", home, "_x", clips + "/cam9.mp4"},
         1,
         lines({"순서: cam9.mp4", "출력: " + home + "/cam_x.mp4", "오류: 파일이 2개 이상 필요합니다"})},
        {dir.path(),
         "",
         {"--cli", home + "/out", "_v", both[0], both[1]},
         1,
         lines({order, "출력: " + home + "/out/cam_v.mp4",
                "오류: 같은 이름의 파일이 이미 있습니다: " + home + "/out/cam_v.mp4"})},
        {dir.path(),
         "",
         {"--cli", home + "/missing", "_v", both[0], both[1]},
         1,
         lines({order, "출력: " + home + "/missing/cam_v.mp4",
                "오류: ffmpeg 실패: " + home + "/missing/cam_v.mp4: No such file or directory"})},
        // ffmpeg's own failures: its last lines, a start the system refuses, none to be found.
        {dir.path(),
         tools + (dir / "fake").string(),
         {"--cli", fail, "_f", both[0], both[1]},
         1,
         lines({order, "출력: " + fail + "/cam_f.mp4", failCommand, "오류: ffmpeg 실패: L2 | L3 | L4"})},
        {dir.path(),
         tools + (dir / "broken").string(),
         {"--cli", fail, "_f", both[0], both[1]},
         1,
         lines({order, "출력: " + fail + "/cam_f.mp4", failCommand,
                "오류: " + (dir / "broken/ffmpeg").string() + ": No such file or directory"})},
        {dir.path(),
         tools + fail,
         {"--cli", fail, "_f", both[0], both[1]},
         1,
         lines({order, "출력: " + fail + "/cam_f.mp4", "오류: ffmpeg를 찾을 수 없습니다 (" + fail + ")"})},
        // Paths are quoted only on the displayed command line; "~", relative paths and "." made absolute.
        {dir.path(),
         "",
         {"--cli", (dir / "out [final]").string(), " side", in + "/shot [10].mp4", in + "/shot [9].mp4"},
         0,
         lines({"순서: shot [9].mp4, shot [10].mp4",
                "출력: " + (dir / "out [final]/shot [ side.mp4").string(),
                h264Command("\"" + in + "/shot [9].mp4\"", "\"" + in + "/shot [10].mp4\"",
                            "\"" + (dir / "out [final]").string()) +
                    "\"",
                "결과: 128×32 · H264 · 4f 완료"})},
        {dir / "work",
         "",
         {"--cli", "~/out", "_t", "~/clips/cam10.mp4", "~/clips/cam9.mp4"},
         0,
         lines({order, "출력: " + home + "/out/cam_t.mp4", h264Command(both[1], both[0], home + "/out"),
                "결과: 128×32 · H264 · 4f 완료"})},
        {dir / "work",
         "",
         {"--cli", "--cli", "_r", "../home/clips/cam9.mp4", "~/clips/cam10.mp4"},
         0,
         lines({order, "출력: " + work + "/--cli/cam_r.mp4",
                h264Command(work + "/../home/clips/cam9.mp4", both[0], work + "/--cli"),
                "결과: 128×32 · H264 · 4f 완료"})},
        {dir / "home/clips",
         "",
         {"--cli", ".", "_d", "./cam10.mp4", "cam9.mp4"},
         0,
         lines({order, "출력: " + clips + "/cam_d.mp4", h264Command(both[1], both[0], clips),
                "결과: 128×32 · H264 · 4f 완료"})},
    };
    for (const auto& row : rows) {
        std::vector<std::string> variables = {"HOME=" + home};
        if (!row.tools.empty()) variables.push_back(row.tools);
        const ProgramRun run = runProgram(row.cwd, variables, row.args);
        EXPECT_EQ(run.exit, (ExitStatus{ExitStatus::Kind::exited, row.status})) << row.args.back();
        EXPECT_EQ(run.out, row.out);
        EXPECT_EQ(run.err, row.err);
    }
    EXPECT_EQ(readFile(dir / "home/out/cam_v.mp4"), "precious");
    EXPECT_FALSE(fs::exists(dir / "home/missing"));
    EXPECT_TRUE(fs::is_empty(dir / "fail"));
}

// A process that has ended, whether or not anyone has reaped it yet.
bool gone(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    return stat.empty() || (close != std::string::npos && stat.size() > close + 2 && stat[close + 2] == 'Z');
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
    using K = ExitStatus::Kind;
    const std::pair<int, ExitStatus> rows[] = {{SIGINT, {K::exited, 130}},
                                               {SIGTERM, {K::exited, 143}},
                                               {SIGHUP, {K::exited, 129}},
                                               {SIGKILL, {K::killed, SIGKILL}}};
    for (const auto& [signal, exit] : rows) {
        fs::remove(pidFile);
        const std::set<std::string> before = entries(dir.path());
        pid_t ffmpeg = -1;
        const ProgramRun run = runProgram(dir.path(), {"TESSELLANE_TOOL_PATH=" + (dir / "bin").string()},
                                          {"--cli", ".", "_s", "a1.mp4", "a2.mp4"}, [&](pid_t program) {
                                              if (waitUntil([&] { return !readFile(pidFile).empty(); }))
                                                  ffmpeg = std::stoi(readFile(pidFile));
                                              ::kill(program, signal);
                                          });
        EXPECT_EQ(run.exit, exit) << signal;
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
    std::vector<std::string> args = {"/bin/sh",
                                     "-c",
                                     "mount -t tmpfs -o size=64k tessellane-test \"$1\" || exit 99\n"
                                     "\"$2\" --cli \"$1\" _f \"$3\" \"$4\"\necho \"left: $(ls -A \"$1\")\"\n",
                                     "sh",
                                     (dir / "small").string(),
                                     TESSELLANE_BUILD_DIR "/tessellane"};
    for (const char* name : {"big1.png", "big2.png"})
        args.push_back(makeMedia(dir / name, {"-f", "lavfi", "-i", "nullsrc=s=256x256", "-vf",
                                              "geq=random(1)*255:random(2)*255:random(3)*255", "-frames:v",
                                              "1", "-update", "1", "-pix_fmt", "rgb24"}));
    fs::create_directories(dir / "small");
    std::vector<std::string> unshare = {"--mount"};
    if (::geteuid() != 0) unshare.push_back("--map-root-user");
    unshare.insert(unshare.end(), args.begin(), args.end());
    std::string out = runTool("unshare", unshare);
    if (out.empty()) {
        fs::create_directories(dir / "fake");
        writeScript(
            dir / "fake/ffmpeg",
            "for last; do :; done\nhead -c 1000 /dev/zero > \"$last\"\nprintf 'frame=    1 fps=0.0 q=0.0 "
            "size=N/A \\rav_interleaved_write_frame(): No space left on device\\nframe=    1 fps=0.0\\n"
            "Conversion failed!\\n' >&2\nexit 1\n");
        testing::ScopedToolPath fake(dir / "fake");
        args[2] = args[2].substr(args[2].find('\n') + 1);
        out = runTool("sh", std::vector<std::string>(args.begin() + 1, args.end()));
    }
    EXPECT_THAT(out, HasSubstr("\n오류: ffmpeg 실패: "));
    EXPECT_THAT(out, HasSubstr("No space left on device"));
    EXPECT_THAT(out, ::testing::EndsWith("\nleft: \n")) << "the folder is left as it was";
}

// ---- real merges, judged by ffprobe and by our own probe -------------------------------------------------

struct VideoCase {
    std::string name, extension, rate;
    std::vector<std::pair<std::string, int>> sizesAndFrames;
    std::vector<std::string> encoding;
    bool turned;     // every clip stored sideways with a quarter turn
    Probe expected;  // ffprobe's view of the output
    std::string summary;
    bool lengthWarning;
};

void PrintTo(const VideoCase& test, std::ostream* out) { *out << test.name; }

class RealMerge : public CommandLine, public ::testing::WithParamInterface<VideoCase> {};

// Our probe reads the output as it reads the first clip: codec, tag, pixel format, rate and colour tags.
std::vector<std::string> keptFields(const fs::path& file) {
    const ClipInfo clip = probe(file);
    return {clip.codec,      clip.codecTag,          clip.profile,        clip.pixFmt,
            clip.fpsString,  clip.colorSpace,        clip.colorPrimaries, clip.colorTransfer,
            clip.colorRange, clip.error.value_or("")};
}

TEST_P(RealMerge, OutputKeepsTheFirstClipsFormat) {
    const VideoCase& test = GetParam();
    std::vector<std::string> args = {"--cli", dir.path(), "_m"};
    std::string first;
    for (std::size_t i = 0; i < test.sizesAndFrames.size(); ++i) {
        const auto& [size, frames] = test.sizesAndFrames[i];
        const std::string name = "clip" + std::to_string(i + 1) + "." + test.extension;
        fs::path input = clip(name, frames, size, test.rate, test.encoding);
        if (test.turned)
            input = makeMedia(dir / ("turned-" + name),
                              {"-i", input, "-c", "copy", "-metadata:s:v:0", "rotate=90"});
        args.insert(args.begin() + 3, input);  // last to first: the program sorts them
        if (i == 0) first = input;
    }
    const ProgramRun run = runProgram(dir.path(), {}, args);
    ASSERT_EQ(run.exit, (ExitStatus{ExitStatus::Kind::exited, 0})) << run.out;
    EXPECT_TRUE(run.out.ends_with("\n결과: " + test.summary + "\n")) << run.out;
    EXPECT_EQ(run.out.find("경고: 길이가 다릅니다") != std::string::npos, test.lengthWarning) << run.out;
    const fs::path output = dir / ((test.turned ? "turned-clip_m." : "clip_m.") + test.extension);
    Probe actual = ffprobe(output);
    for (const auto& [key, value] : test.expected) EXPECT_EQ(actual[key], value) << key;
    EXPECT_EQ(actual["rotation"], "") << "the output is upright";
    EXPECT_EQ(keptFields(output), keptFields(first));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RealMerge,
    ::testing::Values(
        VideoCase{
            "ProRes422HQ",
            "mov",
            "24000/1001",
            {{"64x32", 6}, {"48x32", 5}, {"32x32", 7}},
            {"-c:v", "prores_ks", "-profile:v", "3", "-vendor", "apl0", "-pix_fmt", "yuv422p10le",
             "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range",
             "tv"},
            false,
            expected(
                "codec_name=prores profile=HQ pix_fmt=yuv422p10le r_frame_rate=24000/1001 color_range=tv "
                "width=144 height=32 nb_read_frames=5"),
            "144×32 · ProRes 422 HQ · 5f 완료",
            true},
        // Phone clips stored sideways merge upright, at their displayed sizes.
        VideoCase{
            "H264TurnedDifferentLengths",
            "mp4",
            "30",
            {{"48x32", 8}, {"48x32", 4}},
            h264,
            true,
            expected("codec_name=h264 pix_fmt=yuv420p r_frame_rate=30/1 width=64 height=48 nb_read_frames=4 "
                     "color_space=bt709 color_primaries=bt709 color_transfer=bt709 color_range=tv"),
            "64×48 · H264 · 4f 완료",
            true},
        VideoCase{"Hevc10BitPQ",
                  "mov",
                  "25",
                  {{"64x64", 3}, {"64x64", 3}},
                  {"-c:v", "libx265", "-x265-params", "log-level=error", "-pix_fmt", "yuv420p10le", "-tag:v",
                   "hvc1", "-colorspace", "bt2020nc", "-color_primaries", "bt2020", "-color_trc", "smpte2084",
                   "-color_range", "tv"},
                  false,
                  expected("codec_name=hevc codec_tag_string=hvc1 pix_fmt=yuv420p10le color_space=bt2020nc "
                           "color_primaries=bt2020 color_transfer=smpte2084 width=128 nb_read_frames=3"),
                  "128×64 · HEVC · 3f 완료",
                  false}),
    [](const auto& info) { return info.param.name; });

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
        std::string alike = std::string(names[i]).replace(1, 2, "1") + ".png";
        makeMedia(dir / alike, {"-f", "lavfi", "-i", "color=s=8x32", "-frames:v", "1", "-update", "1"});
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
    Probe actual = ffprobe(output);
    for (const auto& [key, value] : expected("codec_name=png pix_fmt=rgba64be width=64 height=32"))
        EXPECT_EQ(actual[key], value) << key;
    const std::string left = rawPixels(inputs[0], dir / "left.raw"),
                      right = rawPixels(inputs[1], dir / "right.raw");
    std::string sideBySide;
    for (std::size_t row = 0; row < 32; ++row)
        sideBySide += left.substr(row * 40 * 8, 40 * 8) + right.substr(row * 24 * 8, 24 * 8);
    EXPECT_TRUE(rawPixels(output, dir / "merged.raw") == sideBySide) << "pixels differ";
}

}  // namespace
}  // namespace tessellane
