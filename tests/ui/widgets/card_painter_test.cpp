// A file card's texts and its drawing, checked on a QImage.
#include "ui/widgets/card_painter.h"

#include "tests/ui/ui_test_support.h"

namespace tessellane::testing {

QImage draw(const ClipInfo& clip, const QImage& thumb = {}, bool selected = false) {
    QImage image(430, cardHeight(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    paintCard(painter, image.rect(), cardDataFor(1, clip, thumb, selected));
    return image;
}

// Whether a pixel in `area` is within `tolerance` per channel of `colour` (text is anti-aliased).
bool hasColourNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 24) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({std::abs(c.red() - colour.red()), std::abs(c.green() - colour.green()),
                          std::abs(c.blue() - colour.blue())}) <= tolerance)
                return true;
        }
    return false;
}

TEST(CardLines, VideoImageUnreadableAndFrameRatesInEveryLocale) {
    const ClipInfo image("/c/s.png",
                         {.codec = "png", .width = 640, .height = 360, .pixFmt = "rgb24", .fileSize = 48000});
    const std::pair<ClipInfo, const char*> table[] = {
        {videoRecord("/c/take_1.mov"),
         "QuickTime (H264) · yuv420p | 1920 x 1080 · 25 fps | 00:00:05, 125f, 1.2 MB | "},
        {image, "PNG 이미지 (PNG) · rgb24 | 640 x 360 · 0 fps | 이미지, 48 KB | "},
        {ClipInfo("/c/bad.mov", {.error = "읽을 수 없는 파일"}), " |  |  | 읽을 수 없는 파일"},
    };
    const std::pair<const char*, const char*> rates[] = {
        {"24000/1001", "23.976"}, {"60000/1001", "59.94"}, {"120000/1001", "119.88"}, {"25/2", "12.5"}};
    for (const char* locale : {"C.UTF-8", "de_DE.UTF-8"}) {
        ScopedLocale scope(locale);
        for (const auto& [clip, lines] : table) {
            const CardData c = cardDataFor(2, clip, {}, false);
            EXPECT_EQ(QStringList({c.formatLine, c.sizeLine, c.timeLine, c.error.value_or("")}).join(" | "),
                      lines);
        }
        for (const auto& [rate, shown] : rates) {
            ClipInfo clip = videoRecord("/c/a.mov");
            clip.fpsString = rate;
            EXPECT_TRUE(cardDataFor(1, clip, {}, false).sizeLine.endsWith(QString("· %1 fps").arg(shown)))
                << locale << " " << rate;
        }
    }
}

TEST(CardLines, ContainerFromThePath) {
    const std::pair<const char*, const char*> cases[] = {
        {"/i/photo.JPG", "JPEG 이미지"}, {"/i/scan.TiF", "TIFF 이미지"}, {"/m/CLIP.MOV", "QuickTime"},
        {"/m/a.M4V", "MPEG-4"},          {"/m/a.mp4", "MPEG-4"},         {"/m/noext", ""},
        {"/i/a.png", "PNG 이미지"},      {"/i/a.webp", "WEBP"},          {"/m/a.mkv", "MKV"},
        {"/i/a.jpeg", "JPEG 이미지"},    {"/m/dir.png/clip", ""},        {"/m/x.tar.Gz", "GZ"},
        {"/i/.png", "PNG 이미지"},       {"/m/.MOV", "QuickTime"},       {"/m/a.", ""},
    };
    for (auto [path, container] : cases) EXPECT_EQ(containerName(ClipInfo(FileURL(path))), container) << path;
}

TEST(CardPainting, ColoursSelectionThumbnailAndLongNames) {
    QImage thumb(300, 72, QImage::Format_RGB32);  // wider than the box: black bars above and below
    thumb.fill(Qt::green);
    const QImage plain = draw(videoRecord("/c/a.mov")), selected = draw(videoRecord("/c/a.mov"), thumb, true);
    const QImage bad = draw(ClipInfo("/c/a.mov", {.error = "열 수 없습니다"}));
    const int middle = cardHeight() / 2;
    const QRect details(13, middle - 5, 259, middle - 1);  // below the index and name
    EXPECT_TRUE(hasColourNear(plain, details, palette::dimText(), 6) &&
                !hasColourNear(plain, details, palette::danger()));
    EXPECT_TRUE(hasColourNear(bad, details, palette::danger()) &&
                !hasColourNear(bad, details, palette::dimText(), 6));
    EXPECT_FALSE(hasColourNear(selected, selected.rect(), Qt::magenta, 0));  // the whole card is painted
    EXPECT_EQ(selected.pixelColor(1, middle), palette::accent());            // the selection bar
    EXPECT_EQ(selected.pixelColor(1, 2), selected.pixelColor(8, middle));    // stops short of the edges
    EXPECT_NE(plain.pixelColor(1, middle), palette::accent());
    const QRect box = thumbnailBox(selected.rect());
    EXPECT_EQ(selected.pixelColor(box.center()), QColor(Qt::green));
    EXPECT_EQ(selected.pixelColor(box.left() + 75, box.top() + 2), QColor(Qt::black));
    EXPECT_EQ(plain.pixelColor(box.center()), QColor(Qt::black));
    EXPECT_EQ(draw(videoRecord("/c/" + std::string(200, 'x') + ".mov")).copy(box), plain.copy(box))
        << "a long name must stop before the thumbnail box";
}

}  // namespace tessellane::testing
