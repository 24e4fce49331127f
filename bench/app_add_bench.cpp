// Adding many files must never freeze the window: probing and thumbnails run off the main thread and come
// back as small queued results. Prints the longest stretch the main thread was busy during an add of
// 500 files, the time until all are probed and until all thumbnails are in, and, against that, how long
// the main thread would block if it probed the same files or made their thumbnails itself.
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>

#include "app/app_model.h"
#include "app/thumbnail.h"
#include "bench/app_bench_support.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

using namespace tessellane;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;

    testing::TempDir scratch;
    const auto master = scratch.path() / "master.mov";
    testing::makeMedia(master, {"-f", "lavfi", "-i", "testsrc=size=64x32:rate=25", "-frames:v", "5", "-c:v",
                                "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    std::vector<FileURL> urls;
    for (int i = count; i >= 1; --i) {  // reverse order, so the natural sort has work to do
        urls.push_back(scratch.path() / ("Take " + std::to_string(i) + ".mov"));
        std::filesystem::copy_file(master, urls.back());
    }

    AppModel model;
    bench::BusyMeter meter;
    bench::runUntil([] { return false; }, 50);  // let the meter settle

    QElapsedTimer clock;
    double addCallMs = 0, probedMs = 0, addStartedMs = 0;
    QTimer::singleShot(0, &model, [&] {
        clock.start();
        addStartedMs = meter.sinceStartMs();
        model.add(urls);
        addCallMs = double(clock.nsecsElapsed()) / 1e6;
    });
    if (!bench::runUntil([&] { return model.clips().size() == std::size_t(count); }, 300000)) {
        std::fprintf(stderr, "probing did not finish\n");
        return 2;
    }
    probedMs = double(clock.nsecsElapsed()) / 1e6;
    if (!bench::runUntil([&] { return model.pendingTasks() == 0; }, 600000)) {
        std::fprintf(stderr, "thumbnails did not finish\n");
        return 2;
    }
    const double thumbsMs = double(clock.nsecsElapsed()) / 1e6;
    const double longest = meter.longestBusyMs();
    const double longestWall = meter.longestWallGapMs();

    // The obvious alternative: probing on the main thread, which blocks it for the whole batch.
    QElapsedTimer inline_;
    inline_.start();
    std::size_t readable = 0;
    for (const FileURL& url : urls) readable += probe(url).error ? 0 : 1;
    const double inlineMs = double(inline_.nsecsElapsed()) / 1e6;

    // And making the pictures there: each one waits for an ffmpeg run.
    const int sample = std::min(count, 10);
    PrivateTempFolder folder;
    const std::string ffmpeg = tool_search::ffmpeg().value_or("ffmpeg");
    inline_.restart();
    for (int i = 0; i < sample; ++i) makeThumbnailImage(ffmpeg, probe(urls[std::size_t(i)]), folder.path());
    const double inlineThumbsMs = double(inline_.nsecsElapsed()) / 1e6;

    std::printf("files added:                         %d (%zu thumbnails, %zu readable)\n", count,
                model.thumbs().size(), readable);
    std::printf("add() call on the main thread:       %.3f ms\n", addCallMs);
    std::printf("longest main-thread busy stretch:    %.3f ms on a core (budget 16 ms, one frame)\n",
                longest);
    std::printf(
        "longest main-thread blocked stretch: %.3f ms (sleeping or waiting on a lock), ended %.1f ms after "
        "add()\n",
        meter.longestBlockedMs(), meter.longestBlockedEndedMs() - addStartedMs);
    std::printf("longest event-loop gap, wall clock:  %.3f ms (%.3f on a core, %.3f waiting for a core)\n",
                longestWall, meter.wallGapBusyMs(), meter.wallGapQueuedMs());
    std::printf("time until all are probed:           %.1f ms\n", probedMs);
    std::printf("time until all thumbnails are in:    %.1f ms\n", thumbsMs);
    std::printf("probing on the main thread instead:  %.1f ms blocked in one stretch\n", inlineMs);
    std::printf("thumbnails on the main thread:       %.1f ms blocked for the first %d files alone\n",
                inlineThumbsMs, sample);
    std::printf("stretch, inline thumbnails / ours:   %.0fx\n", inlineThumbsMs / std::max(longest, 0.001));
    std::printf("%s\n",
                longest < 16.0 ? "PASS: the window stays responsive" : "FAIL: a stretch exceeded one frame");
    return longest < 16.0 ? 0 : 1;
}
