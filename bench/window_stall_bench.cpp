// How long the window's main thread goes without running its event loop while 300 files are added
// (probing and 300 thumbnails in the background), while the merge rows are changed with them listed, and
// while a merge runs, against the obvious
// alternative of doing the same work on the main thread. A frame is 16 ms; the window must stay under it.
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/app_model.h"
#include "app/thumbnail.h"
#include "bench/app_bench_support.h"
#include "engine/merge/merge.h"
#include "engine/merge/tools.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"
#include "ui/shell/windowed_app.h"
#include "ui/widgets/choice_button.h"
#include "ui/window/main_window.h"
#include "ui/window/settings_column.h"

// Times every event the main thread handles at the top level, in wall time and in the main thread's own
// CPU time. On a loaded machine the wall time includes waiting for a core; the CPU time is the work the
// window itself did in one go, which is what decides whether a frame can be missed on an idle machine.
class TimedApplication : public QApplication {
  public:
    using QApplication::QApplication;

    struct Slowest {
        double wallMs = 0;
        double cpuMs = 0;
        int type = 0;
        QString receiver;
    };
    void reset() { slowest_ = {}; }
    const Slowest& slowest() const { return slowest_; }

    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --depth_;
            return handled;
        }
        const int type = event->type();
        const QString name = QString::fromLatin1(receiver->metaObject()->className());
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = threadCpuMs();
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        const double cpu = threadCpuMs() - cpuBefore;
        if (cpu > slowest_.cpuMs) slowest_ = {wall.nsecsElapsed() / 1e6, cpu, type, name};
        return handled;
    }

  private:
    static double threadCpuMs() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    }
    int depth_ = 0;
    Slowest slowest_;
};

namespace tessellane {
namespace {

// A desktop without choosers or a file manager: the benchmark never opens one.
class NoDesktop : public PlatformServices {
  public:
    FolderChoice chooseFolder(const QString&, const std::optional<FileURL>&) override { return {}; }
    std::optional<std::vector<FileURL>> chooseFiles(const std::vector<std::string>&,
                                                    const std::optional<FileURL>&) override {
        return {};
    }
    void reveal(const FileURL&) override {}
    void open(const FileURL&) override {}
};

// Waits without end would hide a hang; ten minutes is far beyond any step here.
void runUntil(const std::function<bool()>& done) {
    if (!bench::runUntil(done, 600000)) {
        std::puts("gave up waiting after ten minutes");
        std::exit(1);
    }
}

int run(TimedApplication& app) {
    const int kFiles =
        qEnvironmentVariableIsSet("STALL_FILES") ? qEnvironmentVariableIntValue("STALL_FILES") : 300;
    testing::TempDir dir;
    NoDesktop desktop;
    AppModel model(&desktop);
    if (model.ffmpegMissing()) {
        std::puts("ffmpeg not found: nothing to measure");
        return 1;
    }
    MainWindow window(model);
    window.resize(1280, 760);
    window.show();
    std::optional<bench::BusyMeter> meter;
    // The first paints load the Korean and symbol fonts; the user sees that before any file arrives.
    QElapsedTimer warmUp;
    warmUp.start();
    runUntil([&] { return warmUp.elapsed() > 500; });

    // 300 small stills: one made by ffmpeg, copied.
    const FileURL source = testing::makeMedia(
        dir / "source.png", {"-f", "lavfi", "-i", "testsrc2=size=320x180", "-frames:v", "1"});
    std::vector<FileURL> files;
    for (int i = 1; i <= kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "still_%03d.png", i);
        std::filesystem::copy_file(source, dir / name);
        files.push_back(dir / name);
    }

    QElapsedTimer wall;
    meter.emplace();
    app.reset();
    wall.start();
    model.add(files);
    runUntil([&] { return model.clips().size() == std::size_t(kFiles) && model.pendingTasks() == 0; });
    const double addStall = meter->longestWallGapMs();
    meter.reset();
    const double addWall = wall.elapsed() / 1000.0;
    const auto addSlowest = app.slowest();

    // The obvious alternative: probing and making the thumbnails on the main thread holds it for the whole
    // loop. Thumbnails are timed on ten files and scaled up, to spare the machine another 300 ffmpeg runs.
    wall.start();
    for (const FileURL& file : files) (void)probe(file);
    const double syncProbeMs = wall.nsecsElapsed() / 1e6;
    const std::string ffmpeg = *tool_search::ffmpeg();
    wall.start();
    for (std::size_t i = 0; i < 10 && i < files.size(); ++i) {
        (void)makeThumbnailImage(ffmpeg, probe(files[i]), dir.path());
    }
    const double syncThumbMs = wall.nsecsElapsed() / 1e6 * static_cast<double>(files.size()) / 10.0;

    std::printf("add %d files (+%zu thumbnails) in %.1f s: longest gap between 1 ms ticks %.2f ms (wall)\n",
                kFiles, model.thumbs().size(), addWall, addStall);
    std::printf("  longest single piece of main-thread work: %.2f ms CPU (%.2f ms wall), event %d to %s\n",
                addSlowest.cpuMs, addSlowest.wallMs, addSlowest.type, qPrintable(addSlowest.receiver));
    std::printf("  on the main thread instead: probing %.2f ms + thumbnails ~%.0f ms in one go (%.0fx)\n",
                syncProbeMs, syncThumbMs, (syncProbeMs + syncThumbMs) / std::max(addSlowest.cpuMs, 0.001));

    // Each merge row changed as the user changes it, from its menu, with every file listed: each change
    // makes the plan again and redraws the column, the list and the preview's tiles.
    SettingsColumn& column = *window.settings();
    const auto choose = [](ChoiceButton* button, int index) {
        button->fillMenu();
        QMetaObject::invokeMethod(button->menu()->actions().value(index), &QAction::trigger,
                                  Qt::QueuedConnection);
    };
    const std::vector<std::function<void()>> changes = {
        [&] { choose(column.layoutMenu(), 1); },  [&] { choose(column.layoutMenu(), 2); },
        [&] { choose(column.columnsMenu(), 7); }, [&] { choose(column.fitMenu(), 1); },
        [&] { choose(column.rateMenu(), 1); },    [&] { choose(column.audioMenu(), 0); },
        [&] { choose(column.layoutMenu(), 0); },
    };
    meter.emplace();
    app.reset();
    for (const auto& change : changes) {
        change();
        QElapsedTimer settle;
        settle.start();
        runUntil([&] { return settle.elapsed() > 100; });
    }
    const double rowsStall = meter->longestWallGapMs();
    meter.reset();
    const auto rowsSlowest = app.slowest();
    std::printf(
        "%zu changes of the merge rows with %d files: longest gap between 1 ms ticks %.2f ms (wall)\n",
        changes.size(), kFiles, rowsStall);
    std::printf("  longest single piece of main-thread work: %.2f ms CPU (%.2f ms wall), event %d to %s\n",
                rowsSlowest.cpuMs, rowsSlowest.wallMs, rowsSlowest.type, qPrintable(rowsSlowest.receiver));
    if (model.mergeSettings() !=
        MergeSettings{.layout = Layout::row, .columns = 7, .fitSizes = true, .conformRates = true}) {
        std::puts("the merge rows did not reach the model");
        return 1;
    }
    model.setMergeSettings({});

    // A merge of two short movies.
    model.clear();
    const std::vector<std::string> movie = {
        "-f",      "lavfi",     "-i",       "testsrc2=size=320x240:rate=25",
        "-t",      "8",         "-c:v",     "libx264",
        "-preset", "ultrafast", "-pix_fmt", "yuv420p"};
    model.add({testing::makeMedia(dir / "m_1.mov", movie), testing::makeMedia(dir / "m_2.mov", movie)});
    runUntil([&] { return model.clips().size() == 2 && model.pendingTasks() == 0; });
    int progressUpdates = 0;
    QObject::connect(&model, &AppModel::progressChanged, [&] { ++progressUpdates; });
    meter.emplace();
    app.reset();
    wall.start();
    model.runMerge();
    if (!model.running()) {
        std::printf("merge did not start: %s\n", model.status().toUtf8().constData());
        return 1;
    }
    runUntil([&] { return !model.running(); });
    const double mergeStall = meter->longestWallGapMs();
    meter.reset();
    const double mergeMs = wall.nsecsElapsed() / 1e6;
    const auto mergeSlowest = app.slowest();
    std::printf("merge (%s) in %.0f ms, %d progress updates: longest gap between 1 ms ticks %.2f ms (wall)\n",
                model.statusIsError() ? "failed" : "done", mergeMs, progressUpdates, mergeStall);
    std::printf("  longest single piece of main-thread work: %.2f ms CPU (%.2f ms wall), event %d to %s\n",
                mergeSlowest.cpuMs, mergeSlowest.wallMs, mergeSlowest.type,
                qPrintable(mergeSlowest.receiver));
    std::printf("  running the merge on the main thread instead: %.0f ms in one go (%.1fx)\n", mergeMs,
                mergeMs / std::max(mergeSlowest.cpuMs, 0.001));

    const bool ok = addSlowest.cpuMs < 16 && rowsSlowest.cpuMs < 16 && mergeSlowest.cpuMs < 16;
    std::printf("%s: one frame is 16 ms%s\n", ok ? "within budget" : "OVER BUDGET",
                addStall >= 16 || rowsStall >= 16 || mergeStall >= 16
                    ? " (wall gaps above it come from waiting for a core)"
                    : "");
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace tessellane

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    tessellane::applyLook(app);
    return tessellane::run(app);
}
