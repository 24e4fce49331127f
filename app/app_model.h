// AppModel: the one observable state object behind the window, with its list editing and selection.
// It starts the background jobs (probe_job, thumbnail_jobs, merge_job) and takes in what they post back;
// it lives on the main thread.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/merge_job.h"
#include "app/platform_services.h"
#include "app/thumbnail_jobs.h"
#include "engine/core/clip_info.h"
#include "engine/core/validation.h"
#include "engine/merge/cancellation.h"

namespace tessellane {

// One finished merge: immutable once made; every construction draws a new id.
class DoneItem {
  public:
    DoneItem(FileURL url, QString summary)
        : id_(Uuid::random()), url_(std::move(url)), summary_(std::move(summary)) {}

    const Uuid& id() const { return id_; }
    const FileURL& url() const { return url_; }
    const QString& summary() const { return summary_; }

  private:
    Uuid id_;
    FileURL url_;
    QString summary_;
};

// The text shown while a merge runs.
inline const QString kMergingStatus = QStringLiteral("합치는 중…");
// The confirm label of the output-folder chooser.
inline const QString kChooseFolderLabel = QStringLiteral("선택");

class AppModel : public QObject {
    Q_OBJECT

  public:
    // `services` is not owned and must outlive the model; without it no modifier is ever held and the
    // choosers and the file manager do nothing. Looks for ffmpeg once, here.
    explicit AppModel(PlatformServices* services = nullptr, QObject* parent = nullptr);
    // Drops queued thumbnails, stops the running thumbnail and merge ffmpegs, then waits for the
    // background work still holding the model; nothing is published after this.
    ~AppModel() override;

    void setPlatformServices(PlatformServices* services) { services_ = services; }

    // Observed fields. Every setter call stores the value, then emits the field's signal and changed(),
    // also when the value did not change.
    const std::vector<ClipInfo>& clips() const { return clips_; }
    void setClips(std::vector<ClipInfo> clips) {
        setField(clips_, std::move(clips), &AppModel::clipsChanged);
    }

    const std::set<Uuid>& selected() const { return selected_; }
    void setSelected(std::set<Uuid> selected) {
        setField(selected_, std::move(selected), &AppModel::selectedChanged);
    }

    const QString& suffix() const { return suffix_; }
    void setSuffix(const QString& suffix) { setField(suffix_, suffix, &AppModel::suffixChanged); }

    const std::optional<FileURL>& customOutDir() const { return customOutDir_; }
    void setCustomOutDir(std::optional<FileURL> folder) {
        setField(customOutDir_, std::move(folder), &AppModel::customOutDirChanged);
    }

    double progress() const { return progress_; }
    void setProgress(double progress) { setField(progress_, progress, &AppModel::progressChanged); }

    bool running() const { return running_; }
    void setRunning(bool running) { setField(running_, running, &AppModel::runningChanged); }

    const QString& status() const { return status_; }
    void setStatus(const QString& status) { setField(status_, status, &AppModel::statusChanged); }

    bool statusIsError() const { return statusIsError_; }
    void setStatusIsError(bool isError) {
        setField(statusIsError_, isError, &AppModel::statusIsErrorChanged);
    }

    const std::optional<FileURL>& lastResult() const { return lastResult_; }
    void setLastResult(std::optional<FileURL> result) {
        setField(lastResult_, std::move(result), &AppModel::lastResultChanged);
    }

    const std::vector<DoneItem>& done() const { return done_; }
    void setDone(std::vector<DoneItem> done) { setField(done_, std::move(done), &AppModel::doneChanged); }

    // Preview pictures by clip id, each at most 1920 pixels on its longer side.
    const std::map<Uuid, QImage>& thumbs() const { return thumbs_; }
    void setThumbs(std::map<Uuid, QImage> thumbs) {
        setField(thumbs_, std::move(thumbs), &AppModel::thumbsChanged);
    }
    // One assignment thumbs[id] = image.
    void setThumb(const Uuid& id, const QImage& image);
    // The picture for id, or a null image.
    QImage thumb(const Uuid& id) const;

    // Not observed.
    bool ffmpegMissing() const { return ffmpegMissing_; }
    const std::optional<Uuid>& anchor() const { return anchor_; }
    void setAnchor(std::optional<Uuid> anchor) { anchor_ = anchor; }

    // Derived values, recomputed on every read.
    std::vector<FileURL> urls() const;
    QString baseName() const;
    QString fileName() const;
    std::optional<FileURL> outDir() const;
    std::optional<FileURL> outURL() const;
    Validation validation() const;
    bool outputExists() const;
    std::int64_t totalWidth() const;
    std::int64_t outHeight() const;
    bool suffixInvalid() const;
    bool canMerge() const;
    QString codecSummary() const;

    // List editing and selection. Main thread only.
    void add(const std::vector<FileURL>& urls);
    void clear();
    void deleteSelected();
    void click(const Uuid& id);
    void selectAll();
    // `from`: positions before the move; `to`: the position before which the block lands, or the list's
    // length for the end. Out-of-range positions make the call do nothing.
    void move(const std::set<int>& from, int to);
    void chooseFolder();
    void openFiles();
    // Shows a finished output in the file manager.
    void reveal(const FileURL& file);

    // Starts one background thumbnail for the clip when ffmpeg is found and the clip probed cleanly.
    void makeThumb(const ClipInfo& clip);

    // Starts the merge job when every precondition holds; otherwise changes nothing.
    void runMerge();
    // Asks the running merge, if any, to stop. The job then ends through its failure path with the
    // cancellation message, and the engine removes its temporary file. Main thread only.
    void cancelMerge();

    // The time limit of each thumbnail's ffmpeg (kThumbnailTimeLimit unless changed).
    void setThumbnailTimeLimit(std::chrono::milliseconds limit) { thumbnails_.setTimeLimit(limit); }

    // Background tasks (probing batches, thumbnails, the merge) whose result has not been applied yet.
    int pendingTasks() const { return pendingTasks_; }
    // The private (mode 0700) folder where thumbnails are written for a moment; empty if none could be made.
    QString thumbnailFolder() const;

  signals:
    void clipsChanged();
    void selectedChanged();
    void suffixChanged();
    void customOutDirChanged();
    void progressChanged();
    void runningChanged();
    void statusChanged();
    void statusIsErrorChanged();
    void lastResultChanged();
    void doneChanged();
    void thumbsChanged();
    // After every assignment of any observed field, right after the field's own signal.
    void changed();
    // pendingTasks() dropped to zero.
    void idle();

  private:
    // Every observed field changes through here: store, then the field's own signal, then changed().
    template <typename Field, typename Value>
    void setField(Field& field, Value&& value, void (AppModel::*fieldChanged)()) {
        field = std::forward<Value>(value);
        notify(fieldChanged);
    }
    void notify(void (AppModel::*fieldChanged)()) {
        emit(this->*fieldChanged)();
        emit changed();
    }
    void finishMerge(const FileURL& out, const std::shared_ptr<Cancellation>& stop,
                     const MergeOutcome& outcome);
    void finishTask();

    PlatformServices* services_ = nullptr;

    std::vector<ClipInfo> clips_;
    std::set<Uuid> selected_;
    QString suffix_;
    std::optional<FileURL> customOutDir_;
    double progress_ = 0.0;
    bool running_ = false;
    QString status_;
    bool statusIsError_ = false;
    std::optional<FileURL> lastResult_;
    std::vector<DoneItem> done_;
    std::map<Uuid, QImage> thumbs_;
    bool ffmpegMissing_ = false;
    std::optional<Uuid> anchor_;

    int pendingTasks_ = 0;
    // The running merge's stop request; empty when no merge runs.
    std::shared_ptr<Cancellation> mergeStop_;
    // Declared last so they are destroyed (and waited for) first.
    QThreadPool userPool_;
    ThumbnailJobs thumbnails_;
};

}  // namespace tessellane
