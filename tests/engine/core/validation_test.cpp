#include "engine/core/validation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <tuple>

#include "tests/support/test_support.h"

namespace tessellane {
namespace {

// Clips written as "name WxH codec/tag pixfmt rate Nf pc|tv H:V snd !error" separated by ";". Any word may
// be left out: h264/avc1 (png/ for an image) 1920x1080 yuv420p 30/1 100f, no range, square pixels, no sound
// by default.
std::vector<ClipInfo> clips(const std::string& list) {
    std::vector<ClipInfo> out;
    std::istringstream entries(list);
    for (std::string entry; std::getline(entries, entry, ';');) {
        std::istringstream named(entry);
        std::string name, rest;
        named >> name;
        std::getline(named, rest);
        ClipInfo c(FileURL("/v/" + name));
        std::istringstream words((c.isImage() ? "png/ " : "h264/avc1 ") +
                                 std::string("1920x1080 yuv420p 30/1 100f") + rest);
        for (std::string w; words >> w;) {
            const std::size_t x = w.find('x'), slash = w.find('/');
            if (w[0] == '!')
                c.error = w.substr(1);
            else if (w == "snd")
                c.hasAudio = true;
            else if (w.find(':') != std::string::npos)
                c.pixelAspect = w;
            else if (w.back() == 'f')
                c.frames = std::stoll(w);
            else if (std::isdigit(w[0]) && x != std::string::npos)
                c.width = std::stoll(w), c.height = std::stoll(w.substr(x + 1));
            else if (std::isdigit(w[0]))
                c.fpsString = w;
            else if (slash != std::string::npos)
                c.codec = w.substr(0, slash), c.codecTag = w.substr(slash + 1);
            else if (w == "pc" || w == "tv")
                c.colorRange = w;
            else
                c.pixFmt = w == "-" ? "" : w;
        }
        out.push_back(c);
    }
    return out;
}

// The messages by kind: 2 too few files, M mixed kinds, H heights, R rates, A pixel aspects, U unsupported
// codec, X ProRes in MP4, O odd size, and the warnings C codec, P pixel format, S a format the encoder
// lacks, L length, F image format. Each % takes the next argument.
std::string say(char kind, const std::string& a = "", const std::string& b = "yuv420p") {
    static const std::map<char, std::string> messages = {
        {'2', "파일이 2개 이상 필요합니다"},
        {'M', "이미지와 영상을 섞을 수 없습니다 — 한 종류만 넣어 주세요"},
        {'H', "높이가 다릅니다: %"},
        {'R', "fps가 다릅니다: %"},
        {'A', "픽셀 종횡비가 다릅니다: %"},
        {'X', "ProRes는 MP4(.%)에 쓸 수 없습니다 — .mov 파일을 첫 파일로 놓아 주세요"},
        {'S', "첫 파일의 픽셀 포맷(%)은 libx264로 쓸 수 없습니다 — %로 변환"},
        {'U', "지원하지 않는 코덱: % (ProRes·H.264·HEVC만)"},
        {'O', "결과 크기가 홀수입니다: % — 픽셀 포맷(%)에는 짝수 크기가 필요합니다"},
        {'C', "코덱이 서로 다릅니다 — 첫 파일(%) 사양으로 인코딩"},
        {'P', "픽셀 포맷이 서로 다릅니다 — 첫 파일(%)로 변환"},
        {'L', "길이가 다릅니다 — 짧은 쪽(%) 기준으로 자름"},
        {'F', "이미지 형식이 서로 다릅니다 — 첫 파일(%) 형식으로 저장"},
    };
    std::string text = messages.at(kind);
    for (const std::string& value : {a, b})
        if (const std::size_t at = text.find('%'); at != std::string::npos) text.replace(at, 1, value);
    return text;
}

// Blocking problems and warnings in the order they are found. The table runs in the pinned locale and in
// one with a decimal comma, which must not leak into the rates.
TEST(Validation, MessagesAndTheirOrder) {
    const std::tuple<std::string, std::vector<std::string>, std::vector<std::string>> cases[] = {
        {"", {say('2')}, {}},
        {"a.mov !x", {say('2')}, {}},
        {"a.mov 1920x720; b.mov !읽을", {"b.mov: 읽을"}, {}},
        {"a.mov; b.mov !x; c.mov 1920x720 mp4v/mp4v !y; d.png !z", {"b.mov: x", "c.mov: y", "d.png: z"}, {}},
        {"a.mov prores/apch yuv422p10le 1000f; b.mov 980f; c.mov 1000f",
         {},
         {say('C', "ProRes 422 HQ"), say('P', "yuv422p10le"), say('L', "980f")}},
        {"a.mp4 60000/1001; b.mp4 1920x720 7/3",
         {say('H', "1080 / 720"), say('R', "59.94 / 2.333")},
         {say('L', "100f")}},
        {"a.mov; b.png", {say('M')}, {}},
        {"a.mov prores/apch 25/1; b.png 100x720", {say('H', "1080 / 720"), say('M')}, {}},
        {"a.png; b.PNG; c.png", {}, {}},
        {"photo.Jpg; photo.jpeg", {}, {say('F', "JPG")}},
        {"a.png; b.webp 100x720", {say('H', "1080 / 720")}, {say('F', "PNG")}},
        {"a.mov mp4v/mp4v; b.mov", {say('U', "mp4v")}, {say('C', "MP4V")}},
        {"a.mov; b.mov mp4v/mp4v", {}, {say('C', "H264")}},
        {"a.mov prores/apch yuv422p10le; b.mov prores/apcn yuv422p10le", {}, {say('C', "ProRes 422 HQ")}},
        {"a.mov 24000/1001; b.mov 24/1", {say('R', "23.976 / 24")}, {}},
        {"a.mov 4:3; b.mov 4:3", {}, {}},
        {"a.mov; b.mov 4:3; c.mov", {say('A', "1:1 / 4:3 / 1:1")}, {}},
        {"a.M4V prores/apch yuv422p10le; b.mov prores/apch yuv422p10le", {say('X', "M4V")}, {}},
        {"a.mov prores/apch yuv422p10le; b.mp4 prores/apch yuv422p10le", {}, {}},
        // A range that differs is a pixel format that differs; the warning names the first clip's.
        {"a.mov pc; b.mov pc", {}, {}},
        {"a.mov pc; b.mov", {}, {say('P', "yuv420p·pc")}},
        {"a.mov tv; b.mov yuv422p pc", {}, {say('P', "yuv420p·tv")}},
        {"a.mov gbrp; b.mov gbrp", {}, {say('S', "gbrp", "yuv444p")}},
        {"a.mov yuv420p12le; b.mov", {}, {say('P', "yuv420p12le"), say('S', "yuv420p12le", "yuv420p10le")}},
        {"a.mov hevc/hvc1 yuv420p12le; b.mov hevc/hvc1 yuv420p12le", {}, {}},
        {"a.mov -; b.mov", {}, {say('P', "")}},
        {"a.mov 50f; b.mov 7f; c.mov 50f", {}, {say('L', "7f")}},
        // At other rates lengths are durations, counted at the first clip's rate: 2 s and 2 s, 2 s and 3 s.
        {"a.mov 25/1 50f; b.mov 60f", {say('R', "25 / 30")}, {}},
        {"a.mov 25/1 50f; b.mov 90f", {say('R', "25 / 30")}, {say('L', "50f")}},
        {"a.mov 90f; b.mov 25/1 50f", {say('R', "30 / 25")}, {say('L', "60f")}},
        {"a.mov 25/1 83f; b.mov 30000/1001 100f", {say('R', "25 / 29.97")}, {}},
        {"a.mov; b.mov; c.mov 1920x2160", {say('H', "1080 / 1080 / 2160")}, {}},
        {"a.mov 1921x1080; b.mov", {say('O', "3841×1080")}, {}},
        {"a.mov 1920x1081; b.mov 1920x1081", {say('O', "3840×1081")}, {}},
        {"a.mov 1921x1080; b.mov 1919x1080", {}, {}},
        {"a.mov 33x1080 p010le; b.mov 32x1080 p010le", {say('O', "65×1080", "p010le")}, {}},
        {"a.mov 33x1080 yuv444p; b.mov 32x1080", {}, {say('P', "yuv444p")}},
        {"a.mov 33x1081 prores/apcn yuv422p10le; b.mov 32x1081 prores/apcn yuv422p10le", {}, {}},
        {"a.mov 1921x1080; b.mov 1920x1081", {say('H', "1080 / 1081")}, {}},
        {"a.mov 1921x1080 mp4v/mp4v 25/1; b.mov",
         {say('R', "25 / 30"), say('U', "mp4v"), say('O', "3841×1080")},
         {say('C', "MP4V"), say('L', "83f")}},
        {"a.png 33x33; b.png 32x33", {}, {}},
        // ffmpeg's largest frame: 8 bytes a pixel, with 128 pixels of padding each way, under 2^31.
        {"a.png 12000x12000; b.png 10000x12000", {}, {}},
        {"a.png 12000x12000; b.tif 10100x12000",
         {"결과 이미지가 너무 큽니다: 22100×12000"},
         {say('F', "PNG")}},
    };
    for (const char* locale : {"C.UTF-8", "de_DE.UTF-8"}) {
        testing::ScopedLocale scope(locale);
        char printed[16];
        std::snprintf(printed, sizeof printed, "%.1f", 2.5);
        ASSERT_STREQ(printed, locale[0] == 'C' ? "2.5" : "2,5") << "the locale is really in force";
        for (const auto& [list, blocking, warnings] : cases) {
            SCOPED_TRACE(std::string(locale) + ": " + list);
            const Validation v = validate(clips(list));
            EXPECT_EQ(v.blocking, blocking);
            EXPECT_EQ(v.warnings, warnings);
            EXPECT_EQ(v.ok(), blocking.empty());
        }
    }
}

// The settings turn differences into warnings that name the target, or into the blocking messages of the
// layout; the sound's clip must have sound.
TEST(Validation, WhatTheSettingsMakeOfDifferences) {
    const Layout row = Layout::row, column = Layout::column, grid = Layout::grid;
    const std::tuple<MergeSettings, std::string, std::vector<std::string>, std::vector<std::string>> cases[] =
        {
            {{.fitSizes = true},
             "a.mov; b.mov 1280x720",
             {},
             {"높이가 다릅니다 — 첫 파일 높이(1080)로 맞춤"}},
            {{.fitSizes = true},
             "a.mov 1920x1081; b.mov 1280x720",
             {},
             {"높이가 다릅니다 — 첫 파일 높이(1080)로 맞춤"}},
            {{.layout = column}, "a.mov; b.mov 1280x720", {"너비가 다릅니다: 1920 / 1280"}, {}},
            {{.layout = column, .fitSizes = true},
             "a.mov; b.mov 1280x720",
             {},
             {"너비가 다릅니다 — 첫 파일 너비(1920)로 맞춤"}},
            {{.layout = column}, "a.mov 1920x1081; b.mov", {say('O', "1920×2161")}, {}},
            {{.layout = grid}, "a.mov; b.mov 1280x1080", {"크기가 다릅니다: 1920×1080 / 1280×1080"}, {}},
            {{.layout = grid, .fitSizes = true},
             "a.png; b.png 1280x720; c.png",
             {},
             {"크기가 다릅니다 — 첫 파일 크기(1920×1080) 칸에 맞춤"}},
            {{.layout = grid},
             "a.png 12000x12000; b.png; c.png 12000x12000",
             {"크기가 다릅니다: 12000×12000 / 1920×1080 / 12000×12000"},
             {}},
            {{.layout = grid, .fitSizes = true},
             "a.png 12000x12000; b.png; c.png",
             {"결과 이미지가 너무 큽니다: 24000×24000"},
             {"크기가 다릅니다 — 첫 파일 크기(12000×12000) 칸에 맞춤"}},
            {{.conformRates = true},
             "a.mov 25/1; b.mov 30000/1001",
             {},
             {"fps가 다릅니다: 25 / 29.97 — 첫 파일 fps(25)로 맞춤",
              "길이가 다릅니다 — 짧은 쪽(83f) 기준으로 자름"}},
            {{.fitSizes = true}, "a.mov; b.mov 4:3", {}, {"픽셀 종횡비가 다릅니다 — 정사각 픽셀로 맞춤"}},
            {{.layout = row, .audioClip = 1},
             "a.mov snd; b.mov",
             {"b.mov에는 소리가 없습니다 — 소리를 가져올 파일을 다시 고르세요"},
             {}},
            {{.audioClip = 1}, "a.mov; b.mov snd", {}, {}},
            {{.audioClip = 0},
             "a.png; b.png",
             {"a.png에는 소리가 없습니다 — 소리를 가져올 파일을 다시 고르세요"},
             {}},
        };
    for (const auto& [settings, list, blocking, warnings] : cases) {
        SCOPED_TRACE(list);
        const Validation v = validate(clips(list), settings);
        EXPECT_EQ(v.blocking, blocking);
        EXPECT_EQ(v.warnings, warnings);
    }
}

}  // namespace
}  // namespace tessellane
