// Files made by the real ffmpeg, one run per table: probed end to end, checked against what was asked of
// ffmpeg and against ffprobe's reading, and cut at every offset. Unreadable files give the user's text.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <iterator>
#include <map>
#include <sstream>
#include <tuple>

#include "engine/probe/image_header.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/probe.h"
#include "engine/probe/probe_limits.h"
#include "tests/engine/probe/image_builder.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::readFile;
using testing::TempDir;
using Outputs = std::vector<std::pair<std::string, std::string>>;  // file, options

std::string colours(const std::string& primaries, const std::string& transfer, const std::string& matrix) {
    return " -color_primaries " + primaries + " -color_trc " + transfer + " -colorspace " + matrix;
}
const std::string kBt709 = colours("bt709", "bt709", "bt709");

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

// One ffmpeg run from `inputs` to every output in `dir`.
void makeAll(const TempDir& dir, std::vector<std::string> args, const Outputs& outputs) {
    for (const auto& [file, options] : outputs) {
        for (std::string& word : words(options)) args.push_back(std::move(word));
        args.push_back((dir / file).string());
    }
    args.pop_back();
    testing::makeMedia(dir / outputs.back().first, args);
}

// The first video stream's fields as ffprobe reports them ("unknown" becomes empty text).
std::map<std::string, std::string> ffprobe(const std::filesystem::path& file) {
    std::istringstream out(testing::runTool(
        "ffprobe",
        {"-v", "error", "-select_streams", "v:0", "-show_entries",
         "stream=codec_name,codec_tag_string,width,height,pix_fmt,r_frame_rate,nb_frames,color_space,"
         "color_primaries,color_transfer,color_range,sample_aspect_ratio:stream_side_data=rotation",
         "-of", "default=noprint_wrappers=1", file.string()}));
    std::map<std::string, std::string> fields;
    for (std::string line; std::getline(out, line);)
        if (const std::size_t equals = line.find('='); equals != std::string::npos)
            fields[line.substr(0, equals)] =
                line.ends_with("=unknown") || line.ends_with("=N/A") || line.ends_with("=1:1")
                    ? ""
                    : line.substr(equals + 1);
    return fields;
}

// Cut at every offset, a file reads as a whole or fails, never with a crash or a made-up value; each piece
// has its own allocation, so the sanitizers see any read past it. Returns how many pieces read.
template <typename Read>
std::size_t readablePrefixes(const std::string& bytes, Read read) {
    auto piece = [&](std::size_t length) {
        const testing::Bytes cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
        MemorySource source(cut);
        return read(source);
    };
    const auto whole = piece(bytes.size());
    EXPECT_TRUE(whole.has_value());
    std::size_t readable = 0;
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const auto fields = piece(length);
        EXPECT_EQ(fields ? fields : whole, whole) << length;
        readable += fields.has_value();
    }
    return readable;
}
auto movieFields(ByteSource& source) {
    const MovieInfo m = readMovie(source);
    EXPECT_EQ(m.video.has_value(), m.error == MovieReadError::none);
    const VideoTrack v = m.video.value_or(VideoTrack{});
    const auto f =
        std::tuple(v.format.code, v.format.width, v.format.height, v.format.depth, v.format.colour,
                   v.format.pixelAspect, v.rotation, v.frameRate, v.samples, v.durationSeconds, m.hasAudio);
    return m.video ? std::optional(f) : std::nullopt;
}
// A picture cut short is never taken for a whole one.
auto imageFields(ByteSource& source) {
    const auto h = readImageHeader(source);
    return h && h->refusal.empty() ? std::optional(std::tuple(h->width, h->height, h->pixFmt)) : std::nullopt;
}

struct MovieRow {
    std::string file, rate;
    int frames;
    bool audio;
    std::string options;    // after the input: codec, tag, colour, muxer
    std::string ours;       // where our reading rightly differs from ffprobe's, which decodes the bitstream
    std::string from = {};  // an earlier file that these options copy instead
};

// Names outside the image kinds (.heic, upper case, none) are probed as movies. The pixel format, colour
// tags and pixel aspect are what ffmpeg decodes, read from the codec's parameter sets where the container
// says nothing; the rate is the clip's real one whatever its time scale or B-frame timing.
TEST(ProbeMovie, ReadsWhatWasAskedAsFfprobeDoesAndWholeOrNotAtAllWhenCut) {
    const std::string x264 = "-c:v libx264 -pix_fmt yuv420p",
                      x265 = "-c:v libx265 -x265-params log-level=error";
    const std::string prores = "-c:v prores_ks -profile:v ";
    // DTS of B-frame pairs 1 tick apart (stts 1, 5999, 1, 5999...), as some muxers write them.
    const std::string tickPairs =
        "-bf 0 -video_track_timescale 90000 -bsf:v "
        "setts=time_base=1/90000:pts=PTS*3000:dts=if(mod(N\\,2)\\,PREV_OUTDTS+1\\,N*3000)";
    const std::vector<MovieRow> rows = {
        // ProRes has no range flag without nclx, and its frame header's colours differ from the colr box.
        {"prores_hq.mov", "25/1", 5, false, prores + "3 -pix_fmt yuv422p10le" + kBt709,
         "profile=422 HQ,color_range=,color_space=bt709,color_primaries=bt709,color_transfer=bt709"},
        // ProRes 4444 decodes to 12 bits; the merge keeps the encoder's 10-bit format.
        {"prores_4444_alpha.mov", "24000/1001", 4, true, prores + "4 -pix_fmt yuva444p10le",
         "profile=4444,color_range=,pix_fmt=yuva444p10le"},
        // A .mov gets a QuickTime nclc colour box without a range flag: the range is the bitstream's.
        {"h264_avc1.mp4", "24000/1001", 6, true, x264 + kBt709 + " -color_range tv", ""},
        {"h264_avc3.heic", "25/1", 5, false, x264 + " -tag:v avc3 -f mp4 -color_range pc" + kBt709,
         "pix_fmt=yuv420p"},  // ffprobe: yuvj420p, which is yuv420p in the full range
        {"h264_faststart.MOV", "60000/1001", 8, true, x264 + " -movflags +faststart" + kBt709, ""},
        // Camera formats: 10-bit 4:2:2, 4:4:4 and RGB H.264 (sizes and depths from the parameter sets).
        {"h264_422_10.mov", "25/1", 3, false, "-c:v libx264 -pix_fmt yuv422p10le" + kBt709, ""},
        {"h264_444_full.mp4", "50/1", 3, false, "-c:v libx264 -pix_fmt yuv444p -color_range pc",
         "pix_fmt=yuv444p"},
        {"h264_rgb.mp4", "30/1", 3, false, "-c:v libx264rgb -pix_fmt rgb24", ""},
        // Sizes off the macroblock grid: the parameter sets crop them.
        {"h264_cropped.mp4", "25/1", 3, false, x264 + " -vf scale=70:34", ""},
        {"hevc_cropped.mp4", "25/1", 3, false,
         "-c:v libx265 -x265-params log-level=error -vf scale=70:34 -tag:v hvc1", ""},
        // Timing: 1-tick B-frame pairs, a 10 MHz time scale.
        {"h264_tick_pairs.mp4", "30/1", 12, false, "-c:v libx264 " + tickPairs, ""},
        {"h264_10mhz.mp4", "24000/1001", 12, false, "-c:v libx264 -video_track_timescale 10000000", ""},
        // HEVC: the bit depth and chroma come from the parameter sets.
        {"hevc8_hev1.mp4", "30000/1001", 6, false,
         x265 + " -pix_fmt yuv420p -tag:v hev1 -color_range tv" +
             colours("smpte170m", "smpte170m", "smpte170m"),
         ""},
        {"hevc10_hvc1_pq", "50/1", 6, false,
         x265 + " -pix_fmt yuv420p10le -tag:v hvc1 -f mp4 -color_range tv" +
             colours("bt2020", "smpte2084", "bt2020nc"),
         ""},
        {"hevc_422_10.mp4", "25/1", 3, false, x265 + " -pix_fmt yuv422p10le -tag:v hvc1", ""},
        // HDR10 tagged only in the bitstream: no colr box.
        {"hevc_vui_hdr10.mp4", "24/1", 3, false,
         x265 + " -pix_fmt yuv420p10le -tag:v hvc1 -bsf:v "
                "hevc_metadata=colour_primaries=9:transfer_characteristics=16:matrix_coefficients=9",
         ""},
        // Non-square pixels, in the bitstream and then in a pasp box only (below).
        {"h264_sar.mp4", "25/1", 3, false, x264 + " -vf setsar=4/3", ""},
        // Fragmented: no samples (empty_moov) or the first fragment's in the movie box; ffprobe counts none.
        {"h264_fragmented.mp4", "25/1", 7, false, "-c:v libx264 -g 2 -movflags frag_keyframe+empty_moov",
         "nb_frames=7"},
        {"h264_fragments.m4v", "30000/1001", 7, true, "-c:v libx264 -g 3 -movflags frag_keyframe",
         "nb_frames=7"},
        // A phone's sideways clip: the track header turns it; the record holds the displayed size.
        {"turned90.mp4", "24000/1001", 6, true, "-map 0 -c copy -metadata:s:v:0 rotate=90", "",
         "h264_avc1.mp4"},
        {"pasp_only.mp4", "25/1", 3, false, "-map 0 -c copy -aspect 8:3", "", "h264_422_10.mov"},
    };
    TempDir dir;
    std::vector<std::string> inputs = {"-f", "lavfi", "-i", "sine=d=0.5"};
    Outputs made;
    for (const MovieRow& row : rows) {
        if (!row.from.empty()) continue;  // copied below
        inputs.insert(inputs.end(), {"-f", "lavfi", "-i", "testsrc2=s=64x32:d=1:r=" + row.rate});
        made.emplace_back(row.file, "-map " + std::to_string(made.size() + 1) + ":v -frames:v " +
                                        std::to_string(row.frames) +
                                        (row.audio ? " -map 0:a -c:a aac " : " ") + row.options);
    }
    makeAll(dir, inputs, made);
    for (const MovieRow& row : rows)
        if (!row.from.empty()) makeAll(dir, {"-i", (dir / row.from).string()}, {{row.file, row.options}});

    for (const MovieRow& row : rows) {
        SCOPED_TRACE(row.file);
        const ClipInfo clip = probe(dir / row.file);
        ASSERT_EQ(clip.error, std::nullopt);
        EXPECT_EQ(clip.fpsString, row.rate);
        EXPECT_EQ(clip.frames, row.frames);
        if (row.file != "h264_tick_pairs.mp4") {  // whose made-up timestamps make ffmpeg's edit list absurd
            EXPECT_NEAR(clip.duration, row.frames / clip.fps(), 0.0015);  // the movie time scale is 1/1000 s
        }
        EXPECT_EQ(clip.hasAudio, row.audio);
        EXPECT_EQ(clip.fileSize, std::int64_t(std::filesystem::file_size(dir / row.file)));
        auto expected = ffprobe(dir / row.file);
        std::istringstream ours(row.ours);
        for (std::string field; std::getline(ours, field, ',');)
            expected[field.substr(0, field.find('='))] = field.substr(field.find('=') + 1);
        const bool quarter = expected["rotation"] == "90" || expected["rotation"] == "-90";
        EXPECT_EQ(std::to_string(clip.width), expected[quarter ? "height" : "width"]);
        EXPECT_EQ(std::to_string(clip.height), expected[quarter ? "width" : "height"]);
        const auto keys = words(
            "codec_name codec_tag_string profile pix_fmt r_frame_rate nb_frames color_space "
            "color_primaries color_transfer color_range sample_aspect_ratio");
        const std::string values[] = {clip.codec,      clip.codecTag,       clip.profile,
                                      clip.pixFmt,     clip.fpsString,      std::to_string(clip.frames),
                                      clip.colorSpace, clip.colorPrimaries, clip.colorTransfer,
                                      clip.colorRange, clip.pixelAspect};
        for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(values[i], expected[keys[i]]) << keys[i];
        // With moov last no cut reads; with moov first, none that loses video samples, which are refused as
        // a download cut short.
        const std::string bytes = readFile(dir / row.file);
        if (bytes.find("moof") != std::string::npos) continue;
        const std::size_t readable = readablePrefixes(bytes, movieFields), mdat = bytes.find("mdat");
        if (bytes.find("moov") > mdat) {
            EXPECT_EQ(readable, 0u);
            continue;
        }
        const testing::Bytes cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(mdat + 8));
        MemorySource source(cut);
        EXPECT_EQ(readMovie(source).error, MovieReadError::dataPastEnd);
        EXPECT_LT(readable, bytes.size() - mdat);
    }
}

// The content decides an image's layout, the extension its codec: a PNG with alpha named .JPG is an rgba
// mjpeg. The pixel format is the one ffprobe reports; an EXIF orientation of 6 turns the picture upright.
TEST(ProbeImage, ReadsWhatWasAskedAsFfprobeDoesAndNothingWhenCut) {
    // 0 opaque, 1 left half transparent, 2 the same through a palette with a transparent entry (tRNS);
    // the record as codec, alpha and bits.
    const std::vector<std::tuple<std::string, int, std::string, std::string>> rows = {
        {"rgba16.png", 1, "-pix_fmt rgba64be", "png a16"},
        {"grey.png", 0, "-pix_fmt gray", "png 8"},
        {"palette.png", 2, "", "png a8"},
        {"baseline.jpeg", 0, "", "mjpeg 8"},
        {"png_alpha.JPG", 1, "-c:v png -f image2", "png a8"},  // the content, as ffprobe says
        {"rgba16.tiff", 1, "-pix_fmt rgba64le", "tiff a16"},
        {"rgb16.tif", 0, "-pix_fmt rgb48le", "tiff 16"},
        {"bgra32.bmp", 1, "-pix_fmt bgra", "bmp a8"},  // BI_RGB: the alpha bytes tell
        {"lossy.webp", 0, "-c:v libwebp", "webp 8"},
        {"lossless.webp", 0, "-c:v libwebp -lossless 1", "webp 8"},
        {"alpha.webp", 1, "-c:v libwebp", "webp a8"},
        {"alpha_lossless.webp", 1, "-c:v libwebp -lossless 1", "webp a8"},
        {"progressive.JPEG", -1, "", "mjpeg 8"},  // baseline.jpeg rewritten by jpegtran
        {"turned.jpg", -1, "", "mjpeg 8"},        // baseline.jpeg with EXIF orientation 6
    };
    TempDir dir;
    const std::string alpha =
        "testsrc2=s=64x32:d=0.04,format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':"
        "a='if(lt(X,32),0,255)'";
    Outputs outputs;
    for (const auto& [file, input, options, record] : rows)
        if (input >= 0)
            outputs.emplace_back(file, "-map " + std::to_string(input) + ":v -frames:v 1 " + options);
    makeAll(
        dir,
        {"-f", "lavfi", "-i", "testsrc2=s=64x32:d=0.04", "-f", "lavfi", "-i", alpha, "-f", "lavfi", "-i",
         alpha + ",split[a][b];[a]palettegen=reserve_transparent=1[p];[b][p]paletteuse=alpha_threshold=128"},
        outputs);
    const std::string baseline = readFile(dir / "baseline.jpeg"),
                      progressive = (dir / "progressive.JPEG").string();
    testing::runTool("jpegtran", {"-progressive", "-outfile", progressive, (dir / "baseline.jpeg").string()});
    ASSERT_NE(readFile(dir / "progressive.JPEG").find("\xFF\xC2"), std::string::npos);  // a progressive frame
    const testing::Bytes app1 = testing::exif(false, 6);
    testing::writeFile(dir / "turned.jpg",
                       baseline.substr(0, 2) + std::string(app1.begin(), app1.end()) + baseline.substr(2));

    for (const auto& [file, input, options, record] : rows) {
        SCOPED_TRACE(file);
        const ClipInfo clip = probe(dir / file);
        ASSERT_EQ(clip.error, std::nullopt);
        EXPECT_EQ(clip.codec + (clip.hasAlpha ? " a" : " ") + std::to_string(clip.bitsPerSample), record);
        EXPECT_EQ(clip.frames, 1);
        EXPECT_EQ(clip.fileSize, std::int64_t(std::filesystem::file_size(dir / file)));
        auto oracle = ffprobe(dir / file);
        EXPECT_EQ(clip.pixFmt, oracle["pix_fmt"]);
        EXPECT_EQ(oracle["width"] + "x" + oracle["height"], "64x32");  // as stored
        EXPECT_EQ(std::to_string(clip.width) + "x" + std::to_string(clip.height),
                  file == "turned.jpg" ? "32x64" : "64x32");
        // ffmpeg's TIFF ends with the next directory's offset, which neither reader needs.
        EXPECT_EQ(readablePrefixes(readFile(dir / file), imageFields), clip.codec == "tiff" ? 4u : 0u);
    }
}

TEST(ProbeUnreadable, GivesTheUsersTextAndTheRealFileSize) {
    const std::string movie = "영상 스트림 없음(또는 읽을 수 없는 파일)", image = "읽을 수 없는 이미지";
    const testing::Bytes cut = testing::movie({{.dataOffset = 1u << 20}}),
                         initialisation = testing::movie({{.stts = {}}});
    const testing::Bytes audio = testing::movie({{.handler = "soun", .code = "mp4a"}}),
                         whole = testing::movie({{}}), cutHeader(whole.begin(), whole.end() - 10),
                         huge =
                             testing::movie({{.elst = testing::fullBox(
                                                  "elst", 0, testing::be(limits::kMaxTableEntries + 1, 4))}}),
                         damaged = testing::box(
                             "moov",
                             testing::cat({testing::be(4096, 4), testing::text("trak"), testing::zeros(32)}));
    const auto asText = [](const testing::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); };
    // "<absent>", "<fifo>", "<folder>" and "<link>" (to nothing) stand for what they say; a FIFO would block
    // a plain open.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"audio.m4a", asText(audio), "영상 트랙이 없습니다 (소리만 있는 파일)"},
        {"huge.mov", asText(huge), "너무 큰 헤더 — 읽을 수 있는 한도를 넘습니다"},
        {"cut-header.mov", asText(cutHeader), "잘린 파일입니다 — 영상 정보가 중간에 끝납니다"},
        {"damaged.mov", asText(damaged), "손상된 파일입니다 — 영상 정보의 크기가 서로 맞지 않습니다"},
        {"cut.mp4", std::string(cut.begin(), cut.end()),
         "잘린 파일입니다 — 영상 데이터가 파일 끝을 넘어갑니다"},
        {"init.mp4", std::string(initialisation.begin(), initialisation.end()),
         "영상 트랙에 프레임이 없습니다 (초기화 세그먼트만 있는 파일)"},
        {"clip.mov", "this is a text file, not a movie\n", movie},
        {"missing.mov", "<absent>", "파일이 없습니다"},
        {"pipe.mov", "<fifo>", movie},
        {"folder.mov", "<folder>", movie},
        {"gone.mov", "<link>", "링크가 가리키는 파일이 없습니다"},
        {"empty.mov", "", "빈 파일입니다"},
        {"missing.png", "<absent>", "파일이 없습니다"},
        {"empty.png", "", "빈 파일입니다"},
        {"short.png", "\x89PNG", image},
        {"pipe.png", "<fifo>", image},
    };
    TempDir dir;
    for (const auto& [name, content, error] : cases) {
        SCOPED_TRACE(name);
        const auto file = dir / name;
        const bool regular = !content.starts_with("<");
        if (regular) testing::writeFile(file, content);
        ASSERT_TRUE(content != "<fifo>" || ::mkfifo(file.c_str(), 0600) == 0);
        if (content == "<folder>") std::filesystem::create_directory(file);
        if (content == "<link>") std::filesystem::create_symlink(dir / "nothing", file);
        const ClipInfo clip = probe(file);
        EXPECT_EQ(clip.error, error);
        EXPECT_EQ(clip.fileSize, regular ? std::int64_t(content.size()) : 0);
        // Everything else stays at the defaults, hasAudio included even for the audio-only file.
        EXPECT_EQ(clip.codec, "?");
        EXPECT_EQ(clip.width + clip.height + clip.frames + clip.hasAudio, 0);
    }
}

}  // namespace
}  // namespace tessellane
