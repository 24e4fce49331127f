// Still-image merges end to end through the real ffmpeg, one row per kind of picture that needs care: the
// result's size and format are what ffmpeg wrote, lossless pictures come out pixel for pixel, and what
// ffmpeg cannot decode is refused before it starts.
#include <gtest/gtest.h>

#include <sstream>

#include "engine/merge/merge.h"
#include "engine/probe/probe.h"
#include "tests/engine/probe/image_builder.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

namespace fs = std::filesystem;

// The MD5 of each picture decoded to `format`: each input whole, then the output's halves of their widths.
std::vector<std::string> pictureHashes(const std::vector<fs::path>& inputs, const fs::path& output,
                                       const std::vector<int>& widths, const std::string& format) {
    std::vector<std::string> arguments = {"-nostdin", "-v", "error"};
    for (const fs::path& input : inputs) arguments.insert(arguments.end(), {"-f", "image2pipe", "-i", input});
    arguments.insert(arguments.end(), {"-f", "image2pipe", "-i", output});
    std::string graph = "[";
    graph += std::to_string(inputs.size()) + ":v]split=" + std::to_string(widths.size());
    for (std::size_t i = 0; i < widths.size(); ++i) graph += "[s" + std::to_string(i) + "]";
    for (std::size_t i = 0, x = 0; i < widths.size(); x += std::size_t(widths[i]), ++i)
        graph += ";[s" + std::to_string(i) + "]crop=" + std::to_string(widths[i]) +
                 ":ih:" + std::to_string(x) + ":0[h" + std::to_string(i) + "]";
    arguments.insert(arguments.end(), {"-filter_complex", graph});
    for (std::size_t i = 0; i < inputs.size(); ++i)
        arguments.insert(arguments.end(), {"-map", std::to_string(i) + ":v"});
    for (std::size_t i = 0; i < widths.size(); ++i)
        arguments.insert(arguments.end(), {"-map", "[h" + std::to_string(i) + "]"});
    arguments.insert(arguments.end(), {"-pix_fmt", format, "-f", "framemd5", "-"});
    std::istringstream lines(testing::runTool("ffmpeg", arguments));
    std::vector<std::string> hashes;
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with("#")) hashes.push_back(line.substr(line.rfind(' ') + 1));
    return hashes;
}

TEST(ImageMerge, EachKindComesOutAsFfmpegWritesItOrIsRefusedFirst) {
    testing::TempDir dir;
    auto make = [&](const std::string& name, const std::string& size, const std::string& options) {
        std::vector<std::string> arguments = {"-f",
                                              "lavfi",
                                              "-i",
                                              "testsrc2=s=" + size +
                                                  ",format=rgba,geq=r='r(X,Y)':"
                                                  "g='g(X,Y)':b='b(X,Y)':a='if(lt(X,9),0,200)'",
                                              "-frames:v",
                                              "1",
                                              "-update",
                                              "1"};
        std::istringstream words(options);
        for (std::string word; words >> word;) arguments.push_back(word);
        return testing::makeMedia(dir / name, arguments);
    };
    // Stored 64×32 and turned by EXIF orientation 6, it is shown 32×64, the height of the upright one.
    const std::string stored = testing::readFile(make("stored.jpg", "64x32", "-pix_fmt yuvj420p"));
    const testing::Bytes app1 = testing::exif(false, 6);
    testing::writeFile(dir / "turned.jpg",
                       stored.substr(0, 2) + std::string(app1.begin(), app1.end()) + stored.substr(2));
    make("upright.jpg", "48x64", "-pix_fmt yuvj420p");
    make("deep.tiff", "64x32", "-pix_fmt rgb48le");
    make("lossless.webp", "64x32", "-c:v libwebp -lossless 1");
    make("opaque.png", "64x32", "-pix_fmt rgb24");
    make("alpha.bmp", "40x32", "-pix_fmt bgra");  // BI_RGB, 32 bits: ffmpeg reads its alpha
    testing::writeFile(dir / "float.tif", [] {
        const testing::Bytes tiff = testing::tiff3x4(1, 32, {{339, 3, {3}}}, testing::zeros(48));
        return std::string(tiff.begin(), tiff.end());
    }());

    const struct {
        std::vector<std::string> inputs;
        std::string output, result;  // the summary, or the refusal
        std::vector<int> halves;     // the widths to compare pixel for pixel; none for a lossy output
    } rows[] = {
        {{"turned.jpg", "upright.jpg"}, "o.jpg", "80×64 · MJPEG · yuvj444p 완료", {}},
        {{"deep.tiff", "deep.tiff"}, "o.tiff", "128×32 · TIFF · rgb48le 완료", {64, 64}},
        {{"lossless.webp", "lossless.webp"}, "o.webp", "128×32 · WEBP · argb 완료", {64, 64}},
        {{"opaque.png", "alpha.bmp"}, "o.png", "104×32 · PNG · rgba 완료", {64, 40}},
        {{"alpha.bmp", "alpha.bmp"}, "o.bmp", "80×32 · BMP · bgra 완료", {40, 40}},
        {{"float.tif", "opaque.png"}, "o.tif", "float.tif: 지원하지 않는 TIFF: 부동소수점 샘플", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.output);
        std::vector<ClipInfo> clips;
        std::vector<fs::path> inputs;
        for (const std::string& name : row.inputs) {
            inputs.push_back(dir / name);
            clips.push_back(probe(inputs.back()));
        }
        bool started = false;
        try {
            const ClipInfo result =
                merge(clips, dir / row.output, {}, nullptr, [&](const std::vector<std::string>&) {
                    started = true;
                }).output;
            EXPECT_EQ(resultSummary(result), row.result);
            if (row.halves.empty()) continue;
            const auto hashes = pictureHashes(inputs, dir / row.output, row.halves, result.pixFmt);
            ASSERT_EQ(hashes.size(), 2 * inputs.size());
            for (std::size_t i = 0; i < inputs.size(); ++i)
                EXPECT_EQ(hashes[i], hashes[i + inputs.size()]) << i;
        } catch (const MergeError& error) {
            EXPECT_EQ(error.errorDescription(), row.result);
            EXPECT_FALSE(started);
        }
    }
}

}  // namespace
}  // namespace tessellane
