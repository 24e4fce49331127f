// Movies made by the real ffmpeg at test time, probed by our box reader and checked against what was asked
// of ffmpeg and against ffprobe's reading of the same file.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "engine/core/validation.h"
#include "engine/probe/byte_source.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/probe.h"
#include "tests/engine/probe/probe_media_support.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::ffprobeVideo;
using testing::makeMedia;
using testing::TempDir;

// Fields where our reading rightly differs from ffprobe's, which decodes the bitstream.
enum Differs : unsigned {
    kNone = 0,
    kCodec = 1,   // for codes outside the table we report the lower-cased code (mp4v, jpeg), not a codec name
    kPixFmt = 2,  // ffprobe names the decoded format; we leave it empty for codes outside the table
    kRange = 4,   // QuickTime nclc colour boxes carry no range flag; ffprobe takes it from the bitstream
    kTransfer = 8,  // code 6 (smpte170m) has no media-framework name, so it stays empty
    kColour = 16,   // ffprobe lets the decoder's reading of the bitstream override the colr box
    kFrames = 32,   // ffprobe does not count the samples of movie fragments (it reports N/A)
};
// ProRes: ffprobe reads the range from the frame header (we have none without nclx); 4444 decodes to 12 bits
// while the merge keeps ProRes 4444 at the encoder's 10-bit format.
constexpr unsigned kProRes = kRange;
constexpr unsigned kProRes4444 = kRange | kPixFmt;

struct MovieCase {
    std::string file;
    std::string rate;  // the rate asked of ffmpeg, which must come back reduced
    int frames;
    std::vector<std::string> options;  // codec and tag options after the inputs
    bool audio;
    // Expected record.
    std::string codec, tag, profile, pixFmt;
    std::string space, primaries, transfer, range;
    unsigned differs;
};

const std::vector<std::string> kBt709Tv = {"-color_primaries", "bt709", "-color_trc",   "bt709",
                                           "-colorspace",      "bt709", "-color_range", "tv"};
const std::vector<std::string> kBt709Pc = {"-color_primaries", "bt709", "-color_trc",   "bt709",
                                           "-colorspace",      "bt709", "-color_range", "pc"};
const std::vector<std::string> kSmpte170m = {"-color_primaries", "smpte170m", "-color_trc",   "smpte170m",
                                             "-colorspace",      "smpte170m", "-color_range", "tv"};
const std::vector<std::string> kPq = {"-color_primaries", "bt2020",   "-color_trc",   "smpte2084",
                                      "-colorspace",      "bt2020nc", "-color_range", "tv"};
const std::vector<std::string> kHlg = {"-color_primaries", "bt2020",   "-color_trc",   "arib-std-b67",
                                       "-colorspace",      "bt2020nc", "-color_range", "tv"};
const std::vector<std::string> kX265Quiet = {"-x265-params", "log-level=error"};

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::string> prores(int profile, const std::string& pixFmt) {
    return {"-c:v", "prores_ks", "-profile:v", std::to_string(profile), "-pix_fmt", pixFmt};
}

const std::vector<MovieCase>& movieCases() {
    static const std::vector<MovieCase> cases = {
        // ProRes: every profile; 4444 with and without alpha (the sample entry's depth 32 or 24). ffmpeg
        // writes no colour box for ProRes without tags.
        {"prores_proxy.mov", "25/1", 5, prores(0, "yuv422p10le"), false, "prores", "apco", "422 Proxy",
         "yuv422p10le", "", "", "", "", kProRes},
        {"prores_lt.mov", "25/1", 5, prores(1, "yuv422p10le"), false, "prores", "apcs", "422 LT",
         "yuv422p10le", "", "", "", "", kProRes},
        {"prores_422.mov", "25/1", 5, prores(2, "yuv422p10le"), false, "prores", "apcn", "422", "yuv422p10le",
         "", "", "", "", kProRes},
        {"prores_hq_bt709.mov", "25/1", 5, join({prores(3, "yuv422p10le"), kBt709Tv}), false, "prores",
         "apch", "422 HQ", "yuv422p10le", "bt709", "bt709", "bt709", "", kProRes | kColour},
        {"prores_4444.mov", "25/1", 5, prores(4, "yuv444p10le"), false, "prores", "ap4h", "4444",
         "yuv444p10le", "", "", "", "", kProRes4444},
        {"prores_4444_alpha.mov", "24000/1001", 4, prores(4, "yuva444p10le"), true, "prores", "ap4h", "4444",
         "yuva444p10le", "", "", "", "", kProRes4444},
        {"prores_xq.mov", "25/1", 5, prores(5, "yuv444p10le"), false, "prores", "ap4x", "4444 XQ",
         "yuv444p10le", "", "", "", "", kProRes4444},
        // H.264 tagged avc1 and avc3, with the rates and colour sets a camera writes. A .mov gets a QuickTime
        // nclc colour box, which has no range flag; an .mp4 gets nclx, which has one. A full-range H.264
        // is yuvj420p to ffprobe; the table gives yuv420p and the range goes in colorRange.
        {"h264_avc1.mp4", "24000/1001", 6, join({{"-c:v", "libx264", "-pix_fmt", "yuv420p"}, kBt709Tv}), true,
         "h264", "avc1", "", "yuv420p", "bt709", "bt709", "bt709", "tv", kNone},
        {"h264_avc3.mp4", "25/1", 5,
         join({{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-tag:v", "avc3"}, kBt709Pc}), false, "h264",
         "avc3", "", "yuv420p", "bt709", "bt709", "bt709", "pc", kPixFmt},
        {"h264_faststart.mov", "60000/1001", 8,
         join({{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-movflags", "+faststart"}, kBt709Tv}), true,
         "h264", "avc1", "", "yuv420p", "bt709", "bt709", "bt709", "", kRange},
        // HEVC 8 and 10 bit, tagged hev1 and hvc1; the bit depth comes from hvcC.
        {"hevc8_hev1.mp4", "30000/1001", 6,
         join({{"-c:v", "libx265", "-pix_fmt", "yuv420p", "-tag:v", "hev1"}, kX265Quiet, kSmpte170m}), false,
         "hevc", "hev1", "", "yuv420p", "smpte170m", "smpte170m", "", "tv", kTransfer},
        {"hevc10_hvc1_pq.mp4", "50/1", 6,
         join({{"-c:v", "libx265", "-pix_fmt", "yuv420p10le", "-tag:v", "hvc1"}, kX265Quiet, kPq}), false,
         "hevc", "hvc1", "", "yuv420p10le", "bt2020nc", "bt2020", "smpte2084", "tv", kNone},
        {"hevc10_hvc1_hlg_faststart.mov", "60000/1001", 6,
         join({{"-c:v", "libx265", "-pix_fmt", "yuv420p10le", "-tag:v", "hvc1", "-movflags", "+faststart"},
               kX265Quiet,
               kHlg}),
         true, "hevc", "hvc1", "", "yuv420p10le", "bt2020nc", "bt2020", "arib-std-b67", "", kRange},
        // Fragmented movies: samples in moof boxes after the movie box, with none (empty_moov) or the first
        // fragment's in the movie box itself.
        {"h264_fragmented.mp4",
         "25/1",
         7,
         {"-c:v", "libx264", "-g", "2", "-movflags", "frag_keyframe+empty_moov"},
         false,
         "h264",
         "avc1",
         "",
         "yuv420p",
         "",
         "",
         "",
         "",
         kFrames},
        {"h264_fragments_after_moov.m4v",
         "30000/1001",
         7,
         {"-c:v", "libx264", "-g", "3", "-movflags", "frag_keyframe"},
         true,
         "h264",
         "avc1",
         "",
         "yuv420p",
         "",
         "",
         "",
         "",
         kFrames},
        // Codes outside the table keep the code as codec and leave the pixel format empty.
        {"mpeg4.m4v",
         "25/1",
         5,
         {"-c:v", "mpeg4"},
         false,
         "mp4v",
         "mp4v",
         "",
         "",
         "",
         "",
         "",
         "",
         kCodec | kPixFmt},
        {"mjpeg.mov",
         "30000/1001",
         4,
         {"-c:v", "mjpeg"},
         false,
         "jpeg",
         "jpeg",
         "",
         "",
         "",
         "",
         "",
         "",
         kCodec | kPixFmt | kRange | kColour},
    };
    return cases;
}

class ProbeMovie : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        for (const MovieCase& test : movieCases()) {
            std::vector<std::string> arguments = {"-f", "lavfi", "-i", "testsrc2=s=64x32:r=" + test.rate};
            if (test.audio)
                arguments.insert(arguments.end(), {"-f", "lavfi", "-i", "sine=d=2", "-c:a", "aac"});
            arguments.insert(arguments.end(), {"-frames:v", std::to_string(test.frames)});
            arguments.insert(arguments.end(), test.options.begin(), test.options.end());
            makeMedia(*dir_ / test.file, arguments);
        }
    }
    static void TearDownTestSuite() { dir_.reset(); }
    static std::filesystem::path path(const std::string& file) { return *dir_ / file; }

    static std::unique_ptr<TempDir> dir_;
};
std::unique_ptr<TempDir> ProbeMovie::dir_;

TEST_F(ProbeMovie, EveryFieldMatchesWhatWasGenerated) {
    for (const MovieCase& test : movieCases()) {
        SCOPED_TRACE(test.file);
        const ClipInfo clip = probe(path(test.file));
        ASSERT_FALSE(clip.error.has_value()) << *clip.error;
        EXPECT_EQ(clip.codec, test.codec);
        EXPECT_EQ(clip.codecTag, test.tag);
        EXPECT_EQ(clip.profile, test.profile);
        EXPECT_EQ(clip.width, 64);
        EXPECT_EQ(clip.height, 32);
        EXPECT_EQ(clip.pixFmt, test.pixFmt);
        EXPECT_EQ(clip.fpsString, test.rate);
        EXPECT_EQ(clip.frames, test.frames);
        EXPECT_NEAR(clip.duration, test.frames / clip.fps(), 0.0015);  // the movie time scale is 1/1000 s
        EXPECT_EQ(clip.colorSpace, test.space);
        EXPECT_EQ(clip.colorPrimaries, test.primaries);
        EXPECT_EQ(clip.colorTransfer, test.transfer);
        EXPECT_EQ(clip.colorRange, test.range);
        EXPECT_EQ(clip.hasAudio, test.audio);
        EXPECT_EQ(clip.fileSize, static_cast<std::int64_t>(std::filesystem::file_size(path(test.file))));
        EXPECT_EQ(clip.error, std::nullopt);
    }
}

TEST_F(ProbeMovie, AgreesWithFfprobeWhereBothReadTheSameThing) {
    for (const MovieCase& test : movieCases()) {
        SCOPED_TRACE(test.file);
        const ClipInfo clip = probe(path(test.file));
        auto oracle = ffprobeVideo(path(test.file));
        EXPECT_EQ(oracle["codec_tag_string"], clip.codecTag);
        EXPECT_EQ(oracle["width"], std::to_string(clip.width));
        EXPECT_EQ(oracle["height"], std::to_string(clip.height));
        EXPECT_EQ(oracle["r_frame_rate"], clip.fpsString);
        if (!(test.differs & kFrames)) {
            EXPECT_EQ(oracle["nb_frames"], std::to_string(clip.frames));
        }
        if (!(test.differs & kColour)) {
            EXPECT_EQ(oracle["color_space"], clip.colorSpace);
            EXPECT_EQ(oracle["color_primaries"], clip.colorPrimaries);
        }
        if (!(test.differs & kCodec)) {
            EXPECT_EQ(oracle["codec_name"], clip.codec);
        }
        if (!(test.differs & kPixFmt)) {
            EXPECT_EQ(oracle["pix_fmt"], clip.pixFmt);
        }
        if (!(test.differs & kRange)) {
            EXPECT_EQ(oracle["color_range"], clip.colorRange);
        }
        if (!(test.differs & (kTransfer | kColour))) {
            EXPECT_EQ(oracle["color_transfer"], clip.colorTransfer);
        }
    }
}

TEST_F(ProbeMovie, ReadsOnlyTheMovieBoxAndHeaders) {
    // Whether moov comes first or last, the probe reads a few box headers plus at most the movie box.
    for (const char* file : {"prores_hq_bt709.mov", "h264_faststart.mov", "hevc10_hvc1_pq.mp4"}) {
        SCOPED_TRACE(file);
        FileSource source;
        ASSERT_TRUE(source.open(path(file)));
        const MovieInfo movie = readMovie(source);
        ASSERT_TRUE(movie.video.has_value());
        const std::string bytes = testing::readFile(path(file));
        const std::size_t moov = bytes.find("moov") - 4;
        const std::uint64_t moovSize = (std::uint64_t(std::uint8_t(bytes[moov])) << 24) |
                                       (std::uint64_t(std::uint8_t(bytes[moov + 1])) << 16) |
                                       (std::uint64_t(std::uint8_t(bytes[moov + 2])) << 8) |
                                       std::uint8_t(bytes[moov + 3]);
        EXPECT_LE(source.bytesRead(), moovSize + 4 * 16) << "file of " << bytes.size() << " bytes";
    }
}

TEST_F(ProbeMovie, AnyFileNameOutsideTheImageKindsIsProbedAsAMovie) {
    // The extension decides: a .heic (or upper-case .MOV) name holding a movie is read the movie way.
    for (const char* name : {"clip.heic", "CLIP.MOV", "noextension"}) {
        std::filesystem::copy_file(path("h264_avc3.mp4"), path(name));
        const ClipInfo clip = probe(path(name));
        EXPECT_EQ(clip.codec, "h264") << name;
        EXPECT_EQ(clip.frames, 5) << name;
    }
}

// A phone stores an upright clip sideways and says so in the track header's matrix. ffmpeg shows such a clip
// turned, so its record carries the displayed size, and validation compares displayed heights.
TEST_F(ProbeMovie, QuarterTurnedClipsHaveTheirDisplayedSize) {
    const std::filesystem::path wide =
        makeMedia(path("wide.mp4"), {"-f", "lavfi", "-i", "testsrc2=s=320x180:r=25", "-frames:v", "5", "-c:v",
                                     "libx264", "-pix_fmt", "yuv420p"});
    struct Case {
        const char* rotate;
        const char* ffprobeRotation;  // proof that the matrix was written
        std::int64_t width, height;
    };
    const Case cases[] = {{"90", "90", 180, 320}, {"180", "-180", 320, 180}, {"270", "-90", 180, 320}};
    std::map<std::string, ClipInfo> turned;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.rotate);
        const std::filesystem::path file = makeMedia(
            path(std::string("turned") + test.rotate + ".mp4"),
            {"-i", wide.string(), "-c", "copy", "-metadata:s:v:0", std::string("rotate=") + test.rotate});
        const std::string shown =
            testing::runTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                         "stream_side_data=rotation", "-of", "csv=p=0", file.string()});
        EXPECT_EQ(shown.substr(0, shown.find('\n')), test.ffprobeRotation);
        const ClipInfo clip = probe(file);
        ASSERT_FALSE(clip.error.has_value());
        EXPECT_EQ(clip.width, test.width);
        EXPECT_EQ(clip.height, test.height);
        turned.insert_or_assign(test.rotate, clip);
    }
    const ClipInfo plain = probe(wide);
    EXPECT_EQ(validate({plain, turned.at("90")}).blocking,
              std::vector<std::string>{"높이가 다릅니다: 180 / 320"});
    EXPECT_TRUE(validate({turned.at("90"), turned.at("270")}).ok());
    EXPECT_TRUE(validate({plain, turned.at("180")}).ok());
}

}  // namespace
}  // namespace tessellane
