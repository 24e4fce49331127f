#include "engine/merge/ffmpeg_args.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace tessellane {
namespace {

using Args = std::vector<std::string>;
using ::testing::ElementsAreArray;

ClipInfo video(const std::string& path, const std::string& codec, const std::string& tag = {},
               const std::string& pixFmt = "yuv420p") {
    ClipInfo clip(path, {.codec = codec, .codecTag = tag});
    clip.pixFmt = pixFmt;
    clip.fpsString = "25/1";
    return clip;
}

ClipInfo image(const std::string& path, const std::string& pixFmt) {
    ClipInfo clip(path, {.codec = "png"});
    clip.pixFmt = pixFmt;
    return clip;
}

// The elements that follow `option`, or "" when the option is absent.
std::string valueOf(const Args& args, const std::string& option) {
    auto it = std::find(args.begin(), args.end(), option);
    return it == args.end() || it + 1 == args.end() ? std::string() : *(it + 1);
}

bool contains(const Args& args, const std::string& element) {
    return std::find(args.begin(), args.end(), element) != args.end();
}

TEST(BuildArguments, ThreeProResClipsGiveTheExactVector) {
    std::vector<ClipInfo> clips;
    for (const char* name : {"A001.mov", "A002.mov", "A003.mov"}) {
        ClipInfo clip(std::string("/Volumes/Media/") + name, {.codec = "prores",
                                                              .codecTag = "apch",
                                                              .profile = "HQ",
                                                              .width = 1920,
                                                              .height = 1080,
                                                              .pixFmt = "yuv422p10le",
                                                              .fpsString = "24000/1001",
                                                              .frames = 1440,
                                                              .duration = 60.06,
                                                              .colorSpace = "bt709",
                                                              .colorPrimaries = "bt709",
                                                              .colorTransfer = "bt709",
                                                              .colorRange = "tv"});
        clips.push_back(clip);
    }
    const Args expected = {"-nostdin",
                           "-hide_banner",
                           "-n",
                           "-i",
                           "/Volumes/Media/A001.mov",
                           "-i",
                           "/Volumes/Media/A002.mov",
                           "-i",
                           "/Volumes/Media/A003.mov",
                           "-filter_complex",
                           "[0:v][1:v][2:v]hstack=inputs=3:shortest=1[v]",
                           "-map",
                           "[v]",
                           "-c:v",
                           "prores_ks",
                           "-profile:v",
                           "3",
                           "-vendor",
                           "apl0",
                           "-pix_fmt",
                           "yuv422p10le",
                           "-r",
                           "24000/1001",
                           "-colorspace",
                           "bt709",
                           "-color_primaries",
                           "bt709",
                           "-color_trc",
                           "bt709",
                           "-color_range",
                           "tv",
                           "-an",
                           "-progress",
                           "pipe:1",
                           "-nostats",
                           "/Volumes/Media/out.mov"};
    EXPECT_THAT(buildArguments(clips, "/Volumes/Media/out.mov"), ElementsAreArray(expected));
}

TEST(BuildArguments, H264WithoutTransferAndUnknownRangeLeavesBothPairsOut) {
    ClipInfo left("/tmp/left.mp4", {.codec = "h264",
                                    .codecTag = "avc1",
                                    .width = 640,
                                    .height = 360,
                                    .pixFmt = "yuv420p",
                                    .fpsString = "30/1",
                                    .frames = 10,
                                    .duration = 1,
                                    .colorSpace = "bt709",
                                    .colorPrimaries = "bt709",
                                    .colorRange = "unknown"});
    ClipInfo right("/tmp/right.mp4", {.codec = "h264"});
    const Args expected = {"-nostdin",
                           "-hide_banner",
                           "-n",
                           "-i",
                           "/tmp/left.mp4",
                           "-i",
                           "/tmp/right.mp4",
                           "-filter_complex",
                           "[0:v][1:v]hstack=inputs=2:shortest=1[v]",
                           "-map",
                           "[v]",
                           "-c:v",
                           "libx264",
                           "-crf",
                           "12",
                           "-preset",
                           "slow",
                           "-pix_fmt",
                           "yuv420p",
                           "-r",
                           "30/1",
                           "-colorspace",
                           "bt709",
                           "-color_primaries",
                           "bt709",
                           "-an",
                           "-progress",
                           "pipe:1",
                           "-nostats",
                           "/tmp/out.mp4"};
    EXPECT_THAT(buildArguments({left, right}, "/tmp/out.mp4"), ElementsAreArray(expected));
}

TEST(BuildArguments, CodecBlockFollowsTheFirstClipOnly) {
    struct Case {
        std::string codec, tag, profile;
        Args block;
    };
    const Case cases[] = {
        {"prores", "ap4x", "", {"-c:v", "prores_ks", "-profile:v", "5", "-vendor", "apl0"}},
        {"prores", "ap4h", "", {"-c:v", "prores_ks", "-profile:v", "4", "-vendor", "apl0"}},
        {"prores", "apco", "", {"-c:v", "prores_ks", "-profile:v", "0", "-vendor", "apl0"}},
        {"prores", "????", "4444 XQ", {"-c:v", "prores_ks", "-profile:v", "5", "-vendor", "apl0"}},
        {"prores", "????", "", {"-c:v", "prores_ks", "-profile:v", "2", "-vendor", "apl0"}},
        {"hevc", "hvc1", "", {"-c:v", "libx265", "-crf", "12", "-preset", "slow", "-tag:v", "hvc1"}},
        {"h264", "avc1", "", {"-c:v", "libx264", "-crf", "12", "-preset", "slow"}},
        {"", "", "", {"-c:v", "libx264", "-crf", "12", "-preset", "slow"}},
        {"mpeg4", "mp4v", "", {"-c:v", "libx264", "-crf", "12", "-preset", "slow"}},
        {"ProRes", "apch", "", {"-c:v", "libx264", "-crf", "12", "-preset", "slow"}},
    };
    for (const Case& test : cases) {
        ClipInfo first = video("/m/a.mov", test.codec, test.tag);
        first.profile = test.profile;
        // The second clip's codec never matters.
        const Args args = buildArguments({first, video("/m/b.mov", "hevc", "hvc1")}, "/m/o.mov");
        const auto start = std::find(args.begin(), args.end(), "-c:v");
        ASSERT_NE(start, args.end());
        EXPECT_EQ(Args(start, start + static_cast<long>(test.block.size())), test.block)
            << test.codec << test.tag;
        EXPECT_EQ(*(start + static_cast<long>(test.block.size())), "-pix_fmt");
    }
}

TEST(BuildArguments, ColourTagsAreTestedOneByOne) {
    struct Case {
        std::string space, primaries, transfer, range;
        Args tail;  // from "-r" up to "-an"
    };
    const Case cases[] = {
        {"", "", "", "", {"-r", "25/1", "-an"}},
        {"unknown", "reserved", "unknown", "reserved", {"-r", "25/1", "-an"}},
        {"", "", "smpte2084", "", {"-r", "25/1", "-color_trc", "smpte2084", "-an"}},
        {"bt2020nc", "", "", "pc", {"-r", "25/1", "-colorspace", "bt2020nc", "-color_range", "pc", "-an"}},
        // Only the exact lower-case words are dropped; anything else goes to ffmpeg as it is.
        {"", "", "", "Unknown", {"-r", "25/1", "-color_range", "Unknown", "-an"}},
    };
    for (const Case& test : cases) {
        ClipInfo first = video("/m/a.mov", "h264");
        first.colorSpace = test.space;
        first.colorPrimaries = test.primaries;
        first.colorTransfer = test.transfer;
        first.colorRange = test.range;
        const Args args = buildArguments({first, video("/m/b.mov", "h264")}, "/m/o.mov");
        const auto from = std::find(args.begin(), args.end(), "-r");
        const auto to = std::find(args.begin(), args.end(), "-an");
        EXPECT_EQ(Args(from, to + 1), test.tail);
    }
}

TEST(BuildArguments, EmptyPixelFormatDropsThePairAndEmptyRateIsStillPassed) {
    ClipInfo first = video("/m/a.mov", "h264", "avc1", "");
    first.fpsString = "";
    const Args args = buildArguments({first, video("/m/b.mov", "h264")}, "/m/o.mov");
    EXPECT_FALSE(contains(args, "-pix_fmt"));
    const auto rate = std::find(args.begin(), args.end(), "-r");
    ASSERT_NE(rate, args.end());
    EXPECT_EQ(*(rate - 1), "slow");  // directly after the codec block
    EXPECT_EQ(*(rate + 1), "");
}

TEST(BuildArguments, InputsKeepListOrderAndPathsStayWhole) {
    std::vector<ClipInfo> clips;
    for (int i = 0; i < 10; ++i)
        clips.push_back(video("/m/clip " + std::to_string(9 - i) + " [x].mov", "h264"));
    const FileURL output = "/m/my out [final].mov";
    const Args args = buildArguments(clips, output);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(args[3 + 2 * i], "-i");
        EXPECT_EQ(args[4 + 2 * i], "/m/clip " + std::to_string(9 - i) + " [x].mov");
    }
    EXPECT_EQ(valueOf(args, "-filter_complex"),
              "[0:v][1:v][2:v][3:v][4:v][5:v][6:v][7:v][8:v][9:v]hstack=inputs=10:shortest=1[v]");
    EXPECT_EQ(args.back(), output.string());

    EXPECT_EQ(valueOf(buildArguments({video("/m/a.mov", "h264")}, output), "-filter_complex"),
              "[0:v]hstack=inputs=1:shortest=1[v]");
}

TEST(BuildArguments, KindIsDecidedByLowerCasedExtensionsOfAllClips) {
    // All images (any case) give the still-image vector; one movie anywhere gives the video vector.
    const Args images = buildArguments({image("/i/a.PNG", "rgb24"), image("/i/b.Jpeg", "rgb24")}, "/i/o.png");
    EXPECT_TRUE(contains(images, "-frames:v"));
    EXPECT_FALSE(contains(images, "-progress"));

    const Args mixedImageFirst =
        buildArguments({image("/i/a.png", "rgba"), video("/i/b.mov", "h264")}, "/i/o.png");
    EXPECT_TRUE(contains(mixedImageFirst, "-progress"));
    EXPECT_EQ(valueOf(mixedImageFirst, "-c:v"), "libx264");  // the png codec is not ProRes or HEVC
    EXPECT_EQ(valueOf(mixedImageFirst, "-pix_fmt"), "rgba");

    const Args mixedVideoFirst =
        buildArguments({video("/i/a.mov", "hevc"), image("/i/b.png", "rgba")}, "/i/o.mov");
    EXPECT_EQ(valueOf(mixedVideoFirst, "-c:v"), "libx265");

    const Args empty = buildArguments({}, "/i/o.png");
    EXPECT_EQ(valueOf(empty, "-filter_complex"), "hstack=inputs=0[v]");
    EXPECT_FALSE(contains(empty, "-i"));
    EXPECT_EQ(valueOf(empty, "-pix_fmt"), "rgb24");
}

TEST(BuildImageArguments, TwoPngImagesGiveTheExactVector) {
    const std::vector<ClipInfo> clips = {image("/img/left.png", "rgb24"), image("/img/right.png", "rgba")};
    auto vector = [](const std::string& filter, const Args& block, const std::string& output) {
        Args args = {"-nostdin",
                     "-hide_banner",
                     "-n",
                     "-f",
                     "image2pipe",
                     "-i",
                     "/img/left.png",
                     "-f",
                     "image2pipe",
                     "-i",
                     "/img/right.png",
                     "-filter_complex",
                     filter,
                     "-map",
                     "[v]",
                     "-frames:v",
                     "1",
                     "-update",
                     "1"};
        args.insert(args.end(), block.begin(), block.end());
        args.push_back(output);
        return args;
    };
    // Each picture reaches hstack in the output's format, so the opaque first one cannot strip the
    // second one's alpha.
    EXPECT_THAT(
        buildArguments(clips, "/img/out.png"),
        ElementsAreArray(vector("[0:v]format=rgba[i0];[1:v]format=rgba[i1];[i0][i1]hstack=inputs=2[v]",
                                {"-c:v", "png", "-pix_fmt", "rgba"}, "/img/out.png")));
    const Args jpeg = {"-c:v", "mjpeg", "-q:v", "1", "-pix_fmt", "yuvj444p"};
    EXPECT_THAT(buildImageArguments(clips, "/img/out.jpg"),
                ElementsAreArray(vector("[0:v][1:v]hstack=inputs=2[v]", jpeg, "/img/out.jpg")));
    // An output named by its extension alone still gets its format block.
    EXPECT_THAT(buildImageArguments(clips, "/img/.jpg"),
                ElementsAreArray(vector("[0:v][1:v]hstack=inputs=2[v]", jpeg, "/img/.jpg")));
}

TEST(BuildImageArguments, FormatBlockFollowsExtensionAlphaAndDepth) {
    struct Case {
        std::vector<std::string> pixFmts;
        std::string output;
        Args block;  // everything after "-update", "1" and before the output path
    };
    const Case cases[] = {
        {{"rgb24", "rgb24"}, "o.png", {"-c:v", "png", "-pix_fmt", "rgb24"}},
        {{"gray", "gray"}, "o.png", {"-c:v", "png", "-pix_fmt", "rgb24"}},
        {{"gray", "ya8"}, "o.PNG", {"-c:v", "png", "-pix_fmt", "rgba"}},
        {{"rgb24", "rgba64be"}, "o.png", {"-c:v", "png", "-pix_fmt", "rgba64be"}},
        {{"rgb48be", "rgb24"}, "o.png", {"-c:v", "png", "-pix_fmt", "rgb48be"}},
        {{"gray16be", "rgba"}, "o.png", {"-c:v", "png", "-pix_fmt", "rgba64be"}},
        {{"rgb24", "rgba64be"}, "o.TIF", {"-c:v", "tiff", "-pix_fmt", "rgba"}},
        {{"rgb48be", "rgb24"}, "o.tiff", {"-c:v", "tiff", "-pix_fmt", "rgb24"}},
        {{"rgb24", "rgba64be"}, "o.JPEG", {"-c:v", "mjpeg", "-q:v", "1", "-pix_fmt", "yuvj444p"}},
        {{"rgba", "rgba"}, "o.jpg", {"-c:v", "mjpeg", "-q:v", "1", "-pix_fmt", "yuvj444p"}},
        {{"rgba", "rgba"}, "o.webp", {}},
        {{"rgba", "rgba"}, "o.bmp", {}},
        {{"rgba", "rgba"}, "o.gif", {}},
    };
    for (const Case& test : cases) {
        std::vector<ClipInfo> clips;
        for (std::size_t i = 0; i < test.pixFmts.size(); ++i)
            clips.push_back(image("/i/" + std::to_string(i) + ".png", test.pixFmts[i]));
        const Args args = buildImageArguments(clips, "/i/" + test.output);
        const auto update = std::find(args.begin(), args.end(), "-update");
        ASSERT_NE(update, args.end());
        EXPECT_EQ(Args(update + 2, args.end() - 1), test.block) << test.output << " " << test.pixFmts[1];
        EXPECT_EQ(args.back(), "/i/" + test.output);
    }
}

}  // namespace
}  // namespace tessellane
