#include "engine/core/clip_info.h"

#include <gtest/gtest.h>

#include <cmath>
#include <unordered_set>

namespace tessellane {
namespace {

TEST(ClipInfo, DefaultsFromUrlAlone) {
    ClipInfo a(FileURL("/m/clip.mov"));
    EXPECT_EQ(a.codec, "?");
    EXPECT_EQ(a.fpsString, "0/1");
    EXPECT_EQ(a.fps(), 0);
    EXPECT_EQ(a.frames, 0);
    EXPECT_EQ(a.duration, 0.0);
    EXPECT_TRUE(a.codecTag.empty() && a.profile.empty() && a.pixFmt.empty());
    EXPECT_TRUE(a.colorSpace.empty() && a.colorPrimaries.empty() && a.colorTransfer.empty() &&
                a.colorRange.empty());
    EXPECT_FALSE(a.hasAudio);
    EXPECT_EQ(a.fileSize, 0);
    EXPECT_FALSE(a.error.has_value());

    ClipInfo b(FileURL("/m/clip.mov"));
    EXPECT_NE(a.id(), b.id());
    EXPECT_NE(a, b);
}

TEST(ClipInfo, ConstructorTakesFieldsInDeclarationOrder) {
    ClipInfo c(FileURL("/m/a.mov"), {.codec = "prores",
                                     .codecTag = "apch",
                                     .profile = "422 HQ",
                                     .width = 1920,
                                     .height = 1080,
                                     .pixFmt = "yuv422p10le",
                                     .fpsString = "24000/1001",
                                     .frames = 240,
                                     .duration = 10.01,
                                     .colorSpace = "bt709",
                                     .colorPrimaries = "bt709",
                                     .colorTransfer = "bt709",
                                     .colorRange = "tv",
                                     .hasAudio = true,
                                     .fileSize = 123,
                                     .error = std::string("err")});
    EXPECT_EQ(c.codec, "prores");
    EXPECT_EQ(c.codecTag, "apch");
    EXPECT_EQ(c.profile, "422 HQ");
    EXPECT_EQ(c.width, 1920);
    EXPECT_EQ(c.height, 1080);
    EXPECT_EQ(c.pixFmt, "yuv422p10le");
    EXPECT_EQ(c.fpsString, "24000/1001");
    EXPECT_EQ(c.frames, 240);
    EXPECT_EQ(c.duration, 10.01);
    EXPECT_EQ(c.colorRange, "tv");
    EXPECT_TRUE(c.hasAudio);
    EXPECT_EQ(c.fileSize, 123);
    EXPECT_EQ(c.error, "err");
}

TEST(ClipInfo, CopyKeepsIdentityUntilAFieldChanges) {
    ClipInfo a(FileURL("/m/a.mov"));
    a.duration = 3.5;
    ClipInfo copy = a;
    EXPECT_EQ(copy.id(), a.id());
    EXPECT_EQ(copy, a);
    EXPECT_EQ(std::hash<ClipInfo>{}(copy), std::hash<ClipInfo>{}(a));
    copy.pixFmt = "yuv420p";
    EXPECT_NE(copy, a);
    a.pixFmt = "yuv420p";
    EXPECT_EQ(copy, a);
}

TEST(ClipInfo, NegativeZeroDurationHashesLikeZero) {
    ClipInfo a(FileURL("/m/a.mov"));
    ClipInfo b = a;
    a.duration = 0.0;
    b.duration = -0.0;
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<ClipInfo>{}(a), std::hash<ClipInfo>{}(b));
}

TEST(ClipInfo, HashSeparatesErrorPresenceFromText) {
    ClipInfo a(FileURL("/m/a.mov"));
    ClipInfo b = a;
    b.error = std::string();  // present but empty differs from absent
    EXPECT_NE(a, b);
    std::unordered_set<std::size_t> hashes{std::hash<ClipInfo>{}(a), std::hash<ClipInfo>{}(b)};
    EXPECT_EQ(hashes.size(), 2u);
}

TEST(Uuid, IsVersionFourWithRfcVariantAndUnique) {
    std::unordered_set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        Uuid id = Uuid::random();
        EXPECT_EQ(id.bytes()[6] >> 4, 4);
        EXPECT_EQ(id.bytes()[8] >> 6, 2);
        std::string text = id.toString();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[14], '4');
        EXPECT_TRUE(seen.insert(text).second) << text;
    }
}

TEST(ClipInfo, FrameRateParse) {
    struct Case {
        const char* text;
        double fps;
    };
    const Case cases[] = {
        {"30000/1001", 30000.0 / 1001.0},
        {"25/1", 25},
        {"25", 25},
        {"0/1", 0},
        {"24/0", 24},
        {"x/25", 25},
        {"1/2/3", 1},
        {"/25/", 25},
        {"", 0},
        {"abc", 0},
        {"24000/1001/", 24000.0 / 1001},
        {"+25/1", 25},
        {"2.5/1", 2.5},
        {" 25", 0},
        {"12/x", 12},
    };
    for (const Case& c : cases) {
        ClipInfo clip(FileURL("/m/a.mov"));
        clip.fpsString = c.text;
        EXPECT_DOUBLE_EQ(clip.fps(), c.fps) << '"' << c.text << '"';
    }
}

TEST(ClipInfo, Timecode) {
    struct Case {
        double seconds;
        const char* text;
    };
    const Case cases[] = {
        {3725.4, "01:02:05"}, {59.5, "00:01:00"},    {0, "00:00:00"},   {360000, "100:00:00"},
        {0.49, "00:00:00"},   {86399.6, "24:00:00"}, {NAN, "00:00:00"}, {INFINITY, "00:00:00"},
    };
    for (const Case& c : cases) {
        ClipInfo clip(FileURL("/m/a.mov"));
        clip.duration = c.seconds;
        EXPECT_EQ(clip.timecode(), c.text) << c.seconds;
    }
}

TEST(ClipInfo, KindAndContainerFromExtension) {
    struct Case {
        const char* path;
        bool image;
        const char* container;
    };
    const Case cases[] = {
        {"/m/photo.JPG", true, "JPEG 이미지"},
        {"/m/scan.TiF", true, "TIFF 이미지"},
        {"/m/clip.mov", false, "QuickTime"},
        {"/m/CLIP.MOV", false, "QuickTime"},
        {"/m/a.M4V", false, "MPEG-4"},
        {"/m/a.mp4", false, "MPEG-4"},
        {"/m/noext", false, ""},
        {"/m/a.png", true, "PNG 이미지"},
        {"/m/a.bmp", true, "BMP"},
        {"/m/a.webp", true, "WEBP"},
        {"/m/a.mkv", false, "MKV"},
        {"/m/a.jpeg", true, "JPEG 이미지"},
        {"/m/dir.png/clip", false, ""},
        {"/m/x.tar.Gz", false, "GZ"},
        {"/m/.png", true, "PNG 이미지"},
        {"/m/.MOV", false, "QuickTime"},
        {"/m/a.", false, ""},
    };
    for (const Case& c : cases) {
        ClipInfo clip{FileURL(c.path)};
        EXPECT_EQ(clip.isImage(), c.image) << c.path;
        EXPECT_EQ(clip.containerLabel(), c.container) << c.path;
    }
    EXPECT_EQ(ClipInfo(FileURL("/m/dir/clip 1.mov")).name(), "clip 1.mov");
}

TEST(ClipInfo, CodecLabel) {
    struct Case {
        const char* codec;
        const char* tag;
        const char* profile;
        const char* label;
    };
    const Case cases[] = {
        {"prores", "ap4x", "", "ProRes 4444 XQ"},
        {"prores", "apch", "", "ProRes 422 HQ"},
        {"prores", "zzzz", "", "ProRes "},
        {"prores", "zzzz", "Custom", "ProRes Custom"},
        {"hevc", "hvc1", "", "HEVC"},
        {"h264", "avc1", "", "H264"},
        {"png", "", "", "PNG"},
        {"?", "", "", "?"},
        {"ProRes", "apch", "", "PRORES"},  // the family name is exact
    };
    for (const Case& c : cases) {
        ClipInfo clip(FileURL("/m/a.mov"), {.codec = c.codec, .codecTag = c.tag, .profile = c.profile});
        EXPECT_EQ(clip.codecLabel(), c.label) << c.codec << "/" << c.tag;
    }
}

TEST(Prores, NameAndNumberTables) {
    struct Case {
        const char* tag;
        const char* profile;
        const char* name;
        int number;
    };
    const Case cases[] = {
        {"apco", "", "422 Proxy", 0},  {"apcs", "", "422 LT", 1},
        {"apcn", "", "422", 2},        {"apch", "", "422 HQ", 3},
        {"ap4h", "", "4444", 4},       {"ap4x", "", "4444 XQ", 5},
        {"APCH", "", "", 2},           {"", "422 HQ", "422 HQ", 3},
        {"", "Proxy", "Proxy", 0},     {"", "422", "422", 2},
        {"", "4444 XQ", "4444 XQ", 5}, {"", "4444", "4444", 4},
        {"", "lt", "lt", 1},           {"", "", "", 2},
        {"xxxx", "hq", "hq", 3},       {"apch", "proxy", "422 HQ", 3},  // a known code wins over the text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(proresName(c.tag, c.profile), c.name) << c.tag << "/" << c.profile;
        EXPECT_EQ(proresProfileNumber(c.tag, c.profile), c.number) << c.tag << "/" << c.profile;
    }
}

TEST(ClipInfo, SizeLabelUsesDecimalUnits) {
    struct Case {
        std::int64_t bytes;
        const char* label;
    };
    const Case cases[] = {
        {0, "0 bytes"},          {1, "1 byte"},           {999, "999 bytes"},     {1000, "1 KB"},
        {1499, "1 KB"},          {999499, "999 KB"},      {999500, "1 MB"},       {1500000, "1.5 MB"},
        {123456789, "123.5 MB"}, {1234567890, "1.23 GB"}, {50000000000, "50 GB"}, {INT64_MAX, "9.22 EB"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatByteCount(c.bytes), c.label) << c.bytes;
}

}  // namespace
}  // namespace tessellane
