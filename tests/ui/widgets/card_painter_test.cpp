// A file card's texts and its drawing, checked on a QImage.
#include "ui/widgets/card_painter.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/widgets/palette.h"

namespace tessellane {
namespace {

using testing::brokenRecord;
using testing::imageRecord;
using testing::videoRecord;

std::set<QString> coloursIn(const QImage& image, const QRect& area) {
    std::set<QString> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) colours.insert(image.pixelColor(x, y).name());
    return colours;
}

QImage draw(const CardData& card, int width = 430) {
    QImage image(width, cardHeight(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    paintCard(painter, image.rect(), card);
    return image;
}

TEST(CardLines, VideoImageAndUnreadableFile) {
    const auto video = cardDataFor(1, videoRecord("/c/take_1.mov"), {}, false);
    EXPECT_EQ(video.index, 1);
    EXPECT_EQ(video.name, "take_1.mov");
    EXPECT_FALSE(video.error);
    EXPECT_EQ(video.formatLine, "QuickTime (H264) · yuv420p");
    EXPECT_EQ(video.sizeLine, "1920 x 1080 · 25 fps");
    EXPECT_EQ(video.timeLine, "00:00:05, 125f, 1.2 MB");

    const auto image = cardDataFor(2, imageRecord("/c/shot.png", 640, 360), {}, true);
    EXPECT_EQ(image.formatLine, "PNG 이미지 (PNG) · rgb24");
    EXPECT_EQ(image.sizeLine, "640 x 360 · 0 fps");  // a still's frame rate is 0
    EXPECT_EQ(image.timeLine, "이미지, 48 KB");

    const auto broken = cardDataFor(3, brokenRecord("/c/bad.mov", "읽을 수 없는 파일입니다"), {}, false);
    ASSERT_TRUE(broken.error);
    EXPECT_EQ(*broken.error, "읽을 수 없는 파일입니다");
    EXPECT_TRUE(broken.formatLine.isEmpty() && broken.sizeLine.isEmpty() && broken.timeLine.isEmpty());
}

TEST(CardLines, FrameRatesKeepThreeSignificantDigitsInAnyLocale) {
    const struct {
        const char* fpsString;
        const char* shown;
    } table[] = {{"24000/1001", "· 24 fps"},
                 {"60000/1001", "· 59.9 fps"},
                 {"25/1", "· 25 fps"},
                 {"120000/1001", "· 120 fps"},
                 {"25/2", "· 12.5 fps"}};
    auto check = [&table] {
        for (const auto& row : table) {
            ClipInfo clip = videoRecord("/c/a.mov");
            clip.fpsString = row.fpsString;
            const QString line = cardDataFor(1, clip, {}, false).sizeLine;
            EXPECT_TRUE(line.endsWith(row.shown)) << line.toStdString();
        }
    };
    check();
    testing::ScopedLocale comma("de_DE.UTF-8");
    check();
}

TEST(CardPainting, ErrorTextIsDangerAndDetailsAreDim) {
    const auto ok = draw(cardDataFor(1, videoRecord("/c/a.mov"), {}, false));
    const auto bad = draw(cardDataFor(1, brokenRecord("/c/a.mov", "열 수 없습니다"), {}, false));
    const QRect text(13, 0, 430 - 13 - 158, cardHeight());
    // Below the name line only the detail lines (or the error in their place) are drawn.
    const QRect details(13, cardHeight() / 2 - 5, 430 - 13 - 158, cardHeight() / 2 - 1);
    using testing::hasColourNear;
    EXPECT_FALSE(hasColourNear(ok, text, palette::danger()));
    EXPECT_TRUE(hasColourNear(ok, details, palette::dimText(), 6));
    EXPECT_TRUE(hasColourNear(bad, details, palette::danger()));
    EXPECT_FALSE(hasColourNear(bad, details, palette::dimText(), 6));
    // The index is in the accent colour on both.
    EXPECT_TRUE(hasColourNear(bad, text, palette::cyan()));
}

TEST(CardPainting, SelectionBarBackgroundAndLetterboxedThumbnail) {
    QImage thumb(300, 72, QImage::Format_RGB32);  // wider than the box: black bars above and below
    thumb.fill(Qt::green);
    const auto selected = draw(cardDataFor(1, videoRecord("/c/a.mov"), thumb, true));
    const auto plain = draw(cardDataFor(1, videoRecord("/c/a.mov"), {}, false));

    // Nothing of the magenta canvas shows through: the card paints its whole rectangle.
    EXPECT_FALSE(coloursIn(selected, selected.rect()).count("#ff00ff"));
    EXPECT_EQ(selected.pixelColor(1, cardHeight() / 2).name(), palette::cyan().name());
    EXPECT_EQ(selected.pixelColor(1, 2).name(), "#232a2e");  // the bar stops 6 short of the edge
    EXPECT_EQ(selected.pixelColor(8, cardHeight() / 2).name(), "#232a2e");
    EXPECT_EQ(plain.pixelColor(1, cardHeight() / 2).name(), palette::panelBG().name());

    const QRect box = thumbnailBox(selected.rect());
    EXPECT_EQ(box.size(), QSize(150, 72));
    EXPECT_EQ(box.right(), 430 - 8 - 1);
    EXPECT_EQ(selected.pixelColor(box.center()).name(), "#00ff00");
    EXPECT_EQ(selected.pixelColor(box.left() + 75, box.top() + 2).name(), "#000000");
    EXPECT_EQ(plain.pixelColor(box.center()).name(), "#000000");
}

TEST(CardPainting, LongNamesAreShortenedNotSpilled) {
    CardData card = cardDataFor(10, videoRecord("/c/" + std::string(200, 'x') + ".mov"), {}, false);
    const auto image = draw(card);
    // The name stops before the thumbnail box, which stays black.
    const QRect box = thumbnailBox(image.rect());
    EXPECT_EQ(coloursIn(image, box), std::set<QString>{"#000000"});
}

}  // namespace
}  // namespace tessellane
