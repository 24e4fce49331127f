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

}  // namespace
}  // namespace tessellane
