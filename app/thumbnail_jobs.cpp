#include "app/thumbnail_jobs.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QMetaObject>
#include <QThread>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "engine/merge/tools.h"

namespace tessellane {

namespace {

// Thread priorities of the default Linux scheduler are all equal, so QThread::LowPriority alone changes
// nothing there. A niceness is per thread on Linux and inherited by the processes the thread starts, so
// raising it puts the thumbnail work, ffmpeg included, below probing, merging and the window.
void lowerThisThreadsPriority() {
#ifdef __linux__
    constexpr int kThumbnailNiceness = 10;
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, thread);
    if (errno == 0 && current < kThumbnailNiceness) ::setpriority(PRIO_PROCESS, thread, kThumbnailNiceness);
#endif
}

}  // namespace

ThumbnailJobs::ThumbnailJobs() { pool_.setThreadPriority(QThread::LowPriority); }

ThumbnailJobs::~ThumbnailJobs() {
    stopAll();
    pool_.waitForDone();
}

bool ThumbnailJobs::start(const ClipInfo& clip, QObject* receiver,
                          std::function<void(const Uuid&, const QImage&)> done) {
    // Made on first use, and again if it could not be made or a temporary-file cleaner removed it.
    std::error_code error;
    if (!folder_ || !folder_->valid() || !std::filesystem::is_directory(folder_->path(), error))
        folder_ = std::make_shared<PrivateTempFolder>();
    if (!folder_->valid()) return false;  // never fall back to the shared temporary directory

    pool_.start([receiver, clip, folder = folder_, stop = stop_, limit = limit_, done = std::move(done)] {
        lowerThisThreadsPriority();
        // The lookup is made anew for each clip, off the main thread since it walks PATH.
        QImage image;
        std::optional<std::string> ffmpeg;
        if (!stop->requested()) ffmpeg = Tools::ffmpeg();
        if (ffmpeg)
            image = makeThumbnailImage(*ffmpeg, clip, folder->path(), CaptureLimits{limit, stop.get()});
        QMetaObject::invokeMethod(
            receiver, [done, id = clip.id(), image] { done(id, image); }, Qt::QueuedConnection);
    });
    return true;
}

void ThumbnailJobs::stopAll() {
    // Quitting never waits for pictures nobody will see.
    pool_.clear();
    stop_->request();
}

QString ThumbnailJobs::folder() const {
    return folder_ && folder_->valid() ? QString::fromStdString(folder_->path().string()) : QString();
}

}  // namespace tessellane
