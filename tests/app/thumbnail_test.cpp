// Thumbnails: the seek time, the size limit, and no picture and no file left when ffmpeg fails.
#include "app/thumbnail.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/app/app_test_support.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

// The middle of a movie, in a comma locale too; the start of a still or of an unknown length.
TEST(Thumbnail, SeekTime) {
    const std::pair<double, const char*> cases[] = {
        {10, "5.000"},        {5, "2.500"},   {0, "0.000"},  {1.0 / 3, "0.167"},
        {7200.5, "3600.250"}, {NAN, "0.000"}, {-4, "0.000"}, {INFINITY, "0.000"},
    };
    for (const char* locale : {"C.UTF-8", "de_DE.UTF-8"}) {
        testing::ScopedLocale scope(locale);
        for (auto [duration, seek] : cases)
            EXPECT_EQ(thumbnailSeekTime(ClipInfo("/in/a.mov", {.duration = duration})), seek) << duration;
        EXPECT_EQ(thumbnailSeekTime(ClipInfo("/in/a.png", {.duration = 10})), "0.000");
    }
}

TEST(Thumbnail, LimitKeepsTheProportionsAndNeverEnlarges) {
    const std::pair<QSize, QSize> cases[] = {
        {{3840, 2160}, {1920, 1080}}, {{1080, 3840}, {540, 1920}}, {{7680, 1080}, {1920, 270}},
        {{1920, 1920}, {1920, 1920}}, {{3000, 1000}, {1920, 640}}, {{64, 32}, {64, 32}},
    };
    for (auto [given, expected] : cases)
        EXPECT_EQ(limitThumbnailSize(QImage(given, QImage::Format_RGB32)).size(), expected) << given.width();
}

// The exact vector ffmpeg gets, with the seek before the input; whatever it leaves behind is removed.
TEST(Thumbnail, FailuresGiveNoPictureAndLeaveNoFile) {
    testing::TempDir dir;
    PrivateTempFolder folder;
    const ClipInfo clip("/in/clip.mov", {.duration = 3.0});
    const std::string png = (folder.path() / thumbnailFileName(clip.id())).string();
    const char* const scripts[] = {
        "exit 1\n",
        "printf 'not a png' > \"${11}\"\nexit 0\n",
        "printf '\\211PNG\\r\\n\\032\\n\\0\\0' > \"${11}\"\nexit 1\n",
        "kill -9 $$\n",
    };
    for (const char* script : scripts) {
        testing::writeScript(dir / "ffmpeg",
                             "printf '%s\\n' \"$@\" > \"" + (dir / "args").string() + "\"\n" + script);
        EXPECT_TRUE(makeThumbnailImage((dir / "ffmpeg").string(), clip, folder.path()).isNull()) << script;
        EXPECT_TRUE(testing::filesIn(folder.path()).empty()) << script;
        EXPECT_EQ(testing::readFile(dir / "args"),
                  "-nostdin\n-y\n-v\nerror\n-ss\n1.500\n-i\n/in/clip.mov\n-frames:v\n1\n" + png + "\n")
            << script;
    }
}

}  // namespace
}  // namespace tessellane
