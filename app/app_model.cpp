#include "app/app_model.h"

#include <QMetaObject>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "app/probe_job.h"
#include "app/qt_text.h"
#include "engine/core/naming.h"
#include "engine/merge/tools.h"

namespace tessellane {

namespace {

// Long enough to take a burst of watcher reports (a copy, a save) as one, short enough to go unnoticed.
constexpr std::chrono::milliseconds kDiskLookDelay{100};

// The output the look tries: only a name the plan has no objection to.
FileURL placeToTry(const MergePlan& plan) {
    if (plan.fileName.empty() || plan.output.empty() || plan.suffixProblem || plan.nameProblem) return {};
    return plan.output;
}

}  // namespace

AppModel::AppModel(PlatformServices* services, QObject* parent)
    : QObject(parent), services_(services), ffmpegMissing_(!tool_search::ffmpeg().has_value()) {
    diskTimer_.setSingleShot(true);
    diskTimer_.setInterval(kDiskLookDelay);
    connect(&diskTimer_, &QTimer::timeout, this, &AppModel::startDiskCheck);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &diskTimer_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &diskTimer_, qOverload<>(&QTimer::start));
    replan();
}

AppModel::~AppModel() {
    // Quitting never waits for pictures nobody will see, nor for a merge nobody can collect.
    thumbnails_.stopAll();
    if (mergeStop_) mergeStop_->request();
    userPool_.waitForDone();
    thumbnails_.waitForDone();
}

// ---- observed fields ----

void AppModel::setThumb(const Uuid& id, const QImage& image) {
    thumbs_[id] = image;
    notify(&AppModel::thumbsChanged);
}

QImage AppModel::thumb(const Uuid& id) const {
    auto found = thumbs_.find(id);
    return found == thumbs_.end() ? QImage() : found->second;
}

// ---- the merge plan ----

MergeSettings AppModel::planSettings() const {
    MergeSettings settings = settings_;
    settings.audioClip.reset();
    for (std::size_t i = 0; audioClip_ && i < clips_.size(); ++i)
        if (clips_[i].id() == *audioClip_) settings.audioClip = i;
    return settings;
}

void AppModel::replan() {
    plan_ = planMerge(clips_, outDir(), toStd(suffix_), planSettings());
    ++planRevision_;
    watchDisk();
}

// ---- the disk look ----

void AppModel::watchDisk() {
    QStringList paths;
    for (const ClipInfo& clip : clips_) {
        paths << toQString(clip.url().string()) << toQString(clip.url().parent_path().string());
    }
    if (const FileURL place = placeToTry(plan_); !place.empty())
        paths << toQString(place.parent_path().string());
    paths.sort();
    paths.removeDuplicates();
    if (paths != watched_) {
        // Watches go with a deleted or replaced file: every path is given again.
        for (const QStringList& old : {watcher_.files(), watcher_.directories()})
            if (!old.isEmpty()) watcher_.removePaths(old);
        if (!paths.isEmpty()) watcher_.addPaths(paths);
        watched_ = paths;
    }
    if (placeToTry(plan_) != triedOutput_) diskTimer_.start();
}

void AppModel::checkDisk() {
    tryPlaceAgain_ = true;
    // Paths whose watch went with their file are watched again.
    watched_.clear();
    watchDisk();
    diskTimer_.start();
}

void AppModel::startDiskCheck() {
    if (diskChecking_) {
        diskAgain_ = true;
        return;
    }
    DiskCheck check{clips_, placeToTry(plan_), std::nullopt};
    if (!tryPlaceAgain_ && check.output == triedOutput_) check.lastTried = triedFolder_;
    tryPlaceAgain_ = false;
    diskChecking_ = true;
    ++pendingTasks_;
    tessellane::startDiskCheck(userPool_, this, std::move(check),
                               [this](DiskCheckResult result) { applyDiskCheck(std::move(result)); });
}

void AppModel::applyDiskCheck(DiskCheckResult result) {
    diskChecking_ = false;
    triedOutput_ = result.output;
    triedFolder_ = result.folder;
    if (result.place) placeProblems_ = *result.place;
    if (!result.reprobed.empty()) {
        std::vector<ClipInfo> clips = clips_;
        std::vector<ClipInfo> fresh;
        for (ClipInfo& again : result.reprobed) {
            for (ClipInfo& clip : clips) {
                if (clip.id() != again.id() || clip.url() != again.url()) continue;
                clip = again;
                fresh.push_back(again);
            }
        }
        if (!fresh.empty()) {
            std::map<Uuid, QImage> thumbs = thumbs_;
            for (const ClipInfo& clip : fresh) thumbs.erase(clip.id());
            setThumbs(std::move(thumbs));
            setClips(std::move(clips));
            for (const ClipInfo& clip : fresh) makeThumb(clip);
        }
    }
    // Also takes a fresh look at the output's name, which the folder's watcher may have reported.
    refreshPlan();
    if (diskAgain_) {
        diskAgain_ = false;
        diskTimer_.start();
    }
    finishTask();
}

std::optional<std::string> AppModel::outputPlaceProblem() const {
    const FileURL place = placeToTry(plan_);
    if (place.empty() || clips_.empty()) return std::nullopt;
    if (placeProblems_.folder && triedOutput_.parent_path() == place.parent_path())
        return placeProblems_.folder;
    if (placeProblems_.name && triedOutput_ == place) return placeProblems_.name;
    return std::nullopt;
}

void AppModel::refreshPlan() {
    replan();
    emit planChanged();
    emit changed();
}

// ---- derived values ----

std::vector<FileURL> AppModel::urls() const {
    std::vector<FileURL> result;
    result.reserve(clips_.size());
    for (const ClipInfo& clip : clips_) result.push_back(clip.url());
    return result;
}

QString AppModel::baseName() const { return toQString(tessellane::baseName(urls())); }

QString AppModel::fileName() const { return toQString(plan_.fileName); }

std::optional<FileURL> AppModel::outDir() const {
    if (customOutDir_) return customOutDir_;
    if (clips_.empty()) return std::nullopt;
    return clips_.front().url().parent_path();
}

std::optional<FileURL> AppModel::outURL() const {
    // Without clips, the folder itself (an empty name appended).
    if (plan_.output.empty()) return std::nullopt;
    return plan_.output;
}

bool AppModel::canMerge() const {
    return !ffmpegMissing_ && !running_ && plan_.ok() && !outputPlaceProblem();
}

QString AppModel::codecSummary() const {
    return clips_.empty() ? QStringLiteral("-") : toQString(clips_.front().codecLabel());
}

bool AppModel::nextMergeDiffers() const {
    if (!running_ || !mergeTarget_) return false;
    if (outURL() != mergeTarget_->out || clips_.size() != mergeTarget_->clips.size()) return true;
    if (planSettings() != mergeTarget_->settings) return true;
    for (std::size_t i = 0; i < clips_.size(); ++i)
        if (clips_[i].id() != mergeTarget_->clips[i]) return true;
    return false;
}

std::optional<FileURL> AppModel::outputWrittenHere() const {
    const std::optional<FileURL> out = outURL();
    if (!out || clips_.empty() || !outputExists()) return std::nullopt;
    for (const DoneItem& item : done_)
        if (item.url().lexically_normal() == out->lexically_normal()) return item.url();
    return std::nullopt;
}

std::optional<FileURL> AppModel::outputIsAnInput() const { return plan_.outputIsInput; }

// ---- list editing and selection ----

FilesToAdd AppModel::filesToAdd(const std::vector<FileURL>& urls) const {
    std::set<std::string> listed;
    for (const ClipInfo& clip : clips_) listed.insert(clip.url().lexically_normal().string());
    return tessellane::filesToAdd(urls, listed);
}

void AppModel::add(const std::vector<FileURL>& urls) {
    if (urls.empty()) return;
    // The listed set is not updated while sorting: one file named twice in one call is listed twice.
    FilesToAdd sorted = filesToAdd(urls);
    // Each add says what it did not take; one that took everything clears what an earlier one said.
    if (!sorted.refused.empty() || !refused_.empty()) setRefused(std::move(sorted.refused));
    if (sorted.files.empty()) return;

    ++pendingTasks_;
    startProbeJob(userPool_, this, std::move(sorted.files), [this](std::vector<ClipInfo> records) {
        std::vector<ClipInfo> all = clips_;
        all.insert(all.end(), records.begin(), records.end());
        setClips(naturalSorted(all));
        // During a merge the status is the job's own.
        if (!running_) setStatus(QString());
        listEdited(true);
        for (const ClipInfo& clip : records) makeThumb(clip);
        finishTask();
    });
}

void AppModel::clear() {
    Removal removal{clips_, selected_, thumbs_, clips_.size()};
    setClips({});
    setSelected({});
    setThumbs({});
    if (!running_) setStatus(QString());
    setLastResult(std::nullopt);
    listEdited();
    rememberRemoval(std::move(removal));
}

void AppModel::deleteSelected() {
    if (running_ || selected_.empty()) return;
    Removal removal{clips_, selected_, {}, 0};
    std::vector<ClipInfo> kept;
    for (const ClipInfo& clip : clips_)
        if (!selected_.count(clip.id())) kept.push_back(clip);
    removal.removed = clips_.size() - kept.size();
    setClips(std::move(kept));
    setSelected({});
    listEdited();
    rememberRemoval(std::move(removal));
}

void AppModel::rememberRemoval(Removal removal) {
    if (removal.removed == 0) return;
    undo_ = std::move(removal);
    notify(&AppModel::undoChanged);
}

void AppModel::undoRemoval() {
    if (!undo_) return;
    Removal removal = std::move(*undo_);
    undo_.reset();
    // Pictures that arrived for clips still listed are kept; the removed clips get theirs back.
    std::map<Uuid, QImage> thumbs = thumbs_;
    thumbs.insert(removal.thumbs.begin(), removal.thumbs.end());
    setClips(std::move(removal.clips));
    setSelected(std::move(removal.selected));
    if (thumbs.size() != thumbs_.size()) setThumbs(std::move(thumbs));
    notify(&AppModel::undoChanged);
}

void AppModel::listEdited(bool keepRefused) {
    if (!running_) {
        if (!status_.isEmpty()) setStatus(QString());
        if (progress_ != 0.0) setProgress(0.0);
    }
    if (!keepRefused && !refused_.empty()) setRefused({});
    if (undo_) {
        undo_.reset();
        notify(&AppModel::undoChanged);
    }
}

void AppModel::select(const Uuid& id, Qt::KeyboardModifiers held) {
    const bool shift = held.testFlag(Qt::ShiftModifier);
    const bool command = held.testFlag(Qt::ControlModifier);

    auto positionOf = [this](const Uuid& wanted) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < clips_.size(); ++i)
            if (clips_[i].id() == wanted) return i;
        return std::nullopt;
    };

    if (shift && anchor_) {
        std::optional<std::size_t> a = positionOf(*anchor_);
        std::optional<std::size_t> b = positionOf(id);
        if (a && b) {
            std::set<Uuid> range = command ? selected_ : std::set<Uuid>();
            for (std::size_t i = std::min(*a, *b); i <= std::max(*a, *b); ++i) range.insert(clips_[i].id());
            setSelected(std::move(range));
            return;  // the anchor stays, so successive Shift-clicks measure from the same clip
        }
    }

    std::set<Uuid> next;
    if (command) {
        next = selected_;
        if (!next.erase(id)) next.insert(id);
    } else {
        next = {id};
    }
    setSelected(std::move(next));
    anchor_ = id;
}

void AppModel::selectAll() {
    std::set<Uuid> all;
    for (const ClipInfo& clip : clips_) all.insert(clip.id());
    setSelected(std::move(all));
}

void AppModel::move(const std::set<int>& from, int to) {
    const int count = int(clips_.size());
    if (to < 0 || to > count) return;
    for (int position : from)
        if (position < 0 || position >= count) return;

    std::set<int> sources = from;
    // Only the first dragged row decides: a drag that starts on a selected row carries the whole selection.
    if (!from.empty() && selected_.count(clips_[std::size_t(*from.begin())].id())) {
        sources.clear();
        for (int i = 0; i < count; ++i)
            if (selected_.count(clips_[std::size_t(i)].id())) sources.insert(i);
    }

    std::vector<ClipInfo> block;
    std::vector<ClipInfo> rest;
    std::size_t insertAt = 0;
    for (int i = 0; i < count; ++i) {
        if (sources.count(i)) {
            block.push_back(clips_[std::size_t(i)]);
        } else {
            if (i < to) ++insertAt;
            rest.push_back(clips_[std::size_t(i)]);
        }
    }
    rest.insert(rest.begin() + std::ptrdiff_t(insertAt), block.begin(), block.end());
    setClips(std::move(rest));
    listEdited();
}

bool AppModel::moveSelected(int step) {
    std::vector<ClipInfo> list = clips_;
    const int count = int(list.size());
    bool moved = false;
    // Walking from the end the clips move towards, each selected clip changes place with an unselected
    // neighbour on that side; a selected neighbour means the block before it is stuck.
    const int direction = step < 0 ? -1 : 1;
    for (int k = 0; k < count; ++k) {
        const int i = direction < 0 ? k : count - 1 - k;
        const int j = i + direction;
        if (j < 0 || j >= count) continue;
        if (selected_.count(list[std::size_t(i)].id()) && !selected_.count(list[std::size_t(j)].id())) {
            std::swap(list[std::size_t(i)], list[std::size_t(j)]);
            moved = true;
        }
    }
    if (!moved) return false;
    setClips(std::move(list));
    listEdited();
    return true;
}

std::optional<FileURL> AppModel::clipsFolder() const {
    if (clips_.empty()) return std::nullopt;
    return clips_.front().url().parent_path();
}

void AppModel::reveal(const FileURL& file) {
    if (services_) services_->reveal(file);
}

void AppModel::open(const FileURL& file) {
    if (services_) services_->open(file);
}

void AppModel::removeDone(const std::set<Uuid>& ids) {
    std::vector<DoneItem> kept;
    for (const DoneItem& item : done_)
        if (!ids.count(item.id())) kept.push_back(item);
    if (kept.size() != done_.size()) setDone(std::move(kept));
}

// ---- thumbnails ----

void AppModel::makeThumb(const ClipInfo& clip) {
    if (clip.error) return;
    const bool started = thumbnails_.start(clip, this, [this](const Uuid& id, const QImage& image) {
        if (!image.isNull()) setThumb(id, image);
        finishTask();
    });
    // The result arrives through the event loop, so counting after the start is never late.
    if (started) ++pendingTasks_;
}

QString AppModel::thumbnailFolder() const { return thumbnails_.folder(); }

// ---- merge job ----

void AppModel::runMerge() {
    if (ffmpegMissing_ || running_) return;
    // The name may have been taken since the plan was made: look once more, as the button was pressed.
    const MergePlan before = plan_;
    replan();
    if (plan_.outputTaken != before.outputTaken) {
        emit planChanged();
        emit changed();
    }
    if (!plan_.ok() || outputPlaceProblem()) return;
    std::optional<FileURL> out = outURL();
    if (!out) return;

    std::vector<ClipInfo> snapshot = clips_;
    const MergeSettings settings = planSettings();
    MergeTarget target{*out, {}, outputWidth(), outputHeight(), settings};
    for (const ClipInfo& clip : clips_) target.clips.push_back(clip.id());
    auto stop = std::make_shared<Cancellation>();
    mergeStop_ = stop;
    setMergeTarget(std::move(target));
    setRunning(true);
    setProgress(0.0);
    setStatus(kMergingStatus);
    setStatusIsError(false);
    setLastResult(std::nullopt);

    ++pendingTasks_;
    startMergeJob(
        userPool_, this, std::move(snapshot), *out, settings, stop,
        [this](double fraction) { setProgress(fraction); },
        [this, out = *out, stop](const MergeOutcome& outcome) { finishMerge(out, stop, outcome); });
}

void AppModel::finishMerge(const FileURL& out, const std::shared_ptr<Cancellation>& stop,
                           const MergeOutcome& outcome) {
    if (mergeStop_ == stop) mergeStop_.reset();
    setRunning(false);
    if (stopping_) setStopping(false);
    if (outcome.summary) {
        setStatus(*outcome.summary);
        setLastResult(out);
        std::vector<DoneItem> next = done_;
        next.insert(next.begin(), DoneItem(out, *outcome.summary));
        setDone(std::move(next));
    } else {
        // A stopped merge leaves nothing, and its bar shows nothing either.
        if (stop->requested()) setProgress(0.0);
        setStatus(outcome.failure);
        setStatusIsError(true);
    }
    finishTask();
}

void AppModel::cancelMerge() {
    if (!mergeStop_ || mergeStop_->requested()) return;
    mergeStop_->request();
    setStopping(true);
    setStatus(kStoppingStatus);
}

void AppModel::finishTask() { --pendingTasks_; }

}  // namespace tessellane
