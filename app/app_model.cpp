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

AppModel::AppModel(PlatformServices* services, QObject* parent)
    : QObject(parent), services_(services), ffmpegMissing_(!Tools::ffmpeg().has_value()) {}

AppModel::~AppModel() {
    // Quitting never waits for pictures nobody will see, nor for a merge nobody can collect.
    thumbnails_.stopAll();
    cancelMerge();
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

// ---- derived values ----

std::vector<FileURL> AppModel::urls() const {
    std::vector<FileURL> result;
    result.reserve(clips_.size());
    for (const ClipInfo& clip : clips_) result.push_back(clip.url());
    return result;
}

QString AppModel::baseName() const { return toQString(tessellane::baseName(urls())); }

QString AppModel::fileName() const {
    if (clips_.empty()) return {};
    return toQString(outputFileName(urls(), toStd(suffix_)));
}

std::optional<FileURL> AppModel::outDir() const {
    if (customOutDir_) return customOutDir_;
    if (clips_.empty()) return std::nullopt;
    return clips_.front().url().parent_path();
}

std::optional<FileURL> AppModel::outURL() const {
    std::optional<FileURL> folder = outDir();
    if (!folder) return std::nullopt;
    // An empty name names the folder itself, as appending an empty component does to a URL.
    std::string name = toStd(fileName());
    return name.empty() ? *folder : *folder / name;
}

Validation AppModel::validation() const { return validate(clips_); }

bool AppModel::outputExists() const {
    std::optional<FileURL> out = outURL();
    if (!out) return false;
    std::error_code error;
    // symlink_status: a dangling link is still something a merge must not overwrite.
    return std::filesystem::exists(std::filesystem::symlink_status(*out, error));
}

std::int64_t AppModel::totalWidth() const {
    std::int64_t sum = 0;
    for (const ClipInfo& clip : clips_) sum += clip.width;
    return sum;
}

std::int64_t AppModel::outHeight() const { return clips_.empty() ? 0 : clips_.front().height; }

bool AppModel::suffixInvalid() const { return suffix_.contains(u'/') || suffix_.contains(u':'); }

bool AppModel::canMerge() const {
    if (ffmpegMissing_) return false;
    if (running_) return false;
    if (!validation().ok()) return false;
    if (outputExists()) return false;
    if (suffixInvalid()) return false;
    return true;
}

QString AppModel::codecSummary() const {
    return clips_.empty() ? QStringLiteral("-") : toQString(clips_.front().codecLabel());
}

// ---- list editing and selection ----

void AppModel::add(const std::vector<FileURL>& urls) {
    std::vector<std::string> accepted = videoExts;
    accepted.insert(accepted.end(), imageExts.begin(), imageExts.end());

    std::set<std::string> listed;
    for (const ClipInfo& clip : clips_) listed.insert(clip.url().lexically_normal().string());

    // The set is not updated while filtering: one file named twice in one call is listed twice.
    std::vector<FileURL> passing;
    for (const FileURL& given : urls) {
        std::error_code error;
        FileURL url = given.is_absolute() ? given : std::filesystem::absolute(given, error);
        if (error) continue;
        const std::string ext = lowerExtensionOf(url);
        if (ext.empty() || std::find(accepted.begin(), accepted.end(), ext) == accepted.end()) continue;
        if (listed.count(url.lexically_normal().string())) continue;
        passing.push_back(std::move(url));
    }
    if (passing.empty()) return;

    ++pendingTasks_;
    startProbeJob(userPool_, this, std::move(passing), [this](std::vector<ClipInfo> records) {
        std::vector<ClipInfo> all = clips_;
        all.insert(all.end(), records.begin(), records.end());
        setClips(naturalSorted(all));
        setStatus(QString());
        for (const ClipInfo& clip : records) makeThumb(clip);
        finishTask();
    });
}

void AppModel::clear() {
    setClips({});
    setSelected({});
    setThumbs({});
    setStatus(QString());
    setLastResult(std::nullopt);
}

void AppModel::deleteSelected() {
    if (running_ || selected_.empty()) return;
    std::vector<ClipInfo> kept;
    for (const ClipInfo& clip : clips_)
        if (!selected_.count(clip.id())) kept.push_back(clip);
    setClips(std::move(kept));
    setSelected({});
}

void AppModel::click(const Uuid& id) {
    const Qt::KeyboardModifiers held = services_ ? services_->keyboardModifiers() : Qt::NoModifier;
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
}

void AppModel::chooseFolder() {
    if (!services_) return;
    FolderChoice choice = services_->chooseFolder(kChooseFolderLabel);
    if (choice.confirmed) setCustomOutDir(choice.folder);
}

void AppModel::openFiles() {
    if (!services_) return;
    std::vector<std::string> kinds = videoExts;
    kinds.insert(kinds.end(), imageExts.begin(), imageExts.end());
    std::optional<std::vector<FileURL>> chosen = services_->chooseFiles(kinds);
    if (chosen) add(*chosen);
}

void AppModel::reveal(const FileURL& file) {
    if (services_) services_->reveal(file);
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
    if (ffmpegMissing_) return;
    if (running_) return;
    if (!validation().ok()) return;
    if (outputExists()) return;
    if (suffixInvalid()) return;
    std::optional<FileURL> out = outURL();
    if (!out) return;

    std::vector<ClipInfo> snapshot = clips_;
    auto stop = std::make_shared<Cancellation>();
    mergeStop_ = stop;
    setRunning(true);
    setProgress(0.0);
    setStatus(kMergingStatus);
    setStatusIsError(false);
    setLastResult(std::nullopt);

    ++pendingTasks_;
    startMergeJob(
        userPool_, this, std::move(snapshot), *out, stop, [this](double fraction) { setProgress(fraction); },
        [this, out = *out, stop](const MergeOutcome& outcome) { finishMerge(out, stop, outcome); });
}

void AppModel::finishMerge(const FileURL& out, const std::shared_ptr<Cancellation>& stop,
                           const MergeOutcome& outcome) {
    if (mergeStop_ == stop) mergeStop_.reset();
    setRunning(false);
    if (outcome.summary) {
        setStatus(*outcome.summary);
        setLastResult(out);
        std::vector<DoneItem> next = done_;
        next.insert(next.begin(), DoneItem(out, *outcome.summary));
        setDone(std::move(next));
    } else {
        setStatus(outcome.failure);
        setStatusIsError(true);
    }
    finishTask();
}

void AppModel::cancelMerge() {
    if (mergeStop_) mergeStop_->request();
}

void AppModel::finishTask() {
    if (--pendingTasks_ == 0) emit idle();
}

}  // namespace tessellane
