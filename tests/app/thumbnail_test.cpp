// Thumbnails: the exact ffmpeg vector, the private folder, the size limit and clean-up in every case.
#include "app/thumbnail.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <clocale>
#include <filesystem>

#include "engine/merge/tools.h"
#include "tests/app/app_test_support.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::filesIn;
using testing::makeTinyImage;
using testing::makeTinyMovie;
using testing::readFile;
using testing::TempDir;
using testing::writeScript;

ClipInfo movie(double duration) {
    return ClipInfo("/in/clip.mov", {.codec = "h264",
                                     .codecTag = "avc1",
                                     .profile = "High",
                                     .width = 64,
                                     .height = 32,
                                     .pixFmt = "yuv420p",
                                     .fpsString = "25/1",
                                     .frames = 5,
                                     .duration = duration});
}

TEST(Thumbnail, ElevenArgumentsWithTheSeekBeforeTheInput) {
    struct Case {
        const char* name;
        ClipInfo clip;
        std::string seek;
    };
    const Case cases[] = {
        {"still image",
         ClipInfo("/in/still.png",
                  {.codec = "png", .width = 64, .height = 32, .pixFmt = "rgb24", .frames = 1}),
         "0.000"},
        {"ten seconds", movie(10.0), "5.000"},
        {"five seconds", movie(5.0), "2.500"},
        {"unknown length", movie(0.0), "0.000"},
        {"rounded to milliseconds", movie(1.0 / 3.0), "0.167"},
        {"long", movie(7200.5), "3600.250"},
        {"not a number", movie(std::nan("")), "0.000"},
        {"negative", movie(-4.0), "0.000"},
    };
    for (const Case& test : cases) {
        const std::vector<std::string> expected = {
            "-nostdin",  "-y", "-v",      "error", "-ss", test.seek, "-i", test.clip.url().string(),
            "-frames:v", "1",  "/t/x.png"};
        EXPECT_EQ(thumbnailArguments(test.clip, "/t/x.png"), expected) << test.name;
    }
}

TEST(Thumbnail, SeekTimeIgnoresACommaLocale) {
    char printed[32] = {};
    std::string seek;
    {
        testing::ScopedLocale comma("de_DE.UTF-8");
        std::snprintf(printed, sizeof printed, "%.3f", 2.5);
        seek = thumbnailSeekTime(movie(5.0));
    }
    ASSERT_STREQ(printed, "2,500") << "the locale really puts a comma where printf writes the point";
    EXPECT_EQ(seek, "2.500");
}

TEST(Thumbnail, FileNameIsTheUpperCaseClipId) {
    const Uuid id = Uuid::random();
    const std::string name = thumbnailFileName(id);
    EXPECT_EQ(name, "tessellane_" + asciiUpper(id.toString()) + ".png");
    EXPECT_EQ(name.size(), 11u + 36u + 4u);
    EXPECT_EQ(name.substr(11, 36).find_first_of("abcdef"), std::string::npos);
}

TEST(Thumbnail, LimitKeepsTheAspectAndNeverEnlarges) {
    const std::pair<QSize, QSize> cases[] = {
        {{3840, 2160}, {1920, 1080}}, {{1080, 3840}, {540, 1920}}, {{7680, 1080}, {1920, 270}},
        {{1920, 1920}, {1920, 1920}}, {{3000, 1000}, {1920, 640}}, {{64, 32}, {64, 32}},
    };
    for (auto [given, expected] : cases) {
        QImage image(given, QImage::Format_RGB32);
        image.fill(Qt::red);
        EXPECT_EQ(limitThumbnailSize(image).size(), expected) << given.width() << "x" << given.height();
    }
}

TEST(PrivateTempFolder, IsOnlyOursAndGoesAway) {
    std::filesystem::path path;
    {
        PrivateTempFolder folder;
        ASSERT_TRUE(folder.valid());
        path = folder.path();
        EXPECT_EQ(path.parent_path(), std::filesystem::path(QDir::tempPath().toStdString()));
        struct stat info {};
        ASSERT_EQ(::lstat(path.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        testing::writeFile(path / "left.png", "x");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Thumbnail, RealFramesAreDecodedLimitedAndTheFileRemoved) {
    TempDir dir;
    PrivateTempFolder folder;
    const std::string ffmpeg = *Tools::ffmpeg();
    struct Case {
        const char* name;
        FileURL file;
        ClipInfo clip;
        QSize size;
    };
    const FileURL wide = makeTinyImage(dir / "wide.png", 2400, 200);
    const FileURL small = makeTinyMovie(dir / "small.mov", 10);
    const Case cases[] = {
        {"wide still shrunk",
         wide,
         ClipInfo(wide, {.codec = "png", .width = 2400, .height = 200, .pixFmt = "rgb24", .frames = 1}),
         {1920, 160}},
        {"movie middle frame",
         small,
         ClipInfo(small, {.codec = "h264",
                          .codecTag = "avc1",
                          .profile = "High",
                          .width = 64,
                          .height = 32,
                          .pixFmt = "yuv420p",
                          .fpsString = "25/1",
                          .frames = 10,
                          .duration = 0.4}),
         {64, 32}},
    };
    for (const Case& test : cases) {
        QImage image = makeThumbnailImage(ffmpeg, test.clip, folder.path());
        EXPECT_EQ(image.size(), test.size) << test.name;
        EXPECT_TRUE(filesIn(folder.path()).empty()) << test.name;
    }
}

TEST(Thumbnail, FailuresGiveNoPictureAndLeaveNoFile) {
    TempDir dir;
    PrivateTempFolder folder;
    const ClipInfo clip = movie(3.0);
    const std::string png = (folder.path() / thumbnailFileName(clip.id())).string();
    struct Case {
        const char* name;
        std::string script;
    };
    const Case cases[] = {
        {"fails writing nothing", "exit 1\n"},
        {"writes garbage and succeeds", "printf 'not a png' > \"${11}\"\nexit 0\n"},
        {"writes a truncated png and fails", "printf '\\211PNG\\r\\n\\032\\n\\0\\0' > \"${11}\"\nexit 1\n"},
        {"killed by a signal", "kill -9 $$\n"},
    };
    for (const Case& test : cases) {
        writeScript(dir / "fake-ffmpeg",
                    "printf '%s\\n' \"$@\" > \"" + (dir / "args").string() + "\"\n" + test.script);
        QImage image = makeThumbnailImage((dir / "fake-ffmpeg").string(), clip, folder.path());
        EXPECT_TRUE(image.isNull()) << test.name;
        EXPECT_TRUE(filesIn(folder.path()).empty()) << test.name;
        EXPECT_EQ(readFile(dir / "args"),
                  "-nostdin\n-y\n-v\nerror\n-ss\n1.500\n-i\n/in/clip.mov\n-frames:v\n1\n" + png + "\n")
            << test.name;
    }
}

}  // namespace
}  // namespace tessellane
