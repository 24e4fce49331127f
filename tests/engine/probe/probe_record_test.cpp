// From a format description to the record: the code table, the colour tables, the rate and the frame count,
// including the values no real file should hold.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/probe/movie_record.h"

namespace tessellane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::uint32_t code(const char (&text)[5]) {
    return (std::uint32_t(std::uint8_t(text[0])) << 24) | (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint8_t(text[3]);
}

VideoTrack track(std::uint32_t fourcc) {
    VideoTrack video;
    video.format.code = fourcc;
    video.format.width = 1920;
    video.format.height = 1080;
    video.minFrameDuration = {1, 25, true};
    video.durationSeconds = 10;
    return video;
}

TEST(MovieRecord, CodeTableGivesCodecPixelFormatAndProfile) {
    struct Case {
        std::uint32_t code;
        std::optional<std::int64_t> depth, bits;
        std::string tag, codec, pixFmt, profile;
    };
    const Case cases[] = {
        {code("apco"), 24, {}, "apco", "prores", "yuv422p10le", "422 Proxy"},
        {code("apcs"), 24, {}, "apcs", "prores", "yuv422p10le", "422 LT"},
        {code("apcn"), 32, {}, "apcn", "prores", "yuv422p10le", "422"},  // depth matters only for 4444
        {code("apch"), 24, {}, "apch", "prores", "yuv422p10le", "422 HQ"},
        {code("ap4h"), 32, {}, "ap4h", "prores", "yuva444p10le", "4444"},
        {code("ap4h"), 24, {}, "ap4h", "prores", "yuv444p10le", "4444"},
        {code("ap4x"), {}, {}, "ap4x", "prores", "yuv444p10le", "4444 XQ"},
        {code("ap4x"), 32, {}, "ap4x", "prores", "yuva444p10le", "4444 XQ"},
        {code("avc1"), 24, {}, "avc1", "h264", "yuv420p", ""},
        {code("avc3"), 24, 10, "avc3", "h264", "yuv420p", ""},
        {code("hvc1"), 24, 10, "hvc1", "hevc", "yuv420p10le", ""},
        {code("hev1"), 24, 8, "hev1", "hevc", "yuv420p", ""},
        {code("hvc1"), 24, {}, "hvc1", "hevc", "yuv420p", ""},  // no bit depth: 8
        {code("dvh1"), 24, 10, "dvh1", "dvh1", "", ""},
        {code("mp4v"), 24, {}, "mp4v", "mp4v", "", ""},
        {code("JPEG"), 24, {}, "JPEG", "jpeg", "", ""},
        {code("raw "), 24, {}, "raw ", "raw", "", ""},   // the blank stays in the tag only
        {code("APCH"), 24, {}, "APCH", "apch", "", ""},  // comparison is case-sensitive
        {0xA9786D6Cu, 24, {}, "", "", "", ""},           // not ASCII: empty tag and codec, not "?"
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.tag + "/" + test.codec);
        VideoTrack video = track(test.code);
        video.format.depth = test.depth;
        video.format.bitsPerComponent = test.bits;
        const ClipInfo clip = movieRecord(ClipInfo("/a/b.mov"), video, false);
        EXPECT_EQ(clip.codecTag, test.tag);
        EXPECT_EQ(clip.codec, test.codec);
        EXPECT_EQ(clip.pixFmt, test.pixFmt);
        EXPECT_EQ(clip.profile, test.profile);
        EXPECT_EQ(clip.width, 1920);
        EXPECT_EQ(clip.height, 1080);
    }
}

TEST(MovieRecord, ColourTablesTranslateOnlyKnownNames) {
    struct Case {
        std::optional<std::string> value;
        std::string primaries, transfer, matrix;
    };
    const Case cases[] = {
        {"ITU_R_709_2", "bt709", "bt709", "bt709"},
        {"SMPTE_C", "smpte170m", "", ""},
        {"EBU_3213", "bt470bg", "", ""},
        {"ITU_R_2020", "bt2020", "bt2020-10", "bt2020nc"},
        {"SMPTE_240M_1995", "", "smpte240m", "smpte240m"},
        {"SMPTE_ST_2084_PQ", "", "smpte2084", ""},
        {"ITU_R_2100_HLG", "", "arib-std-b67", ""},
        {"ITU_R_601_4", "", "", "smpte170m"},
        {"P3_D65", "", "", ""},
        {"itu_r_709_2", "", "", ""},
        {std::nullopt, "", "", ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.value.value_or("(missing)"));
        EXPECT_EQ(ffmpegPrimaries(test.value), test.primaries);
        EXPECT_EQ(ffmpegTransfer(test.value), test.transfer);
        EXPECT_EQ(ffmpegMatrix(test.value), test.matrix);
    }

    VideoTrack video = track(code("avc1"));
    EXPECT_EQ(movieRecord(ClipInfo("/x.mp4"), video, false).colorRange, "");
    video.format.fullRangeVideo = false;
    EXPECT_EQ(movieRecord(ClipInfo("/x.mp4"), video, false).colorRange, "tv");
    video.format.fullRangeVideo = true;
    video.format.colorPrimaries = "ITU_R_2020";
    video.format.transferFunction = "ITU_R_2100_HLG";
    video.format.yCbCrMatrix = "ITU_R_2020";
    const ClipInfo clip = movieRecord(ClipInfo("/x.mp4"), video, true);
    EXPECT_EQ(clip.colorRange, "pc");
    EXPECT_EQ(clip.colorPrimaries, "bt2020");
    EXPECT_EQ(clip.colorTransfer, "arib-std-b67");
    EXPECT_EQ(clip.colorSpace, "bt2020nc");
    EXPECT_TRUE(clip.hasAudio);
}

TEST(MovieRecord, RateIsAReducedFractionOrTheRoundedNominalRate) {
    struct Case {
        MediaTime minimum;
        double nominal;
        double seconds;
        std::string fps;
        std::int64_t frames;
    };
    const Case cases[] = {
        {{1, 25, true}, 0, 10, "25/1", 250},
        {{1001, 24000, true}, 0, 10.01, "24000/1001", 240},
        {{1001, 30000, true}, 0, 1.001, "30000/1001", 30},
        {{100, 2500, true}, 0, 1, "25/1", 25},
        {{512, 12800, true}, 0, 0.4, "25/1", 10},
        {{7, 7, true}, 0, 3, "1/1", 3},
        {{3, 2, true}, 0, 3, "2/3", 2},
        // An unusable minimum falls back to the nominal rate, rounded half away from zero.
        {{1001, 24000, false}, 23.976, 10, "24/1", 240},
        {{0, 24000, true}, 29.97, 1, "30/1", 30},
        {{1, 0, true}, 2.5, 2, "3/1", 6},
        {{0, 0, false}, 0.5, 10, "1/1", 10},
        {{0, 0, false}, 0.49, 10, "0/1", 0},
        // Values no sound file holds end with 0 frames, never with an undefined conversion.
        {{0, 0, false}, kNaN, 10, "0/1", 0},
        {{0, 0, false}, kInfinity, 10, "0/1", 0},
        {{0, 0, false}, -25, 10, "0/1", 0},
        {{0, 0, false}, 1e300, 10, "0/1", 0},
        {{1, 25, true}, 0, kNaN, "25/1", 0},
        {{1, 25, true}, 0, kInfinity, "25/1", 0},
        {{1, 25, true}, 0, -1, "25/1", 0},
        {{1, 25, true}, 0, 1e300, "25/1", 0},
        {{1, std::numeric_limits<std::int32_t>::max(), true}, 0, 1e10, "2147483647/1", 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.fps + " " + std::to_string(test.seconds));
        VideoTrack video = track(code("avc1"));
        video.minFrameDuration = test.minimum;
        video.nominalFrameRate = test.nominal;
        video.durationSeconds = test.seconds;
        const ClipInfo clip = movieRecord(ClipInfo("/x.mov"), video, false);
        EXPECT_EQ(clip.fpsString, test.fps);
        EXPECT_EQ(clip.frames, test.frames);
        EXPECT_TRUE(std::isfinite(clip.duration));
    }
}

TEST(ImageRecord, CodecFromTheExtensionAndFormatFromAlphaAndDepth) {
    struct Case {
        const char* path;
        bool alpha;
        int bits;
        std::string codec, pixFmt;
    };
    const Case cases[] = {
        {"/a.png", false, 8, "png", "rgb24"},      {"/a.PNG", true, 8, "png", "rgba"},
        {"/a.jpg", false, 12, "mjpeg", "rgb48be"}, {"/a.Jpeg", false, 8, "mjpeg", "rgb24"},
        {"/a.tif", true, 16, "tiff", "rgba64be"},  {"/a.TIFF", false, 1, "tiff", "rgb24"},
        {"/a.bmp", false, 8, "bmp", "rgb24"},      {"/a.WebP", true, 8, "webp", "rgba"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.path);
        const ClipInfo clip =
            imageRecord(ClipInfo(test.path), ImageHeader{ImageKind::png, 3, 2, test.alpha, test.bits});
        EXPECT_EQ(clip.codec, test.codec);
        EXPECT_EQ(clip.pixFmt, test.pixFmt);
        EXPECT_EQ(clip.width, 3);
        EXPECT_EQ(clip.height, 2);
        EXPECT_EQ(clip.frames, 1);
        EXPECT_EQ(clip.fpsString, "0/1");
    }
}

}  // namespace
}  // namespace tessellane
