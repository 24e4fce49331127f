// One real merge per layout, with the settings that change the vector: tiny clips made by the real ffmpeg,
// merged by merge(), and the result read back by the project's probe and by ffprobe: its size, pixel format,
// square pixels, frame count, sound and length.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "engine/merge/merge.h"
#include "engine/merge/merge_plan.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

namespace fs = std::filesystem;

// ffprobe's "key=value" lines of every stream, in stream order, as one line.
std::string ffprobe(const fs::path& file) {
    std::istringstream lines(testing::runTool(
        "ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                    "stream=codec_type,codec_name,width,height,pix_fmt,sample_aspect_ratio,nb_read_frames",
                    "-of", "default=noprint_wrappers=1", file.string()}));
    std::string text;
    for (std::string line; std::getline(lines, line);) text += (text.empty() ? "" : " ") + line;
    return text;
}

// A stream's length in seconds ("v" or "a"), as ffprobe reads it from the packets.
double seconds(const fs::path& file, const std::string& stream) {
    return std::stod(
        testing::runTool("ffprobe", {"-v", "error", "-select_streams", stream + ":0", "-show_entries",
                                     "stream=duration", "-of", "csv=p=0", file.string()}));
}

TEST(LayoutMerge, OneRealMergePerLayout) {
    const testing::TempDir dir;
    const std::vector<std::string> h264 = {"-c:v", "libx264", "-pix_fmt", "yuv420p"};
    const auto make = [&](const std::string& name, const std::string& picture, std::vector<std::string> rest,
                          bool sound = false) {
        std::vector<std::string> args = {"-f", "lavfi", "-i", picture};
        if (sound) args.insert(args.end(), {"-f", "lavfi", "-i", "sine=r=48000"});
        args.insert(args.end(), rest.begin(), rest.end());
        return probe(testing::makeMedia(dir / name, args));
    };
    std::vector<std::string> pcm = h264, aac = h264, prores = {"-c:v", "prores_ks", "-profile:v", "3"};
    pcm.insert(pcm.end(), {"-t", "0.4", "-c:a", "pcm_s16le"});
    aac.insert(aac.end(), {"-t", "0.8", "-c:a", "aac"});
    prores.insert(prores.end(), {"-frames:v", "6", "-pix_fmt", "yuv422p10le"});
    std::vector<std::string> shortH264 = h264, sar = h264, fourTenths = h264;
    shortH264.insert(shortH264.end(), {"-frames:v", "8"});
    sar.insert(sar.end(), {"-frames:v", "6", "-vf", "setsar=4/3"});
    fourTenths.insert(fourTenths.end(), {"-t", "0.4"});

    const struct {
        std::string name;
        std::vector<ClipInfo> clips;
        MergeSettings settings;
        std::string probed;  // width height pixel format pixel aspect frames sound, by our probe
        std::string streams;
        double audioSeconds;  // 0: none
    } rows[] = {
        // A 30 fps clip of another height beside a 25 fps one with sound: scaled, conformed, its AAC copied.
        {"row.mp4",
         {make("r1.mp4", "testsrc2=s=64x32:r=25", aac, true),
          make("r2.mp4", "smptebars=s=48x24:r=30", {"-t", "0.6", "-c:v", "libx264", "-pix_fmt", "yuv420p"})},
         {.fitSizes = true, .conformRates = true, .audioClip = 0},
         "128x32 yuv420p 1:1 15f aac",
         "codec_name=h264 codec_type=video width=128 height=32 sample_aspect_ratio=1:1 pix_fmt=yuv420p "
         "nb_read_frames=15 codec_name=aac codec_type=audio nb_read_frames=29",
         0.6},
        // A narrower clip under the first, its PCM sound encoded as AAC for the MP4.
        {"column.mp4",
         {make("c1.mp4", "testsrc2=s=64x32:r=25", fourTenths),
          make("c2.mov", "testsrc=s=32x32:r=25", pcm, true)},
         {.layout = Layout::column, .fitSizes = true, .audioClip = 1},
         "64x96 yuv420p 1:1 10f aac",
         "codec_name=h264 codec_type=video width=64 height=96 sample_aspect_ratio=1:1 pix_fmt=yuv420p "
         "nb_read_frames=10 codec_name=aac codec_type=audio nb_read_frames=19",
         0.4},
        // ProRes cells of the first clip's size: a square clip at 30 fps and a 4:3 one fitted inside theirs,
        // the fourth cell black.
        {"grid.mov",
         {make("g1.mov", "testsrc2=s=64x32:r=24000/1001", prores),
          make("g2.mp4", "smptebars=s=40x40:r=30", shortH264),
          make("g3.mp4", "testsrc=s=64x32:r=24000/1001", sar)},
         {.layout = Layout::grid, .fitSizes = true, .conformRates = true},
         "128x64 yuv422p10le 1:1 6f -",
         "codec_name=prores codec_type=video width=128 height=64 sample_aspect_ratio=1:1 pix_fmt=yuv422p10le "
         "nb_read_frames=6",
         0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path output = dir / row.name;
        const MergeResult result = merge(row.clips, output, {}, nullptr, {}, row.settings);
        const ClipInfo& out = result.output;
        EXPECT_EQ(std::to_string(out.width) + "x" + std::to_string(out.height) + " " + out.pixFmt + " " +
                      (out.pixelAspect.empty() ? "1:1" : out.pixelAspect) + " " + std::to_string(out.frames) +
                      "f " + (out.hasAudio ? out.audioCodec : "-"),
                  row.probed);
        EXPECT_EQ(ffprobe(output), row.streams);
        // The sound ends with the picture, within one audio frame (1024 samples of 48 kHz).
        if (row.audioSeconds > 0) {
            EXPECT_NEAR(seconds(output, "v"), row.audioSeconds, 0.001);
            EXPECT_NEAR(seconds(output, "a"), row.audioSeconds, 1024.0 / 48000);
        }
    }
}

}  // namespace
}  // namespace tessellane
