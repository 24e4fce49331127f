// Preview pictures are kept at most 1920 px on their longer side because views only draw them smaller.
// Prints the memory the thumbnails of twenty 4K clips hold in the model against what the same frames
// would hold at full size (one full-size frame decoded in the same run, times twenty).
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "app/app_model.h"
#include "bench/app_bench_support.h"
#include "tests/support/test_support.h"

using namespace tessellane;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    testing::TempDir scratch;
    const auto master = scratch.path() / "master.mov";
    testing::makeMedia(master, {"-f", "lavfi", "-i", "testsrc2=size=3840x2160:rate=25", "-frames:v", "2",
                                "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    std::vector<FileURL> urls;
    for (int i = 1; i <= count; ++i) {
        urls.push_back(scratch.path() / ("uhd_" + std::to_string(i) + ".mov"));
        std::filesystem::copy_file(master, urls.back());
    }

    AppModel model;
    bench::BusyMeter meter;
    model.add(urls);
    if (!bench::runUntil(
            [&] { return model.clips().size() == std::size_t(count) && model.pendingTasks() == 0; },
            600000)) {
        std::fprintf(stderr, "thumbnails did not finish\n");
        return 2;
    }
    qint64 held = 0;
    QSize shape;
    for (const auto& [id, image] : model.thumbs()) {
        held += image.sizeInBytes();
        shape = image.size();
    }

    // The same frame at full size, as ffmpeg writes it and Qt decodes it.
    const auto full = scratch.path() / "full.png";
    testing::makeMedia(full, {"-ss", "0.040", "-i", master.string(), "-frames:v", "1"});
    const QImage fullImage(QString::fromStdString(full.string()));
    const qint64 fullEach = fullImage.sizeInBytes();

    std::printf("clips:                               %d at 3840x2160 (%zu thumbnails of %dx%d)\n", count,
                model.thumbs().size(), shape.width(), shape.height());
    std::printf("thumbnails held:                     %.1f MB\n", double(held) / 1e6);
    std::printf("full-size pictures would hold:       %.1f MB (%dx%d, %.1f MB each)\n",
                double(fullEach) * count / 1e6, fullImage.width(), fullImage.height(),
                double(fullEach) / 1e6);
    std::printf("full size / held:                    %.2fx\n",
                double(fullEach) * count / std::max<qint64>(held, 1));
    std::printf(
        "longest main-thread busy stretch:    %.3f ms on a core (wall gap %.3f ms, blocked %.3f ms)\n",
        meter.longestBusyMs(), meter.longestWallGapMs(), meter.longestBlockedMs());
    return 0;
}
