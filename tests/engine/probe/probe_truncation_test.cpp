// Real files cut at every byte offset: each piece must give either the whole file's reading or an error,
// never a crash, a hang or a made-up value. Run under the sanitizers, this also proves every read in bounds.
#include <gtest/gtest.h>

#include <memory>

#include "engine/probe/byte_source.h"
#include "engine/probe/image_header.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::makeMedia;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

struct Generated {
    std::string file;
    std::vector<std::string> arguments;
    std::string source = {};  // an earlier file of the list that these arguments remux, if any
    int rotation = 0;         // the display rotation the reader must find
};

const std::vector<Generated>& movies() {
    static const std::vector<Generated> files = {
        {"prores_moov_last.mov",
         {"-f",
          "lavfi",
          "-i",
          "testsrc2=s=64x32:r=25",
          "-f",
          "lavfi",
          "-i",
          "sine=d=1",
          "-frames:v",
          "3",
          "-c:v",
          "prores_ks",
          "-profile:v",
          "4",
          "-pix_fmt",
          "yuva444p10le",
          "-c:a",
          "aac",
          "-color_primaries",
          "bt709",
          "-color_trc",
          "bt709",
          "-colorspace",
          "bt709"}},
        {"h264_moov_first.mp4",
         {"-f",
          "lavfi",
          "-i",
          "testsrc2=s=64x32:r=30000/1001",
          "-f",
          "lavfi",
          "-i",
          "sine=d=1",
          "-frames:v",
          "4",
          "-c:v",
          "libx264",
          "-c:a",
          "aac",
          "-movflags",
          "+faststart",
          "-color_primaries",
          "bt709",
          "-color_trc",
          "bt709",
          "-colorspace",
          "bt709",
          "-color_range",
          "tv"}},
        {"hevc_moov_last.mp4",
         {"-f", "lavfi", "-i", "testsrc2=s=64x32:r=50", "-frames:v", "4", "-c:v", "libx265", "-x265-params",
          "log-level=error", "-pix_fmt", "yuv420p10le", "-tag:v", "hvc1"}},
        // A phone's sideways clip: the matrix sits in the track header, early in a movie box that comes
        // first.
        {"h264_turned.mov",
         {"-c", "copy", "-metadata:s:v:0", "rotate=90", "-movflags", "+faststart"},
         "h264_moov_first.mp4",
         270},
    };
    return files;
}

const std::vector<Generated>& images() {
    static const std::vector<std::string> source = {"-f",        "lavfi", "-i", "testsrc2=s=64x32",
                                                    "-frames:v", "1"};
    auto with = [](std::vector<std::string> extra) {
        std::vector<std::string> all = source;
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    };
    static const std::vector<Generated> files = {
        {"palette.png", with({"-pix_fmt", "pal8"})},
        {"deep.png", with({"-pix_fmt", "rgba64be"})},
        {"photo.jpg", with({})},
        {"scan.tiff", with({"-pix_fmt", "rgba"})},
        {"plain.bmp", with({})},
        {"lossless.webp", with({"-lossless", "1"})},
    };
    return files;
}

class ProbeTruncated : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        for (const auto* list : {&movies(), &images()})
            for (const Generated& g : *list) {
                std::vector<std::string> arguments = g.arguments;
                if (!g.source.empty())
                    arguments.insert(arguments.begin(), {"-i", (*dir_ / g.source).string()});
                makeMedia(*dir_ / g.file, arguments);
            }
    }
    static void TearDownTestSuite() { dir_.reset(); }
    static std::unique_ptr<TempDir> dir_;
};
std::unique_ptr<TempDir> ProbeTruncated::dir_;

std::span<const std::uint8_t> prefix(const std::string& bytes, std::size_t length) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), length};
}

void expectSameTrack(const VideoTrack& piece, const VideoTrack& whole, std::size_t length) {
    EXPECT_EQ(piece.format.code, whole.format.code) << length;
    EXPECT_EQ(piece.format.width, whole.format.width) << length;
    EXPECT_EQ(piece.format.height, whole.format.height) << length;
    EXPECT_EQ(piece.format.depth, whole.format.depth) << length;
    EXPECT_EQ(piece.format.colorPrimaries, whole.format.colorPrimaries) << length;
    EXPECT_EQ(piece.rotation, whole.rotation) << length;
    EXPECT_EQ(piece.minFrameDuration.value, whole.minFrameDuration.value) << length;
    EXPECT_EQ(piece.durationSeconds, whole.durationSeconds) << length;
}

TEST_F(ProbeTruncated, EveryPrefixOfAMovieReadsWholeOrFails) {
    for (const Generated& g : movies()) {
        SCOPED_TRACE(g.file);
        const std::string bytes = readFile(*dir_ / g.file);
        MemorySource wholeSource(prefix(bytes, bytes.size()));
        const MovieInfo whole = readMovie(wholeSource);
        ASSERT_TRUE(whole.video.has_value());
        EXPECT_EQ(whole.video->rotation, g.rotation);
        std::size_t readable = 0;
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            MemorySource source(prefix(bytes, length));
            const MovieInfo piece = readMovie(source);
            ASSERT_EQ(piece.video.has_value(), piece.error == MovieReadError::none) << length;
            if (!piece.video) continue;
            ++readable;
            expectSameTrack(*piece.video, *whole.video, length);
            EXPECT_EQ(piece.hasAudio, whole.hasAudio) << length;
        }
        // With moov first, every cut after it still reads; with moov last, no cut does.
        const bool moovFirst = bytes.find("moov") < bytes.find("mdat");
        if (moovFirst)
            EXPECT_GT(readable, bytes.size() / 2);
        else
            EXPECT_EQ(readable, 0u);
    }
}

TEST_F(ProbeTruncated, EveryPrefixOfAnImageReadsItsSizeOrFails) {
    for (const Generated& g : images()) {
        SCOPED_TRACE(g.file);
        const std::string bytes = readFile(*dir_ / g.file);
        MemorySource wholeSource(prefix(bytes, bytes.size()));
        const auto whole = readImageHeader(wholeSource);
        ASSERT_TRUE(whole.has_value());
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            MemorySource source(prefix(bytes, length));
            const auto piece = readImageHeader(source);
            if (!piece) continue;
            EXPECT_EQ(piece->kind, whole->kind) << length;
            EXPECT_EQ(piece->width, whole->width) << length;
            EXPECT_EQ(piece->height, whole->height) << length;
            EXPECT_EQ(piece->bitsPerSample, whole->bitsPerSample) << length;
        }
    }
}

TEST_F(ProbeTruncated, ProbingCutFilesGivesTheRecordOrTheUsersText) {
    // The same through the file system, at a stride: the probe's record is the whole file's or an error.
    TempDir cuts;
    for (const auto* list : {&movies(), &images()}) {
        for (const Generated& g : *list) {
            SCOPED_TRACE(g.file);
            const std::string bytes = readFile(*dir_ / g.file);
            const ClipInfo whole = probe(*dir_ / g.file);
            ASSERT_FALSE(whole.error.has_value());
            const std::string expectedError =
                whole.isImage() ? "읽을 수 없는 이미지" : "영상 스트림 없음(또는 읽을 수 없는 파일)";
            const std::size_t stride = std::max<std::size_t>(1, bytes.size() / 48);
            for (std::size_t length = 0; length < bytes.size(); length += stride) {
                const auto cut = cuts / g.file;
                writeFile(cut, bytes.substr(0, length));
                const ClipInfo piece = probe(cut);
                EXPECT_EQ(piece.fileSize, static_cast<std::int64_t>(length));
                if (piece.error) {
                    EXPECT_EQ(*piece.error, expectedError) << length;
                    EXPECT_EQ(piece.codec, "?") << length;
                    continue;
                }
                EXPECT_EQ(piece.codec, whole.codec) << length;
                EXPECT_EQ(piece.width, whole.width) << length;
                EXPECT_EQ(piece.height, whole.height) << length;
                EXPECT_EQ(piece.fpsString, whole.fpsString) << length;
                EXPECT_EQ(piece.frames, whole.frames) << length;
            }
        }
    }
}

}  // namespace
}  // namespace tessellane
