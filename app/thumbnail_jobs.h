// The background jobs that make the clips' preview pictures: one ffmpeg each, on a pool of their own at
// a lower priority, writing into a private temporary folder, each within a time limit.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "app/thumbnail.h"
#include "engine/core/clip_info.h"
#include "engine/merge/cancellation.h"

namespace tessellane {

// How long one thumbnail's ffmpeg may run; a clip whose thumbnail takes longer shows none.
inline constexpr std::chrono::milliseconds kThumbnailTimeLimit{20000};

class ThumbnailJobs {
  public:
    ThumbnailJobs();
    // Stops everything (see stopAll) and waits for the jobs still running.
    ~ThumbnailJobs();
    ThumbnailJobs(const ThumbnailJobs&) = delete;
    ThumbnailJobs& operator=(const ThumbnailJobs&) = delete;

    // Starts one thumbnail of `clip`; `done` gets the clip's id and the picture (null when anything
    // failed) on `receiver`'s thread. Returns false, and starts nothing, when no private folder can be
    // made. Main thread only.
    bool start(const ClipInfo& clip, QObject* receiver, std::function<void(const Uuid&, const QImage&)> done);

    // Queued jobs of these clips start before the others (the cards on screen); replaces the last call.
    void prefer(const std::vector<Uuid>& ids);

    // Drops the queued jobs and stops every running ffmpeg; called once, when quitting.
    void stopAll();
    void waitForDone() { pool_.waitForDone(); }

    // The time limit of each job started from now on.
    void setTimeLimit(std::chrono::milliseconds limit) { limit_ = limit; }
    // The private folder's path; empty if none could be made.
    QString folder() const;

  private:
    struct Job {
        ClipInfo clip;
        QObject* receiver;
        std::function<void(const Uuid&, const QImage&)> done;
        std::shared_ptr<PrivateTempFolder> folder;
        std::chrono::milliseconds limit;
    };
    // The jobs not started yet. The pool gets one runner per job, and each runner takes whichever job
    // should go first when a thread is free, so the order can change while they wait.
    struct Waiting {
        std::mutex mutex;
        std::deque<Job> jobs;
        std::set<Uuid> preferred;
        std::optional<Job> takeNext();
    };

    std::shared_ptr<Waiting> waiting_ = std::make_shared<Waiting>();
    std::shared_ptr<PrivateTempFolder> folder_;
    std::chrono::milliseconds limit_ = kThumbnailTimeLimit;
    std::shared_ptr<Cancellation> stop_ = std::make_shared<Cancellation>();
    // Declared last so it is destroyed (and waited for) first.
    QThreadPool pool_;
};

}  // namespace tessellane
