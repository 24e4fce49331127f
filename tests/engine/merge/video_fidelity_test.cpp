// Clips made by the real ffmpeg, probed, and merged by the real vector: the output keeps the first clip's
// pixel format, range, colour tags and pixel aspect, each tile keeps its levels (a clip of the other range
// is converted to the first one's), and ffprobe reads all of it back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "engine/core/validation.h"
#include "engine/merge/ffmpeg_args.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::runTool;

// Luma "min max" of the first frame, from x on, `width` wide.
std::pair<int, int> luma(const std::filesystem::path& file, int x, int width) {
    std::istringstream out(
        runTool("ffmpeg", {"-nostdin", "-v", "error", "-i", file.string(), "-frames:v", "1", "-vf",
                           "crop=" + std::to_string(width) + ":ih:" + std::to_string(x) +
                               ":0,signalstats,metadata=print:file=-",
                           "-f", "null", "-"}));
    std::pair<int, int> range{-1, -1};
    for (std::string line; std::getline(out, line);) {
        if (line.starts_with("lavfi.signalstats.YMIN=")) range.first = std::stoi(line.substr(23));
        if (line.starts_with("lavfi.signalstats.YMAX=")) range.second = std::stoi(line.substr(23));
    }
    return range;
}

// A code value of a clip in `fromFull` range at `fromBits`, as it reads converted to the other range and
// depth.
int converted(int value, bool fromFull, int fromBits, bool toFull, int toBits) {
    const auto black = [](bool full, int bits) { return full ? 0.0 : 16.0 * (1 << (bits - 8)); };
    const auto span = [](bool full, int bits) {
        return full ? (1 << bits) - 1.0 : 219.0 * (1 << (bits - 8));
    };
    const double level = (value - black(fromFull, fromBits)) / span(fromFull, fromBits);
    return std::clamp(int(std::lround(black(toFull, toBits) + level * span(toFull, toBits))), 0,
                      (1 << toBits) - 1);
}

TEST(VideoFidelity, MergedOutputKeepsLevelsTagsAndPixelAspect) {
    const testing::TempDir dir;
    const std::string x265 = " -c:v libx265 -x265-params log-level=error -tag:v hvc1 ";
    // One ffmpeg run: a full-range (yuvj) picture as input 0, the same picture in the limited range as 1.
    const std::vector<std::pair<std::string, std::string>> clips = {
        {"full8.mp4", "-map 0 -c:v libx264 -pix_fmt yuvj420p -color_range pc"},
        {"limited8.mp4", "-map 1 -c:v libx264 -pix_fmt yuv420p"},
        {"full10.mp4", "-map 0 -vf scale=out_range=pc,format=yuv420p10le -c:v libx264 -color_range pc"},
        {"hdr10.mp4",
         "-map 1 -pix_fmt yuv420p10le" + x265 +
             "-bsf:v hevc_metadata=colour_primaries=9:transfer_characteristics=16:matrix_coefficients=9"},
        {"hlg.mov", "-map 1 -pix_fmt yuv420p10le" + x265 +
                        "-color_primaries bt2020 -color_trc arib-std-b67 -colorspace bt2020nc"},
        {"aspect.mp4", "-map 1 -vf setsar=4/3 -c:v libx264 -pix_fmt yuv420p"},
        {"rgb.mp4", "-map 1 -c:v libx264rgb -pix_fmt rgb24"},
    };
    std::vector<std::string> arguments = {"-f", "lavfi", "-i", "testsrc2=s=64x32:r=25:d=0.2,format=yuvj420p",
                                          "-f", "lavfi", "-i", "testsrc2=s=64x32:r=25:d=0.2,format=yuv420p"};
    for (const auto& [file, options] : clips) {
        std::istringstream words(options);
        for (std::string word; words >> word;) arguments.push_back(word);
        arguments.push_back((dir / file).string());
    }
    arguments.pop_back();
    testing::makeMedia(dir / clips.back().first, arguments);

    // First and second clip, and what ffprobe reads from the output: width, pixel aspect, pixel format,
    // range, matrix, transfer, primaries. Each tile's levels are its clip's, converted to the output's range
    // and depth; an RGB clip's are not compared (its luma is computed).
    const std::pair<std::string, std::string> rows[] = {
        {"full8.mp4 full8.mp4", "1:1,yuvj420p,pc,unknown,unknown,unknown"},
        {"full8.mp4 limited8.mp4", "1:1,yuvj420p,pc,unknown,unknown,unknown"},
        {"limited8.mp4 full10.mp4", "1:1,yuv420p,unknown,unknown,unknown,unknown"},
        {"full10.mp4 full8.mp4", "1:1,yuv420p10le,pc,unknown,unknown,unknown"},
        {"hdr10.mp4 hdr10.mp4", "1:1,yuv420p10le,tv,bt2020nc,smpte2084,bt2020"},
        {"hlg.mov hlg.mov", "1:1,yuv420p10le,tv,bt2020nc,arib-std-b67,bt2020"},
        {"aspect.mp4 aspect.mp4", "4:3,yuv420p,unknown,unknown,unknown,unknown"},
        {"rgb.mp4 rgb.mp4", "1:1,yuv444p,tv,bt709,unknown,unknown"},
    };
    int index = 0;
    for (const auto& [files, expected] : rows) {
        SCOPED_TRACE(files);
        const std::string first = files.substr(0, files.find(' ')),
                          second = files.substr(files.find(' ') + 1);
        const std::vector<ClipInfo> pair = {probe(dir / first), probe(dir / second)};
        ASSERT_TRUE(validate(pair).ok());
        const auto output = dir / ("out" + std::to_string(++index) + "." + extensionOf(first));
        ExitStatus status;
        runTool("ffmpeg", buildArguments(pair, output), &status);
        ASSERT_TRUE(status.succeeded());
        EXPECT_EQ(runTool("ffprobe", {"-v", "error", "-show_entries",
                                      "stream=width,sample_aspect_ratio,pix_fmt,color_range,color_space,"
                                      "color_transfer,color_primaries",
                                      "-of", "csv=p=0", output.string()}),
                  "128," + expected + "\n");
        if (first == "rgb.mp4") continue;
        const bool full = expected.find(",pc,") != std::string::npos;
        const int bits = expected.find("10le") != std::string::npos ? 10 : 8, noise = 3 << (bits - 8);
        for (int tile = 0; tile < 2; ++tile) {
            const ClipInfo& clip = pair[std::size_t(tile)];
            const int clipBits = clip.pixFmt.ends_with("10le") ? 10 : 8;
            const auto [min, max] = luma(output, 64 * tile, 64);
            const auto [clipMin, clipMax] = luma(clip.url(), 0, 64);
            for (const auto& [got, was] : {std::pair(min, clipMin), std::pair(max, clipMax)})
                EXPECT_NEAR(got, converted(was, clip.colorRange == "pc", clipBits, full, bits), noise)
                    << "tile " << tile;
        }
    }
}

}  // namespace
}  // namespace tessellane
