#include "app/thumbnail_jobs.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QMetaObject>
#include <QThread>
#include <algorithm>
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

    {
        std::lock_guard lock(waiting_->mutex);
        waiting_->jobs.push_back(Job{clip, receiver, std::move(done), folder_, limit_});
    }
    pool_.start([waiting = waiting_, stop = stop_] {
        std::optional<Job> job = waiting->takeNext();
        if (!job) return;  // dropped by stopAll
        lowerThisThreadsPriority();
        // The lookup is made anew for each clip, off the main thread since it walks PATH.
        QImage image;
        std::optional<std::string> ffmpeg;
        if (!stop->requested()) ffmpeg = tool_search::ffmpeg();
        if (ffmpeg)
            image = makeThumbnailImage(*ffmpeg, job->clip, job->folder->path(),
                                       CaptureLimits{job->limit, stop.get()});
        QMetaObject::invokeMethod(
            job->receiver, [done = std::move(job->done), id = job->clip.id(), image] { done(id, image); },
            Qt::QueuedConnection);
    });
    return true;
}

std::optional<ThumbnailJobs::Job> ThumbnailJobs::Waiting::takeNext() {
    std::lock_guard lock(mutex);
    if (jobs.empty()) return std::nullopt;
    auto next = jobs.begin();
    if (!preferred.empty()) {
        auto found = std::find_if(jobs.begin(), jobs.end(),
                                  [this](const Job& job) { return preferred.count(job.clip.id()) > 0; });
        if (found != jobs.end()) next = found;
    }
    Job job = std::move(*next);
    jobs.erase(next);
    return job;
}

void ThumbnailJobs::prefer(const std::vector<Uuid>& ids) {
    std::lock_guard lock(waiting_->mutex);
    waiting_->preferred = std::set<Uuid>(ids.begin(), ids.end());
}

void ThumbnailJobs::stopAll() {
    // Quitting never waits for pictures nobody will see.
    pool_.clear();
    {
        std::lock_guard lock(waiting_->mutex);
        waiting_->jobs.clear();
    }
    stop_->request();
}

QString ThumbnailJobs::folder() const {
    return folder_ && folder_->valid() ? QString::fromStdString(folder_->path().string()) : QString();
}

}  // namespace tessellane
