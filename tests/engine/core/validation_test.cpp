#include "engine/core/validation.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using Texts = std::vector<std::string>;

ClipInfo movie(const char* name, const char* codec, const char* tag, const char* pixFmt, const char* fps,
               std::int64_t frames, std::int64_t height = 1080) {
    ClipInfo c(FileURL(std::string("/v/") + name), {.codec = codec, .codecTag = tag});
    c.pixFmt = pixFmt;
    c.fpsString = fps;
    c.frames = frames;
    c.width = 1920;
    c.height = height;
    return c;
}

ClipInfo h264(const char* name, std::int64_t height = 1080, std::int64_t frames = 100) {
    return movie(name, "h264", "avc1", "yuv420p", "30/1", frames, height);
}

ClipInfo image(const char* name, std::int64_t height = 1080) {
    ClipInfo c(FileURL(std::string("/i/") + name), {.codec = "png"});
    c.height = height;
    c.width = 100;
    c.frames = 1;
    return c;
}

ClipInfo unreadable(const char* name, const char* error = "읽을 수 없는 이미지") {
    ClipInfo c(FileURL(std::string("/v/") + name));
    c.error = error;
    return c;
}

TEST(Validation, WorkedExampleMixedCodecsWarnInOrder) {
    std::vector<ClipInfo> clips = {
        movie("a.mov", "prores", "apch", "yuv422p10le", "24000/1001", 1000),
        movie("b.mov", "h264", "avc1", "yuv420p", "24000/1001", 980),
        movie("c.mov", "h264", "avc1", "yuv420p", "24000/1001", 1000),
    };
    Validation v = validate(clips);
    EXPECT_TRUE(v.ok());
    EXPECT_EQ(v.blocking, Texts{});
    EXPECT_EQ(v.warnings, (Texts{
                              "코덱이 서로 다릅니다 — 첫 파일(ProRes 422 HQ) 사양으로 인코딩",
                              "픽셀 포맷이 서로 다릅니다 — 첫 파일(yuv422p10le)로 변환",
                              "길이가 다릅니다 — 짧은 쪽(980f) 기준으로 자름",
                          }));
}

TEST(Validation, WorkedExampleHeightAndRateBlock) {
    std::vector<ClipInfo> clips = {
        movie("a.mp4", "h264", "avc1", "yuv420p", "30000/1001", 10, 1080),
        movie("b.mp4", "h264", "avc1", "yuv420p", "30/1", 10, 720),
    };
    Validation v = validate(clips);
    EXPECT_FALSE(v.ok());
    EXPECT_EQ(v.blocking, (Texts{"높이가 다릅니다: 1080 / 720", "fps가 다릅니다: 30 / 30"}));
    EXPECT_EQ(v.warnings, Texts{});
}

TEST(Validation, Cases) {
    struct Case {
        const char* what;
        std::vector<ClipInfo> clips;
        Texts blocking;
        Texts warnings;
    };
    ClipInfo apcn = movie("b.mov", "prores", "apcn", "yuv420p", "30/1", 100);
    ClipInfo mp4v = movie("a.mov", "mp4v", "mp4v", "yuv420p", "30/1", 100);
    ClipInfo unknown = movie("a.mov", "?", "", "yuv420p", "30/1", 100);
    ClipInfo mp4vSecond = movie("b.mov", "mp4v", "mp4v", "yuv420p", "30/1", 100);
    ClipInfo at23976 = movie("a.mov", "h264", "avc1", "yuv420p", "24000/1001", 100);
    ClipInfo at24 = movie("b.mov", "h264", "avc1", "yuv420p", "24/1", 100);
    ClipInfo longer = h264("b.mov");
    longer.duration = 99;
    ClipInfo noPixFmt = h264("b.mov");
    noPixFmt.pixFmt = "";

    const Case cases[] = {
        {"empty list", {}, {"파일이 2개 이상 필요합니다"}, {}},
        {"one clip", {h264("a.mov")}, {"파일이 2개 이상 필요합니다"}, {}},
        {"one unreadable clip", {unreadable("a.mov")}, {"파일이 2개 이상 필요합니다"}, {}},
        {"error stops before heights",
         {h264("a.mov", 720), unreadable("b.mov")},
         {"b.mov: 읽을 수 없는 이미지"},
         {}},
        {"only the first unreadable clip is named",
         {h264("a.mov"), unreadable("b.mov", "x"), unreadable("c.mov", "y")},
         {"b.mov: x"},
         {}},
        {"movie and image",
         {h264("a.mov"), image("b.png")},
         {"이미지와 영상을 섞을 수 없습니다 — 한 종류만 넣어 주세요"},
         {}},
        {"movie and image of other heights, differing codecs",
         {movie("a.mov", "prores", "apch", "yuv422p10le", "25/1", 5, 1080), image("b.png", 720)},
         {"높이가 다릅니다: 1080 / 720", "이미지와 영상을 섞을 수 없습니다 — 한 종류만 넣어 주세요"},
         {}},
        {"png PNG png", {image("a.png"), image("b.PNG"), image("c.png")}, {}, {}},
        {"png then jpg",
         {image("a.png"), image("b.jpg")},
         {},
         {"이미지 형식이 서로 다릅니다 — 첫 파일(PNG) 형식으로 저장"}},
        {"jpg and jpeg differ",
         {image("photo.jpg"), image("photo.jpeg")},
         {},
         {"이미지 형식이 서로 다릅니다 — 첫 파일(JPG) 형식으로 저장"}},
        {"extension upper-cased as written",
         {image("a.Tif"), image("b.png")},
         {},
         {"이미지 형식이 서로 다릅니다 — 첫 파일(TIF) 형식으로 저장"}},
        {"images of other heights and kinds",
         {image("a.png", 1080), image("b.webp", 720)},
         {"높이가 다릅니다: 1080 / 720"},
         {"이미지 형식이 서로 다릅니다 — 첫 파일(PNG) 형식으로 저장"}},
        {"unsupported first codec",
         {mp4v, h264("b.mov")},
         {"지원하지 않는 코덱: mp4v (ProRes·H.264·HEVC만)"},
         {"코덱이 서로 다릅니다 — 첫 파일(MP4V) 사양으로 인코딩"}},
        {"default codec",
         {unknown, h264("b.mov")},
         {"지원하지 않는 코덱: ? (ProRes·H.264·HEVC만)"},
         {"코덱이 서로 다릅니다 — 첫 파일(?) 사양으로 인코딩"}},
        {"only the first codec is tested",
         {h264("a.mov"), mp4vSecond},
         {},
         {"코덱이 서로 다릅니다 — 첫 파일(H264) 사양으로 인코딩"}},
        {"prores codes differ",
         {movie("a.mov", "prores", "apch", "yuv420p", "30/1", 100), apcn},
         {},
         {"코덱이 서로 다릅니다 — 첫 파일(ProRes 422 HQ) 사양으로 인코딩"}},
        {"23.976 and 24 both show as 24", {at23976, at24}, {"fps가 다릅니다: 24 / 24"}, {}},
        {"same frames, other durations", {h264("a.mov"), longer}, {}, {}},
        {"empty first pixel format",
         {noPixFmt, h264("a.mov")},
         {},
         {"픽셀 포맷이 서로 다릅니다 — 첫 파일()로 변환"}},
        {"shortest of three",
         {h264("a.mov", 1080, 50), h264("b.mov", 1080, 7), h264("c.mov", 1080, 50)},
         {},
         {"길이가 다릅니다 — 짧은 쪽(7f) 기준으로 자름"}},
        {"three heights",
         {h264("a.mov", 1080), h264("b.mov", 1080), h264("c.mov", 2160)},
         {"높이가 다릅니다: 1080 / 1080 / 2160"},
         {}},
    };
    for (const Case& c : cases) {
        Validation v = validate(c.clips);
        EXPECT_EQ(v.blocking, c.blocking) << c.what;
        EXPECT_EQ(v.warnings, c.warnings) << c.what;
        EXPECT_EQ(v.ok(), c.blocking.empty()) << c.what;
    }
}

TEST(Validation, OddOutputSizesAreRefusedWhereTheEncoderNeedsEvenOnes) {
    const auto sized = [](ClipInfo clip, std::int64_t width, const char* pixFmt = nullptr) {
        clip.width = width;
        if (pixFmt) clip.pixFmt = pixFmt;
        return clip;
    };
    const auto prores = [](const char* name, const char* pixFmt, std::int64_t height) {
        return movie(name, "prores", "apch", pixFmt, "30/1", 100, height);
    };
    const auto odd = [](const char* size, const char* pixFmt) {
        return std::string("결과 크기가 홀수입니다: ") + size + " — 픽셀 포맷(" + pixFmt +
               ")에는 짝수 크기가 필요합니다";
    };
    struct Case {
        const char* what;
        std::vector<ClipInfo> clips;
        Texts blocking;
    };
    const Case cases[] = {
        {"4:2:0, odd width", {sized(h264("a.mov"), 1921), h264("b.mov")}, {odd("3841×1080", "yuv420p")}},
        {"4:2:0, odd height", {h264("a.mov", 1081), h264("b.mov", 1081)}, {odd("3840×1081", "yuv420p")}},
        {"4:2:0, two odd widths make an even one",
         {sized(h264("a.mov"), 1921), sized(h264("b.mov"), 1919)},
         {}},
        {"semi-planar 4:2:0",
         {sized(h264("a.mov"), 33, "p010le"), sized(h264("b.mov"), 32)},
         {odd("65×1080", "p010le")}},
        {"only the first clip's format counts",
         {sized(h264("a.mov"), 33, "yuv444p"), sized(h264("b.mov"), 32)},
         {}},
        // prores_ks, the only encoder that gets a 4:2:2 format, writes odd widths and heights.
        {"4:2:2, odd width and height",
         {sized(prores("a.mov", "yuv422p10le", 1081), 33), prores("b.mov", "yuv422p10le", 1081)},
         {}},
        {"4:4:4, odd width and height",
         {sized(prores("a.mov", "yuv444p10le", 1081), 33), prores("b.mov", "yuv444p10le", 1081)},
         {}},
        {"unknown format", {sized(h264("a.mov"), 33, ""), h264("b.mov")}, {}},
        // Without one height there is no output size to speak of.
        {"heights differ",
         {sized(h264("a.mov"), 1921), h264("b.mov", 1081)},
         {"높이가 다릅니다: 1080 / 1081"}},
        {"after the rate and codec messages",
         {sized(movie("a.mov", "mp4v", "mp4v", "yuv420p", "25/1", 100), 1921), h264("b.mov")},
         {"fps가 다릅니다: 25 / 30", "지원하지 않는 코덱: mp4v (ProRes·H.264·HEVC만)",
          odd("3841×1080", "yuv420p")}},
        {"images never",
         {sized(image("a.png", 33), 33, "yuv420p"), sized(image("b.png", 33), 32, "yuv420p")},
         {}},
    };
    for (const Case& c : cases) EXPECT_EQ(validate(c.clips).blocking, c.blocking) << c.what;
}

TEST(Validation, RatesFormatWithThreeSignificantDigits) {
    struct Case {
        const char* fps;
        const char* shown;
    };
    const Case cases[] = {{"30/1", "30"},   {"24/1", "24"}, {"60000/1001", "59.9"},
                          {"120/1", "120"}, {"0/1", "0"},   {"1000/1", "1e+03"}};
    for (const Case& c : cases) {
        std::vector<ClipInfo> clips = {movie("a.mov", "h264", "avc1", "yuv420p", c.fps, 1),
                                       movie("b.mov", "h264", "avc1", "yuv420p", "7/3", 1)};
        Validation v = validate(clips);
        ASSERT_EQ(v.blocking.size(), 1u) << c.fps;
        EXPECT_EQ(v.blocking[0], std::string("fps가 다릅니다: ") + c.shown + " / 2.33") << c.fps;
    }
}

// The window's toolkit switches the process to the user's locale; a decimal comma must not leak into
// the messages.
TEST(Validation, RatesIgnoreADecimalCommaLocale) {
    std::string printed(16, '\0'), size;
    Validation v;
    {
        testing::ScopedLocale comma("de_DE.UTF-8");
        printed.resize(static_cast<std::size_t>(std::snprintf(printed.data(), printed.size(), "%.1f", 2.5)));
        v = validate({movie("a.mov", "h264", "avc1", "yuv420p", "30000/1001", 1),
                      movie("b.mov", "h264", "avc1", "yuv420p", "7/3", 1)});
        ClipInfo sized(FileURL("/v/a.mov"));
        sized.fileSize = 1500000;
        size = sized.sizeLabel();
    }
    ASSERT_EQ(printed, "2,5") << "the test locale really writes a decimal comma";
    EXPECT_EQ(v.blocking, Texts{"fps가 다릅니다: 30 / 2.33"});
    EXPECT_EQ(size, "1.5 MB");
}

TEST(Validation, DefaultIsOk) {
    EXPECT_TRUE(Validation().ok());
    EXPECT_FALSE((Validation{{"x"}, {}}).ok());
    EXPECT_TRUE((Validation{{}, {"w"}}).ok());
}

}  // namespace
}  // namespace tessellane
