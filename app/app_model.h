// AppModel: the one observable state object behind the window, with its list editing and selection.
// It starts the background jobs (probe_job, thumbnail_jobs, merge_job) and takes in what they post back;
// it lives on the main thread.
#pragma once

#include <QFileSystemWatcher>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/disk_check.h"
#include "app/files_to_add.h"
#include "app/merge_job.h"
#include "app/platform_services.h"
#include "app/status_texts.h"
#include "app/thumbnail_jobs.h"
#include "engine/core/clip_info.h"
#include "engine/core/merge_settings.h"
#include "engine/core/validation.h"
#include "engine/merge/cancellation.h"
#include "engine/merge/merge_plan.h"

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

// What a merge job took when it started: the file it writes, the list, settings and size it writes it
// from. Kept after the job ends, so the window can name the file the last merge wrote.
struct MergeTarget {
    FileURL out;
    std::vector<Uuid> clips;
    std::int64_t width = 0;
    std::int64_t height = 0;
    MergeSettings settings{};
    friend bool operator==(const MergeTarget&, const MergeTarget&) = default;
};

class AppModel : public QObject {
    Q_OBJECT

  public:
    // `services` is not owned and must outlive the model; without it the choosers and the file manager do
    // nothing. Looks for ffmpeg once, here.
    explicit AppModel(PlatformServices* services = nullptr, QObject* parent = nullptr);
    // Drops queued thumbnails, stops the running thumbnail and merge ffmpegs, then waits for the
    // background work still holding the model; nothing is published after this.
    ~AppModel() override;

    // The desktop the window opens its choosers on; may be null.
    PlatformServices* platformServices() const { return services_; }

    // Observed fields, each with its own signal and changed() after it. The window sets the ones it edits
    // here; the model's own work sets the rest (see the protected setters). A setter emits also when the
    // value did not change.
    const std::vector<ClipInfo>& clips() const { return clips_; }
    const std::set<Uuid>& selected() const { return selected_; }
    const QString& suffix() const { return suffix_; }
    void setSuffix(const QString& suffix) { setPlanField(suffix_, suffix, &AppModel::suffixChanged); }
    const std::optional<FileURL>& customOutDir() const { return customOutDir_; }
    void setCustomOutDir(std::optional<FileURL> folder) {
        setPlanField(customOutDir_, std::move(folder), &AppModel::customOutDirChanged);
    }

    // Layout, columns, fitting and rate conforming (its audioClip is not used: see audioClip()). They last
    // while the program runs.
    const MergeSettings& mergeSettings() const { return settings_; }
    void setMergeSettings(const MergeSettings& settings) {
        setPlanField(settings_, settings, &AppModel::mergeSettingsChanged);
    }
    // The clip whose sound the output keeps, by identity: it follows the clip when the list is reordered,
    // and is no one's while that clip is not listed.
    const std::optional<Uuid>& audioClip() const { return audioClip_; }
    void setAudioClip(std::optional<Uuid> clip) {
        setPlanField(audioClip_, std::move(clip), &AppModel::audioClipChanged);
    }

    double progress() const { return progress_; }
    bool running() const { return running_; }
    const QString& status() const { return status_; }
    bool statusIsError() const { return statusIsError_; }
    const std::optional<FileURL>& lastResult() const { return lastResult_; }
    const std::vector<DoneItem>& done() const { return done_; }

    // Preview pictures by clip id, each at most 1920 pixels on its longer side.
    const std::map<Uuid, QImage>& thumbs() const { return thumbs_; }
    // The picture for id, or a null image.
    QImage thumb(const Uuid& id) const;

    // Set when a job starts; see MergeTarget.
    const std::optional<MergeTarget>& mergeTarget() const { return mergeTarget_; }

    // The running merge was asked to stop and has not ended yet.
    bool stopping() const { return stopping_; }

    // What the last add() did not take, with why; it goes with the next add or any other edit of the list.
    const std::vector<Refusal>& refused() const { return refused_; }

    // How many clips the last removal (deleteSelected or clear) took out of the list while it can still be
    // undone; 0 when there is nothing to undo.
    std::size_t undoableRemoval() const { return undo_ ? undo_->removed : 0; }

    // Not observed.
    bool ffmpegMissing() const { return ffmpegMissing_; }
    const std::optional<Uuid>& anchor() const { return anchor_; }
    void setAnchor(std::optional<Uuid> anchor) { anchor_ = anchor; }

    // The merge plan of the list, folder, suffix and settings now: made once per change of any of them (and
    // by refreshPlan()), never per read. The values below read it.
    const MergePlan& plan() const { return plan_; }
    // Makes the plan again, for what changed outside the model: files that appeared or went while the
    // window was in the background.
    void refreshPlan();
    // Looks again, off the main thread, at the listed files (a changed one is probed again, a deleted one
    // gets its reason) and at the output's place; for what no watcher reports (the window activated).
    // Watchers on the clips and the folders start the same look by themselves.
    void checkDisk();
    // What the last look found in the way of making the output where it goes now: the folder (missing, not
    // writable) or the name (too long, refused by the folder's file system).
    std::optional<std::string> outputPlaceProblem() const;
    // The settings the plan uses: the stored ones with the sound's clip as its position in the list.
    MergeSettings planSettings() const;

    // Derived values.
    std::vector<FileURL> urls() const;
    QString baseName() const;
    QString fileName() const;
    std::optional<FileURL> outDir() const;
    // The folder of the first clip, where the file chooser opens.
    std::optional<FileURL> clipsFolder() const;
    std::optional<FileURL> outURL() const;
    const Validation& validation() const { return plan_.validation; }
    bool outputExists() const { return plan_.outputTaken; }
    // The output frame's size, as the layout gives it.
    std::int64_t outputWidth() const { return plan_.geometry.width; }
    std::int64_t outputHeight() const { return plan_.geometry.height; }
    bool suffixInvalid() const { return plan_.suffixProblem.has_value(); }
    bool canMerge() const;
    QString codecSummary() const;
    // While a merge runs: the list or the output edited since it started, so what the settings show is
    // the next merge, not the one being written.
    bool nextMergeDiffers() const;
    // The finished output (of `done`) whose file now holds the name the next merge would write, if any.
    std::optional<FileURL> outputWrittenHere() const;
    // The listed clip whose file the next merge would write over, if any.
    std::optional<FileURL> outputIsAnInput() const;

    // What add(urls) would take and refuse now. Reads the file system (kinds of paths, names in folders).
    FilesToAdd filesToAdd(const std::vector<FileURL>& urls) const;

    // List editing and selection. Main thread only. An edit of the list made while no merge runs also
    // takes away the last merge's status and progress: they were about the list as it was.
    void add(const std::vector<FileURL>& urls);
    // clear and deleteSelected can be undone until the list is next edited.
    void clear();
    void deleteSelected();
    void undoRemoval();
    // A click on the clip with the modifier keys it carried: Shift selects the range from the anchor,
    // Ctrl adds or takes away.
    void select(const Uuid& id, Qt::KeyboardModifiers held);
    void selectAll();
    // `from`: positions before the move; `to`: the position before which the block lands, or the list's
    // length for the end. Out-of-range positions make the call do nothing.
    void move(const std::set<int>& from, int to);
    // Moves each selected clip one place up (step < 0) or down, past the unselected clip beside it; a
    // selected clip already at that end of the list stops the ones behind it. Whether anything moved.
    bool moveSelected(int step);
    // A finished output: shown in the file manager, opened, or taken off the finished list (the files
    // themselves stay).
    void reveal(const FileURL& file);
    void open(const FileURL& file);
    void removeDone(const std::set<Uuid>& ids);

    // The clips on screen: their queued thumbnails are made before the others.
    void preferThumbnails(const std::vector<Uuid>& visible) { thumbnails_.prefer(visible); }

    // Starts the merge job when every precondition holds; otherwise changes nothing.
    void runMerge();
    // Asks the running merge, if any, to stop: `stopping` and the stopping status until the job ends
    // through its failure path with the cancellation message and an empty progress bar; the engine
    // removes its temporary file. Main thread only.
    void cancelMerge();

    // Background tasks (probing batches, thumbnails, the merge) whose result has not been applied yet.
    int pendingTasks() const { return pendingTasks_; }

  signals:
    void clipsChanged();
    void selectedChanged();
    void suffixChanged();
    void customOutDirChanged();
    void mergeSettingsChanged();
    void audioClipChanged();
    void progressChanged();
    void runningChanged();
    void statusChanged();
    void statusIsErrorChanged();
    void lastResultChanged();
    void doneChanged();
    void thumbsChanged();
    void mergeTargetChanged();
    void stoppingChanged();
    void refusedChanged();
    void undoChanged();
    // refreshPlan() made the plan again, or a merge about to start found the output's name taken.
    void planChanged();
    // After every assignment of any observed field, right after the field's own signal.
    void changed();

  protected:
    // What the model's own jobs set, open to a subclass so that tests can put the model in a state
    // without running the jobs. Every setter stores the value, then emits the field's signal and
    // changed(), also when the value did not change.
    void setPlatformServices(PlatformServices* services) { services_ = services; }
    void setClips(std::vector<ClipInfo> clips) {
        setPlanField(clips_, std::move(clips), &AppModel::clipsChanged);
    }
    void setSelected(std::set<Uuid> selected) {
        setField(selected_, std::move(selected), &AppModel::selectedChanged);
    }
    void setProgress(double progress) { setField(progress_, progress, &AppModel::progressChanged); }
    // A merge that ends may have written the name the plan looked at.
    void setRunning(bool running) { setPlanField(running_, running, &AppModel::runningChanged); }
    void setStatus(const QString& status) { setField(status_, status, &AppModel::statusChanged); }
    void setStatusIsError(bool isError) {
        setField(statusIsError_, isError, &AppModel::statusIsErrorChanged);
    }
    void setLastResult(std::optional<FileURL> result) {
        setField(lastResult_, std::move(result), &AppModel::lastResultChanged);
    }
    void setDone(std::vector<DoneItem> done) { setPlanField(done_, std::move(done), &AppModel::doneChanged); }
    void setThumbs(std::map<Uuid, QImage> thumbs) {
        setField(thumbs_, std::move(thumbs), &AppModel::thumbsChanged);
    }
    // One assignment thumbs[id] = image.
    void setThumb(const Uuid& id, const QImage& image);
    void setMergeTarget(std::optional<MergeTarget> target) {
        setField(mergeTarget_, std::move(target), &AppModel::mergeTargetChanged);
    }
    void setStopping(bool stopping) { setField(stopping_, stopping, &AppModel::stoppingChanged); }
    void setRefused(std::vector<Refusal> refused) {
        setField(refused_, std::move(refused), &AppModel::refusedChanged);
    }
    // Counts the plans made, so a view can tell a new plan from the one it has shown.
    std::uint64_t planRevision() const { return planRevision_; }
    // Starts one background thumbnail for the clip when ffmpeg is found and the clip probed cleanly.
    void makeThumb(const ClipInfo& clip);
    // The time limit of each thumbnail's ffmpeg (kThumbnailTimeLimit unless changed).
    void setThumbnailTimeLimit(std::chrono::milliseconds limit) { thumbnails_.setTimeLimit(limit); }
    // The private (mode 0700) folder where thumbnails are written for a moment; empty if none could be made.
    QString thumbnailFolder() const;

  private:
    // Every observed field changes through here: store, then the field's own signal, then changed().
    template <typename Field, typename Value>
    void setField(Field& field, Value&& value, void (AppModel::*fieldChanged)()) {
        field = std::forward<Value>(value);
        notify(fieldChanged);
    }
    // A field the plan depends on: the plan is made again before anyone hears of the change.
    template <typename Field, typename Value>
    void setPlanField(Field& field, Value&& value, void (AppModel::*fieldChanged)()) {
        field = std::forward<Value>(value);
        replan();
        notify(fieldChanged);
    }
    void notify(void (AppModel::*fieldChanged)()) {
        emit(this->*fieldChanged)();
        emit changed();
    }
    void replan();
    // Keeps the watchers on the listed files, their folders and the output folder, and asks for a look
    // when the output's place is one not tried yet.
    void watchDisk();
    void startDiskCheck();
    void applyDiskCheck(DiskCheckResult result);
    void finishMerge(const FileURL& out, const std::shared_ptr<Cancellation>& stop,
                     const MergeOutcome& outcome);
    void finishTask();
    // What undoRemoval() puts back.
    struct Removal {
        std::vector<ClipInfo> clips;
        std::set<Uuid> selected;
        std::map<Uuid, QImage> thumbs;
        std::size_t removed = 0;
    };
    // A list edit: the status and progress of a finished merge go, and so do the undo of a removal and,
    // unless the edit is the add that refused them, the refused files.
    void listEdited(bool keepRefused = false);
    // Keeps `removal` for undoRemoval() when it took anything away.
    void rememberRemoval(Removal removal);

    PlatformServices* services_ = nullptr;

    std::vector<ClipInfo> clips_;
    std::set<Uuid> selected_;
    QString suffix_;
    std::optional<FileURL> customOutDir_;
    MergeSettings settings_;
    std::optional<Uuid> audioClip_;
    MergePlan plan_;
    std::uint64_t planRevision_ = 0;
    double progress_ = 0.0;
    bool running_ = false;
    QString status_;
    bool statusIsError_ = false;
    std::optional<FileURL> lastResult_;
    std::vector<DoneItem> done_;
    std::map<Uuid, QImage> thumbs_;
    bool ffmpegMissing_ = false;
    std::optional<Uuid> anchor_;
    std::optional<MergeTarget> mergeTarget_;
    bool stopping_ = false;
    std::vector<Refusal> refused_;
    std::optional<Removal> undo_;

    // The disk look: watchers and a short timer that gathers their bursts into one look, at most one
    // look running, and what the last try of the output's place found.
    QFileSystemWatcher watcher_;
    QStringList watched_;
    QTimer diskTimer_;
    bool diskChecking_ = false;
    bool diskAgain_ = false;
    bool tryPlaceAgain_ = false;
    FileURL triedOutput_;
    std::optional<FolderIdentity> triedFolder_;
    OutputPlaceProblems placeProblems_;

    int pendingTasks_ = 0;
    // The running merge's stop request; empty when no merge runs.
    std::shared_ptr<Cancellation> mergeStop_;
    // Declared last so they are destroyed (and waited for) first.
    QThreadPool userPool_;
    ThumbnailJobs thumbnails_;
};

}  // namespace tessellane
