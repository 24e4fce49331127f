#include "engine/merge/ffmpeg_args.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tessellane {
namespace {

// A vector as one line, so a whole vector fits a table row (no path here holds a space).
std::string line(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
    return text;
}

ClipInfo image(const std::string& path, const std::string& pixFmt) {
    return ClipInfo(path, {.codec = "png", .pixFmt = pixFmt});
}

// /m/a.mov (as given) and /m/b.mov (HEVC, which never matters) into /m/o.mov.
TEST(BuildArguments, VideoFollowsTheFirstClip) {
    const std::string x264 = "libx264 -crf 12 -preset slow -pix_fmt ";
    const struct {
        std::string codec, tag, pixFmt, rate, space, primaries, transfer, range, codecToColours;
        std::string filter = "[0:v][1:v]hstack=inputs=2:shortest=1[v]";
    } rows[] = {
        {"prores", "apch", "yuv422p10le", "24000/1001", "bt709", "bt709", "bt709", "tv",
         "prores_ks -profile:v 3 -vendor apl0 -pix_fmt yuv422p10le -r 24000/1001 -colorspace bt709 "
         "-color_primaries bt709 -color_trc bt709 -color_range tv"},
        {"hevc", "hvc1", "yuv420p10le", "25/1", "", "", "smpte2084", "",
         "libx265 -crf 12 -preset slow -tag:v hvc1 -pix_fmt yuv420p10le -r 25/1 -color_trc smpte2084"},
        {"h264", "avc1", "yuv444p", "30/1", "bt709", "", "", "unknown",
         x264 + "yuv444p -r 30/1 -colorspace bt709"},
        // Full range is written in the yuvj form, which keeps the code values; a clip in the limited range
        // (b.mov: nothing said) is converted to it first.
        {"h264", "", "yuv420p", "25/1", "bt2020nc", "", "", "pc",
         x264 + "yuvj420p -r 25/1 -colorspace bt2020nc -color_range pc",
         "[1:v]scale=out_range=pc,format=yuvj420p[c1];[0:v][c1]hstack=inputs=2:shortest=1[v]"},
        // Only the exact lower-case words are dropped; anything else goes to ffmpeg as it is.
        {"h264", "", "yuv422p", "25/1", "unknown", "reserved", "unknown", "Unknown",
         x264 + "yuv422p -r 25/1 -color_range Unknown"},
        {"ProRes", "apch", "yuv420p", "25/1", "", "", "", "", x264 + "yuv420p -r 25/1"},
        // Names that ffprobe shows and the options spell otherwise, per option.
        {"h264", "", "yuv420p", "25/1", "bt470bg", "bt470bg", "bt470bg", "",
         x264 + "yuv420p -r 25/1 -colorspace bt470bg -color_primaries bt470bg -color_trc gamma28"},
        {"", "", "", "", "", "", "", "",
         "libx264 -crf 12 -preset slow -r "},  // no pixel format, an empty rate
    };
    for (const auto& row : rows) {
        ClipInfo first("/m/a.mov");
        std::tie(first.codec, first.codecTag, first.pixFmt, first.fpsString, first.colorSpace,
                 first.colorPrimaries, first.colorTransfer, first.colorRange) =
            std::tie(row.codec, row.tag, row.pixFmt, row.rate, row.space, row.primaries, row.transfer,
                     row.range);
        EXPECT_EQ(line(buildArguments({first, ClipInfo("/m/b.mov", {.codec = "hevc"})}, "/m/o.mov")),
                  "-nostdin -hide_banner -n -i /m/a.mov -i /m/b.mov -filter_complex " + row.filter +
                      " -map [v] -c:v " + row.codecToColours + " -an -progress pipe:1 -nostats /m/o.mov");
    }
}

TEST(BuildArguments, TheKindFromEveryExtension) {
    // Images of any case give the still-image vector; one movie anywhere gives the video vector, whose
    // codec block follows the first clip (a PNG is neither ProRes nor HEVC).
    EXPECT_EQ(
        line(buildArguments({image("/i/a.PNG", "rgb24"), image("/i/b.Jpeg", "rgb24")}, "/i/o.png")),
        line(buildImageArguments({image("/i/a.PNG", "rgb24"), image("/i/b.Jpeg", "rgb24")}, "/i/o.png")));
    const std::string mixed =
        line(buildArguments({image("/i/a.png", "rgba"), ClipInfo("/i/b.mov")}, "/o.png"));
    EXPECT_TRUE(mixed.ends_with(
        "-c:v libx264 -crf 12 -preset slow -pix_fmt rgba -r 0/1 -an -progress pipe:1 -nostats /o.png"));
    EXPECT_EQ(
        line(buildArguments({}, "/i/o.png")),
        "-nostdin -hide_banner -n -filter_complex hstack=inputs=0[v] -map [v] -frames:v 1 -update 1 -c:v png "
        "-pix_fmt rgb24 /i/o.png");
}

// Each setting that changes the vector, alone and together: the stack of the layout, the steps that bring a
// clip to its tile (rate, scale to square pixels, pad to its grid cell), and the sound in place of "-an",
// copied where the container takes its codec and cut where the picture ends.
TEST(BuildArguments, LayoutsFittingRatesAndSound) {
    // a: 1920x1080 25 fps with AAC; b: 4:3 960x720 30 fps with Opus; c: 1920x1080 25 fps with PCM, shortest.
    const auto clip = [](const std::string& name, std::int64_t width, std::int64_t height, const char* rate,
                         const char* sound, double seconds) {
        return ClipInfo("/m/" + name, {.codec = "h264",
                                       .width = width,
                                       .height = height,
                                       .pixFmt = "yuv420p",
                                       .fpsString = rate,
                                       .duration = seconds,
                                       .hasAudio = true,
                                       .audioCodec = sound,
                                       .audioChannels = 2});
    };
    const std::vector<ClipInfo> clips = {clip("a.mov", 1920, 1080, "25/1", "aac", 4),
                                         clip("b.mov", 960, 720, "30/1", "opus", 4),
                                         clip("c.mov", 1920, 1080, "25/1", "pcm", 3.5)};
    const Layout column = Layout::column, grid = Layout::grid;
    const std::string fit = "scale=1440:1080,setsar=1", rate = "fps=25/1", all = "[0:v][c1][2:v]";
    const struct {
        MergeSettings settings;
        std::string output, filter, tail = "-an";
        bool prores = false;
    } rows[] = {
        {{}, "o.mov", "[0:v][1:v][2:v]hstack=inputs=3"},
        {{.layout = column}, "o.mov", "[0:v][1:v][2:v]vstack=inputs=3"},
        {{.layout = grid}, "o.mov", "[0:v][1:v][2:v]xstack=inputs=3:layout=0_0|1920_0|0_1080:fill=black"},
        {{.fitSizes = true}, "o.mov", "[1:v]" + fit + "[c1];" + all + "hstack=inputs=3"},
        {{.layout = column, .fitSizes = true},
         "o.mov",
         "[1:v]scale=1920:1440,setsar=1[c1];" + all + "vstack=inputs=3"},
        {{.layout = grid, .columns = 3, .fitSizes = true},
         "o.mov",
         "[1:v]" + fit + ",pad=1920:1080:240:0:color=black[c1];" + all +
             "xstack=inputs=3:layout=0_0|1920_0|3840_0:fill=black"},
        {{.conformRates = true}, "o.mov", "[1:v]" + rate + "[c1];" + all + "hstack=inputs=3"},
        {{.fitSizes = true, .conformRates = true},
         "o.mov",
         "[1:v]" + rate + "," + fit + "[c1];" + all + "hstack=inputs=3"},
        {{.audioClip = 0}, "o.mov", "[0:v][1:v][2:v]hstack=inputs=3", "-map 0:a:0 -c:a copy -t 3.5"},
        {{.audioClip = 0}, "o.m4v", "[0:v][1:v][2:v]hstack=inputs=3", "-map 0:a:0 -c:a copy -t 3.5"},
        {{.audioClip = 1}, "o.mp4", "[0:v][1:v][2:v]hstack=inputs=3", "-map 1:a:0 -c:a copy -t 3.5"},
        {{.audioClip = 1}, "o.mov", "[0:v][1:v][2:v]hstack=inputs=3", "-map 1:a:0 -c:a aac -b:a 256k -t 3.5"},
        {{.audioClip = 1},
         "o.mov",
         "[0:v][1:v][2:v]hstack=inputs=3",
         "-map 1:a:0 -c:a pcm_s24le -t 3.5",
         true},
        {{.audioClip = 2}, "o.mp4", "[0:v][1:v][2:v]hstack=inputs=3", "-map 2:a:0 -c:a aac -b:a 256k -t 3.5"},
        {{.audioClip = 2}, "o.mov", "[0:v][1:v][2:v]hstack=inputs=3", "-map 2:a:0 -c:a copy -t 3.5"},
    };
    for (const auto& row : rows) {
        std::vector<ClipInfo> list = clips;
        if (row.prores) list[0].codec = "prores", list[0].pixFmt = "yuv422p10le";
        const std::string vector = line(buildArguments(list, "/m/" + row.output, row.settings));
        SCOPED_TRACE(vector);
        EXPECT_NE(vector.find(" -filter_complex " + row.filter + ":shortest=1[v] "), std::string::npos);
        EXPECT_TRUE(vector.ends_with(" " + row.tail + " -progress pipe:1 -nostats /m/" + row.output));
    }
    // Stills in a fitted grid: scaled, converted, padded, with no sound and no end.
    const std::vector<ClipInfo> stills = {image("/i/a.png", "rgb24"), image("/i/b.png", "rgb24")};
    std::vector<ClipInfo> sized = stills;
    sized[0].width = 40, sized[0].height = 20, sized[1].width = 10, sized[1].height = 10;
    EXPECT_NE(line(buildArguments(sized, "/i/o.png", {.layout = grid, .fitSizes = true}))
                  .find("[1:v]scale=20:20,setsar=1,format=rgb24,pad=40:20:10:0:color=black[i1];[i0][i1]"
                        "xstack=inputs=2:layout=0_0|40_0:fill=black[v]"),
              std::string::npos);
}

}  // namespace
}  // namespace tessellane
