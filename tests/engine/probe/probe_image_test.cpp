// Still images made by the real ffmpeg at test time, and files that cannot be read, probed end to end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "engine/probe/probe.h"
#include "tests/engine/probe/probe_media_support.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::makeMedia;
using testing::readFile;
using testing::runTool;
using testing::TempDir;
using testing::writeFile;

const std::string kMovieError = "영상 스트림 없음(또는 읽을 수 없는 파일)";
const std::string kImageError = "읽을 수 없는 이미지";

// A 64x32 picture whose left half is fully transparent, so an encoder cannot drop the alpha channel.
const std::string kSource = "testsrc2=s=64x32:d=0.04";
const std::string kHalfTransparent =
    kSource + ",format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='if(lt(X,32),0,255)'";

struct ImageCase {
    std::string file;
    std::string filter;
    std::vector<std::string> options;
    std::string codec, pixFmt;
};

const std::vector<ImageCase>& imageCases() {
    static const std::vector<ImageCase> cases = {
        {"rgb8.png", kSource, {"-pix_fmt", "rgb24"}, "png", "rgb24"},
        {"rgba8.png", kHalfTransparent, {"-pix_fmt", "rgba"}, "png", "rgba"},
        {"rgb16.png", kSource, {"-pix_fmt", "rgb48be"}, "png", "rgb48be"},
        {"rgba16.png", kHalfTransparent, {"-pix_fmt", "rgba64be"}, "png", "rgba64be"},
        {"grey.png", kSource, {"-pix_fmt", "gray"}, "png", "rgb24"},
        // Palette with a transparent entry: the alpha comes from the tRNS chunk.
        {"palette_trns.png",
         kHalfTransparent +
             ",split[a][b];[a]palettegen=reserve_transparent=1[p];[b][p]paletteuse=alpha_threshold=128",
         {},
         "png",
         "rgba"},
        {"baseline.jpg", kSource, {}, "mjpeg", "rgb24"},
        {"progressive.JPEG", "", {}, "mjpeg", "rgb24"},  // made from baseline.jpg by jpegtran below
        {"rgb8.tif", kSource, {"-pix_fmt", "rgb24"}, "tiff", "rgb24"},
        {"rgba8.tiff", kHalfTransparent, {"-pix_fmt", "rgba"}, "tiff", "rgba"},
        {"rgb16.tiff", kSource, {"-pix_fmt", "rgb48le"}, "tiff", "rgb48be"},
        {"rgba16.tif", kHalfTransparent, {"-pix_fmt", "rgba64le"}, "tiff", "rgba64be"},
        {"rgb24.bmp", kSource, {"-pix_fmt", "bgr24"}, "bmp", "rgb24"},
        // ffmpeg writes 32-bit BMP with the 40-byte header, which has no alpha mask: read as opaque.
        {"bgra32.bmp", kHalfTransparent, {"-pix_fmt", "bgra"}, "bmp", "rgb24"},
        {"lossy.webp", kSource, {"-c:v", "libwebp"}, "webp", "rgb24"},
        {"lossless.webp", kSource, {"-c:v", "libwebp", "-lossless", "1"}, "webp", "rgb24"},
        {"alpha.webp", kHalfTransparent, {"-c:v", "libwebp"}, "webp", "rgba"},
        {"alpha_lossless.webp", kHalfTransparent, {"-c:v", "libwebp", "-lossless", "1"}, "webp", "rgba"},
    };
    return cases;
}

class ProbeImage : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        for (const ImageCase& test : imageCases()) {
            if (test.filter.empty()) continue;
            std::vector<std::string> arguments = {"-f", "lavfi", "-i", test.filter, "-frames:v", "1"};
            arguments.insert(arguments.end(), test.options.begin(), test.options.end());
            makeMedia(*dir_ / test.file, arguments);
        }
        // ffmpeg writes only baseline JPEG; jpegtran rewrites it losslessly as progressive (SOF2).
        int status = -1;
        runTool("jpegtran",
                {"-progressive", "-outfile", (*dir_ / "progressive.JPEG").string(),
                 (*dir_ / "baseline.jpg").string()},
                &status);
        if (status != 0) throw std::runtime_error("jpegtran failed");
    }
    static void TearDownTestSuite() { dir_.reset(); }
    static std::filesystem::path path(const std::string& file) { return *dir_ / file; }

    static std::unique_ptr<TempDir> dir_;
};
std::unique_ptr<TempDir> ProbeImage::dir_;

TEST_F(ProbeImage, EveryVariantGivesItsSizeAlphaAndDepth) {
    for (const ImageCase& test : imageCases()) {
        SCOPED_TRACE(test.file);
        const ClipInfo clip = probe(path(test.file));
        ASSERT_FALSE(clip.error.has_value()) << *clip.error;
        EXPECT_EQ(clip.codec, test.codec);
        EXPECT_EQ(clip.pixFmt, test.pixFmt);
        EXPECT_EQ(clip.width, 64);
        EXPECT_EQ(clip.height, 32);
        EXPECT_EQ(clip.frames, 1);
        EXPECT_EQ(clip.fpsString, "0/1");
        EXPECT_EQ(clip.duration, 0.0);
        EXPECT_EQ(clip.codecTag, "");
        EXPECT_EQ(clip.profile, "");
        EXPECT_EQ(clip.colorSpace + clip.colorPrimaries + clip.colorTransfer + clip.colorRange, "");
        EXPECT_FALSE(clip.hasAudio);
        EXPECT_EQ(clip.fileSize, static_cast<std::int64_t>(std::filesystem::file_size(path(test.file))));
    }
}

TEST_F(ProbeImage, SizesAgreeWithFfprobe) {
    for (const ImageCase& test : imageCases()) {
        SCOPED_TRACE(test.file);
        auto oracle = testing::ffprobeVideo(path(test.file));
        const ClipInfo clip = probe(path(test.file));
        EXPECT_EQ(oracle["width"], std::to_string(clip.width));
        EXPECT_EQ(oracle["height"], std::to_string(clip.height));
        // Pixel formats differ by design: ffprobe names the stored layout (pal8, gray, yuv420p, bgra), the
        // probe names the format the merge decodes to from alpha and depth alone.
    }
}

TEST_F(ProbeImage, ProgressiveJpegReallyIsProgressive) {
    // Guards the test above: the second file must carry a progressive frame header, not a copy of the first.
    const std::string bytes = readFile(path("progressive.JPEG"));
    EXPECT_NE(bytes.find("\xFF\xC2"), std::string::npos);
    EXPECT_EQ(bytes.find("\xFF\xC0"), std::string::npos);
}

TEST_F(ProbeImage, ContentDecidesTheLayoutAndTheExtensionDecidesTheCodec) {
    std::filesystem::copy_file(path("baseline.jpg"), path("photo.PNG"));
    const ClipInfo clip = probe(path("photo.PNG"));
    EXPECT_EQ(clip.error, std::nullopt);
    EXPECT_EQ(clip.codec, "png");
    EXPECT_EQ(clip.pixFmt, "rgb24");
    EXPECT_EQ(clip.width, 64);
    EXPECT_EQ(clip.height, 32);
    EXPECT_EQ(clip.fileSize, static_cast<std::int64_t>(std::filesystem::file_size(path("baseline.jpg"))));

    // And a still image under a name outside the image kinds is read the movie way, which fails.
    std::filesystem::copy_file(path("baseline.jpg"), path("photo.heic"));
    EXPECT_EQ(probe(path("photo.heic")).error, kMovieError);
}

struct Unreadable {
    std::string name;
    std::string content;  // written as the file; "<audio>" asks ffmpeg for an audio-only file
    bool exists;
    std::string error;
};

TEST(ProbeUnreadable, GivesTheUsersTextAndTheRealFileSize) {
    TempDir dir;
    std::string png = readFile(makeMedia(dir / "good.png", {"-f", "lavfi", "-i", kSource, "-frames:v", "1"}));
    std::string badChecksum = png;
    badChecksum[20] = static_cast<char>(badChecksum[20] ^ 0x40);  // a bit of the IHDR width
    const Unreadable cases[] = {
        {"audio.m4a", "<audio>", true, kMovieError},
        {"audio.mov", "<audio>", true, kMovieError},
        {"clip.mov", "this is a text file, not a movie\n", true, kMovieError},
        {"empty.mp4", "", true, kMovieError},
        {"missing.mov", "", false, kMovieError},
        {"missing.png", "", false, kImageError},
        {"empty.png", "", true, kImageError},
        {"truncated.png", png.substr(0, 30), true, kImageError},
        {"checksum.png", badChecksum, true, kImageError},
        {"text.jpg", "not a picture", true, kImageError},
        {"clip.webp", "RIFF\x10\0\0\0WAVEfmt ", true, kImageError},
    };
    for (const Unreadable& test : cases) {
        SCOPED_TRACE(test.name);
        const auto file = dir / test.name;
        if (test.content == "<audio>")
            makeMedia(file, {"-f", "lavfi", "-i", "sine=d=0.2", "-c:a", "aac"});
        else if (test.exists)
            writeFile(file, test.content);
        const ClipInfo clip = probe(file);
        EXPECT_EQ(clip.error, test.error);
        const std::int64_t size = test.exists ? std::int64_t(std::filesystem::file_size(file)) : 0;
        EXPECT_EQ(clip.fileSize, size);
        // Everything else stays at the defaults, hasAudio included even for the audio-only file.
        EXPECT_EQ(clip.codec, "?");
        EXPECT_EQ(clip.fpsString, "0/1");
        EXPECT_EQ(clip.width + clip.height + clip.frames, 0);
        EXPECT_FALSE(clip.hasAudio);
        EXPECT_EQ(clip.url(), file);
    }
}

TEST(ProbeUnreadable, NeverWaitsOnSomethingThatIsNotARegularFile) {
    // A FIFO would block a plain open until a writer appears; a folder cannot be read at all.
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.mov").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder.mov");
    EXPECT_EQ(probe(dir / "pipe.mov").error, kMovieError);
    EXPECT_EQ(probe(dir / "pipe.png").error, kImageError);
    EXPECT_EQ(probe(dir / "folder.mov").error, kMovieError);
}

}  // namespace
}  // namespace tessellane
