#include "engine/merge/merge_plan.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/core/naming.h"
#include "engine/merge/ffmpeg_args.h"

namespace tessellane {
namespace {

ClipInfo movie(const std::string& path, std::int64_t width = 1920, const char* rate = "25/1",
               std::int64_t frames = 100, double seconds = 4) {
    return ClipInfo(path, {.codec = "h264",
                           .width = width,
                           .height = 1080,
                           .pixFmt = "yuv420p",
                           .fpsString = rate,
                           .frames = frames,
                           .duration = seconds});
}

// One rule for a suffix, wherever it is typed: nothing that leaves the folder or prints as something else.
TEST(MergePlan, TheSuffixRule) {
    const std::string slash = "접미사에는 \"/\"를 넣을 수 없습니다",
                      control = "접미사에는 제어 문자를 넣을 수 없습니다";
    const std::pair<std::string, std::string> rows[] = {
        {"_v2", ""},      {"a:b", ""},          {"\\ 한글·… ", ""},
        {"", ""},         {"a/b", slash},       {{"a\0b", 3}, slash},
        {"_\t", control}, {"\x1b[2J", control}, {"\xc2\x85", control},
    };
    for (const auto& [suffix, problem] : rows)
        EXPECT_EQ(suffixProblem(suffix).value_or(""), problem) << suffix;
}

// The name, the folder it goes to and every reason found before ffmpeg would find it, each on its own.
TEST(MergePlan, TheOutputAndWhatStandsInItsWay) {
    std::set<FileURL> existing = {"/f", "/f/cam_taken.mov", "/f/cam.mov"};
    const PathLookup lookup = [&](const FileURL& path) { return existing.count(path) > 0; };
    const std::vector<ClipInfo> cams = {movie("/f/cam.mov"), movie("/f/cam_2.mov")};

    const MergePlan empty = planMerge({}, FileURL("/f"), "_x", {}, lookup);
    EXPECT_TRUE(empty.fileName.empty() && empty.output == "/f" && empty.outputTaken && !empty.ok());
    EXPECT_TRUE(planMerge({}, std::nullopt, "_x", {}, lookup).output.empty());

    const MergePlan good = planMerge(cams, FileURL("/f/"), "_x", {}, lookup);
    EXPECT_EQ(good.output, "/f/cam_x.mov");
    EXPECT_TRUE(good.ok());
    EXPECT_EQ(good.arguments, buildArguments(cams, "/f/cam_x.mov"));
    EXPECT_EQ(good.geometry.width, 3840);

    const MergePlan taken = planMerge(cams, FileURL("/f"), "_taken", {}, lookup);
    EXPECT_TRUE(taken.outputTaken && !taken.outputIsInput && !taken.ok());
    const MergePlan input = planMerge(cams, FileURL("/f/."), "", {}, lookup);
    EXPECT_EQ(input.outputIsInput, FileURL("/f/cam.mov"));
    EXPECT_EQ(planMerge(cams, FileURL("/f"), "a/b", {}, lookup).suffixProblem.has_value(), true);

    EXPECT_EQ(planMergeTo(cams, "/f/", {}, lookup).nameProblem,
              "출력 파일 이름이 없습니다 — 접미사를 정해 주세요");
    EXPECT_EQ(planMergeTo(cams, "/f/..", {}, lookup).nameProblem, "출력 파일 이름으로 쓸 수 없습니다: ..");
    EXPECT_EQ(planMergeTo(cams, "/f/o.qt", {}, lookup).writerProblem,
              "이 확장자로는 쓸 수 없습니다: o.qt (mov·mp4·m4v·png·jpg·jpeg·tif·tiff·bmp·webp만)");

    // The size the encoder is asked for is the layout's: two 8200-wide H.264 clips fit one above the other.
    const std::vector<ClipInfo> wide = {movie("/f/w1.mov", 8200), movie("/f/w2.mov", 8200)};
    EXPECT_EQ(planMerge(wide, FileURL("/f"), "", {}, lookup).sizeProblem,
              "결과 크기가 너무 큽니다: 16400×1080 — H.264는 가로·세로 16384 이하여야 합니다");
    EXPECT_TRUE(planMerge(wide, FileURL("/f"), "", {.layout = Layout::column}, lookup).ok());
}

// The frames a result must hold and progress counts: a clip conformed to the output's rate counts as its
// length at that rate, not as its own frames.
TEST(MergePlan, FramesOfConformedRates) {
    const std::vector<ClipInfo> clips = {movie("/f/a.mov"), movie("/f/b.mov", 1920, "20/1", 40, 2)};
    const MergePlan plain = planMerge(clips, FileURL("/f"), "", {}, [](const FileURL&) { return false; });
    EXPECT_EQ(plain.leastFrames, 40);
    EXPECT_EQ(plain.progressTotal, 40);
    const MergePlan conformed =
        planMerge(clips, FileURL("/f"), "", {.conformRates = true}, [](const FileURL&) { return false; });
    EXPECT_EQ(conformed.leastFrames, 50);
    EXPECT_EQ(conformed.progressTotal, 50);
    EXPECT_TRUE(conformed.ok());
}

}  // namespace
}  // namespace tessellane
