#include "engine/merge/ffmpeg_args.h"

#include <gtest/gtest.h>

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
    const std::string head =
        "-nostdin -hide_banner -n -i /m/a.mov -i /m/b.mov -filter_complex "
        "[0:v][1:v]hstack=inputs=2:shortest=1[v] -map [v] -c:v ";
    const std::string x264 = "libx264 -crf 12 -preset slow -pix_fmt ";
    const std::pair<ClipFields, std::string> rows[] = {
        {{.codec = "prores",
          .codecTag = "apch",
          .pixFmt = "yuv422p10le",
          .fpsString = "24000/1001",
          .colorSpace = "bt709",
          .colorPrimaries = "bt709",
          .colorTransfer = "bt709",
          .colorRange = "tv"},
         "prores_ks -profile:v 3 -vendor apl0 -pix_fmt yuv422p10le -r 24000/1001 -colorspace bt709 "
         "-color_primaries bt709 -color_trc bt709 -color_range tv"},
        {{.codec = "prores", .codecTag = "ap4x", .pixFmt = "yuva444p12le"},
         "prores_ks -profile:v 5 -vendor apl0 -pix_fmt yuva444p12le -r 0/1"},
        {{.codec = "prores", .codecTag = "ap4h", .pixFmt = "a"},
         "prores_ks -profile:v 4 -vendor apl0 -pix_fmt a -r 0/1"},
        {{.codec = "prores", .codecTag = "apco", .pixFmt = "a"},
         "prores_ks -profile:v 0 -vendor apl0 -pix_fmt a -r 0/1"},
        {{.codec = "prores", .codecTag = "????", .profile = "4444 XQ", .pixFmt = "a"},
         "prores_ks -profile:v 5 -vendor apl0 -pix_fmt a -r 0/1"},
        {{.codec = "prores", .codecTag = "????", .pixFmt = "a"},
         "prores_ks -profile:v 2 -vendor apl0 -pix_fmt a -r 0/1"},
        {{.codec = "hevc",
          .codecTag = "hvc1",
          .pixFmt = "yuv420p10le",
          .fpsString = "25/1",
          .colorTransfer = "smpte2084"},
         "libx265 -crf 12 -preset slow -tag:v hvc1 -pix_fmt yuv420p10le -r 25/1 -color_trc smpte2084"},
        {{.codec = "h264",
          .pixFmt = "yuv444p",
          .fpsString = "30/1",
          .colorSpace = "bt709",
          .colorRange = "unknown"},
         x264 + "yuv444p -r 30/1 -colorspace bt709"},
        {{.codec = "h264", .pixFmt = "yuv420p", .colorSpace = "bt2020nc", .colorRange = "pc"},
         x264 + "yuv420p -r 0/1 -colorspace bt2020nc -color_range pc"},
        // Only the exact lower-case words are dropped; anything else goes to ffmpeg as it is.
        {{.codec = "h264",
          .pixFmt = "yuv422p",
          .colorSpace = "unknown",
          .colorPrimaries = "reserved",
          .colorTransfer = "unknown",
          .colorRange = "Unknown"},
         x264 + "yuv422p -r 0/1 -color_range Unknown"},
        {{.codec = "mpeg4", .pixFmt = "yuv420p"}, x264 + "yuv420p -r 0/1"},
        {{.codec = "ProRes", .codecTag = "apch", .pixFmt = "yuv420p"}, x264 + "yuv420p -r 0/1"},
        {{.codec = "", .fpsString = ""}, "libx264 -crf 12 -preset slow -r "},  // no pixel format, empty rate
    };
    for (const auto& [fields, codecToColour] : rows) {
        const ClipInfo first("/m/a.mov", fields), second("/m/b.mov", {.codec = "hevc", .codecTag = "hvc1"});
        EXPECT_EQ(line(buildArguments({first, second}, "/m/o.mov")),
                  head + codecToColour + " -an -progress pipe:1 -nostats /m/o.mov");
    }
}

TEST(BuildArguments, InputsInListOrderAndTheKindFromEveryExtension) {
    std::vector<ClipInfo> clips;
    for (int i = 9; i >= 0; --i)
        clips.emplace_back("/m/" + std::to_string(i) + ".mov", ClipFields{.codec = "h264"});
    const std::string ten = line(buildArguments(clips, "/m/o.mov"));
    EXPECT_EQ(
        ten.substr(0, ten.find(" -map")),
        "-nostdin -hide_banner -n -i /m/9.mov -i /m/8.mov -i /m/7.mov -i /m/6.mov -i /m/5.mov -i /m/4.mov "
        "-i /m/3.mov -i /m/2.mov -i /m/1.mov -i /m/0.mov -filter_complex "
        "[0:v][1:v][2:v][3:v][4:v][5:v][6:v][7:v][8:v][9:v]hstack=inputs=10:shortest=1[v]");
    // Images of any case give the still-image vector; one movie anywhere gives the video vector, whose
    // codec block follows the first clip (a PNG is neither ProRes nor HEVC).
    EXPECT_EQ(
        line(buildArguments({image("/i/a.PNG", "rgb24"), image("/i/b.Jpeg", "rgb24")}, "/i/o.png")),
        line(buildImageArguments({image("/i/a.PNG", "rgb24"), image("/i/b.Jpeg", "rgb24")}, "/i/o.png")));
    EXPECT_EQ(line(buildArguments({image("/i/a.png", "rgba"), ClipInfo("/i/b.mov", {.codec = "hevc"})},
                                  "/i/o.png")),
              "-nostdin -hide_banner -n -i /i/a.png -i /i/b.mov -filter_complex "
              "[0:v][1:v]hstack=inputs=2:shortest=1[v] "
              "-map [v] -c:v libx264 -crf 12 -preset slow -pix_fmt rgba -r 0/1 -an -progress pipe:1 -nostats "
              "/i/o.png");
    EXPECT_EQ(
        line(buildArguments({}, "/i/o.png")),
        "-nostdin -hide_banner -n -filter_complex hstack=inputs=0[v] -map [v] -frames:v 1 -update 1 -c:v png "
        "-pix_fmt rgb24 /i/o.png");
}

// Each picture is read exactly as named and reaches hstack in the output's format, so an opaque or 8-bit
// first picture cannot strip the others' alpha or depth; the format follows the output's extension.
TEST(BuildImageArguments, FormatFollowsExtensionAlphaAndDepth) {
    struct Row {
        std::string first, second, output, converted, block;
    };
    const Row rows[] = {
        {"rgb24", "rgba", "o.png", "rgba", "-c:v png -pix_fmt rgba"},
        {"rgb24", "rgb24", "o.png", "rgb24", "-c:v png -pix_fmt rgb24"},
        {"gray", "gray", "o.png", "rgb24", "-c:v png -pix_fmt rgb24"},
        {"gray", "ya8", "o.PNG", "rgba", "-c:v png -pix_fmt rgba"},
        {"rgb24", "rgba64be", "o.png", "rgba64be", "-c:v png -pix_fmt rgba64be"},
        {"rgb48be", "rgb24", "o.png", "rgb48be", "-c:v png -pix_fmt rgb48be"},
        {"gray16be", "rgba", ".png", "rgba64be", "-c:v png -pix_fmt rgba64be"},
        {"rgb24", "rgba64be", "o.TIF", "rgba", "-c:v tiff -pix_fmt rgba"},
        {"rgb48be", "rgb24", "o.tiff", "rgb24", "-c:v tiff -pix_fmt rgb24"},
        {"rgb24", "rgba64be", "o.JPEG", "", "-c:v mjpeg -q:v 1 -pix_fmt yuvj444p"},
        {"rgba", "rgba", ".jpg", "", "-c:v mjpeg -q:v 1 -pix_fmt yuvj444p"},
        {"rgba", "rgba", "o.webp", "", ""},
        {"rgba", "rgba", "o.bmp", "", ""},
        {"rgba", "rgba", "o.gif", "", ""},
    };
    for (const Row& row : rows) {
        const std::string filter = row.converted.empty() ? "[0:v][1:v]hstack=inputs=2"
                                                         : "[0:v]format=" + row.converted +
                                                               "[i0];[1:v]format=" + row.converted +
                                                               "[i1];[i0][i1]hstack=inputs=2";
        EXPECT_EQ(
            line(buildImageArguments({image("/i/a.png", row.first), image("/i/b.png", row.second)},
                                     "/i/" + row.output)),
            "-nostdin -hide_banner -n -f image2pipe -i /i/a.png -f image2pipe -i /i/b.png -filter_complex " +
                filter + "[v] -map [v] -frames:v 1 -update 1 " + row.block + (row.block.empty() ? "" : " ") +
                "/i/" + row.output);
    }
}

}  // namespace
}  // namespace tessellane
