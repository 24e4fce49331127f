#include "engine/core/clip_info.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "engine/core/prores_profiles.h"
#include "engine/core/readable_numbers.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

// The window switches the process to the user's locale; numbers in labels keep their point in a comma one.
const char* const kLocales[] = {"C.UTF-8", "de_DE.UTF-8"};

// Records are equal when they are one clip with equal fields (-0 and 0 alike).
TEST(ClipInfo, Equality) {
    ClipInfo a(FileURL("/m/a.mov")), b = a;
    b.duration = -0.0;
    EXPECT_TRUE(a == b);
    b.error = "";
    EXPECT_FALSE(a == b || a == ClipInfo(a.url()));
}

TEST(ClipInfo, FrameRateAndTimecode) {
    const std::pair<const char*, double> parsed[] = {
        {"25/1", 25},   {"25", 25},   {"0/1", 0},   {"24/0", 24},  {"x/25", 25},
        {"1/2/3", 1},   {"/25/", 25}, {"", 0},      {"abc", 0},    {"+25/1", 25},
        {"2.5/1", 2.5}, {" 25", 0},   {"12/x", 12}, {"48/2/", 24}, {"3/4", 0.75},
    };
    for (auto [text, fps] : parsed)
        EXPECT_EQ(ClipInfo(FileURL("/m/a.mov"), {.fpsString = text}).fps(), fps) << text;
    EXPECT_DOUBLE_EQ(ClipInfo(FileURL("/m/a.mov"), {.fpsString = "30000/1001"}).fps(), 30000 / 1001.0);
    const std::pair<double, const char*> shown[] = {
        {30, "30"},
        {24000.0 / 1001, "23.976"},
        {30000.0 / 1001, "29.97"},
        {60000.0 / 1001, "59.94"},
        {120, "120"},
        {0, "0"},
        {1000, "1000"},
        {7.0 / 3, "2.333"},
        {12.5, "12.5"},
    };
    for (const char* locale : kLocales) {
        testing::ScopedLocale scope(locale);
        for (auto [fps, text] : shown) EXPECT_EQ(formatFrameRate(fps), text) << locale << " " << fps;
    }
    const std::pair<double, const char*> timecodes[] = {
        {3725.4, "01:02:05"}, {59.5, "00:01:00"},    {0, "00:00:00"},   {360000, "100:00:00"},
        {0.49, "00:00:00"},   {86399.6, "24:00:00"}, {NAN, "00:00:00"}, {INFINITY, "00:00:00"},
    };
    for (auto [seconds, text] : timecodes)
        EXPECT_EQ(ClipInfo(FileURL("/m/a.mov"), {.duration = seconds}).timecode(), text) << seconds;
}

// Files under /i/ are of an image kind.
TEST(ClipInfo, KindFromThePath) {
    for (const char* path : {"/i/photo.JPG", "/i/scan.TiF", "/m/CLIP.MOV", "/m/a.M4V", "/m/a.mp4", "/m/noext",
                             "/i/a.png", "/i/a.webp", "/m/a.mkv", "/i/a.jpeg", "/m/dir.png/clip",
                             "/m/x.tar.Gz", "/i/.png", "/m/.MOV", "/m/a."})
        EXPECT_EQ(ClipInfo(FileURL(path)).isImage(), path[1] == 'i') << path;
}

// A ProRes label names the profile by the sample-description code, else by the profile text; others show
// the codec upper-cased.
TEST(ClipInfo, CodecLabelAndProresProfiles) {
    const auto label = [](const char* codec, const char* tag, const char* profile) {
        return ClipInfo(FileURL("/m/a.mov"), {.codec = codec, .codecTag = tag, .profile = profile})
            .codecLabel();
    };
    const std::pair<const char*, int> tags[] = {
        {"apco", 0}, {"apcs", 1}, {"apcn", 2}, {"apch", 3}, {"ap4h", 4}, {"ap4x", 5},
    };
    const char* const names[] = {"422 Proxy", "422 LT", "422", "422 HQ", "4444", "4444 XQ"};
    for (auto [tag, number] : tags) {
        EXPECT_EQ(label("prores", tag, "proxy"), std::string("ProRes ") + names[number]) << tag;
        EXPECT_EQ(proresProfileNumber(tag, "proxy"), number) << tag;
    }
    const std::pair<const char*, int> texts[] = {
        {"Proxy", 0}, {"lt", 1}, {"", 2}, {"hq", 3}, {"4444", 4}, {"4444 XQ", 5},
    };
    for (auto [text, number] : texts) {
        EXPECT_EQ(label("prores", "APCH", text), std::string("ProRes ") + text);
        EXPECT_EQ(proresProfileNumber("xxxx", text), number) << text;
    }
    EXPECT_EQ(label("h264", "avc1", "High") + label("ProRes", "apch", ""), "H264PRORES");
}

TEST(ClipInfo, SizeLabelUsesDecimalUnits) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 bytes"},          {1, "1 byte"},           {999, "999 bytes"},     {1000, "1 KB"},
        {1499, "1 KB"},          {999499, "999 KB"},      {999500, "1 MB"},       {1500000, "1.5 MB"},
        {123456789, "123.5 MB"}, {1234567890, "1.23 GB"}, {50000000000, "50 GB"}, {INT64_MAX, "9.22 EB"},
    };
    for (const char* locale : kLocales) {
        testing::ScopedLocale scope(locale);
        for (auto [bytes, label] : cases) EXPECT_EQ(formatByteCount(bytes), label) << locale << " " << bytes;
    }
}

}  // namespace
}  // namespace tessellane
