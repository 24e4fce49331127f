#include "app/app_model.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "app/thumbnail.h"
#include "engine/merge/merge.h"
#include "engine/core/naming.h"
#include "engine/probe/probe.h"
#include "engine/merge/tools.h"

namespace tessellane {

namespace {

QString toQString(const std::string& utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

std::string toStd(const QString& text) { return text.toUtf8().toStdString(); }

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

// probe() reports unreadable files in the record; anything escaping it still becomes a listed record.
ClipInfo probeOrError(const FileURL& url) {
    try {
        return probe(url);
    } catch (const std::exception& error) {
        ClipInfo record(url);
        record.error = error.what();
        return record;
    }
}

}  // namespace

AppModel::AppModel(PlatformServices* services, QObject* parent)
    : QObject(parent), services_(services), ffmpegMissing_(!Tools::ffmpeg().has_value()) {
    thumbPool_.setThreadPriority(QThread::LowPriority);
}

AppModel::~AppModel() {
    // Quitting never waits for pictures nobody will see, nor for a merge nobody can collect.
    thumbPool_.clear();
    thumbnailsStop_->request();
    cancelMerge();
    userPool_.waitForDone();
    thumbPool_.waitForDone();
}

// ---- observed fields ----

void AppModel::setClips(std::vector<ClipInfo> clips) {
    clips_ = std::move(clips);
    emit clipsChanged();
    emit changed();
}

void AppModel::setSelected(std::set<Uuid> selected) {
    selected_ = std::move(selected);
    emit selectedChanged();
    emit changed();
}

void AppModel::setSuffix(const QString& suffix) {
    suffix_ = suffix;
    emit suffixChanged();
    emit changed();
}

void AppModel::setCustomOutDir(std::optional<FileURL> folder) {
    customOutDir_ = std::move(folder);
    emit customOutDirChanged();
    emit changed();
}

void AppModel::setProgress(double progress) {
    progress_ = progress;
    emit progressChanged();
    emit changed();
}

void AppModel::setRunning(bool running) {
    running_ = running;
    emit runningChanged();
    emit changed();
}

void AppModel::setStatus(const QString& status) {
    status_ = status;
    emit statusChanged();
    emit changed();
}

void AppModel::setStatusIsError(bool isError) {
    statusIsError_ = isError;
    emit statusIsErrorChanged();
    emit changed();
}

void AppModel::setLastResult(std::optional<FileURL> result) {
    lastResult_ = std::move(result);
    emit lastResultChanged();
    emit changed();
}

void AppModel::setDone(std::vector<DoneItem> done) {
    done_ = std::move(done);
    emit doneChanged();
    emit changed();
}

void AppModel::setThumbs(std::map<Uuid, QImage> thumbs) {
    thumbs_ = std::move(thumbs);
    emit thumbsChanged();
    emit changed();
}

void AppModel::setThumb(const Uuid& id, const QImage& image) {
    thumbs_[id] = image;
    emit thumbsChanged();
    emit changed();
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
    userPool_.start([this, passing = std::move(passing)] {
        auto records = std::make_shared<std::vector<ClipInfo>>();
        records->reserve(passing.size());
        for (const FileURL& url : passing) records->push_back(probeOrError(url));
        QMetaObject::invokeMethod(
            this,
            [this, records] {
                std::vector<ClipInfo> all = clips_;
                all.insert(all.end(), records->begin(), records->end());
                setClips(naturalSorted(all));
                setStatus(QString());
                for (const ClipInfo& clip : *records) makeThumb(clip);
                finishTask();
            },
            Qt::QueuedConnection);
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
    // Made on first use, and again if it could not be made or a temporary-file cleaner removed it.
    std::error_code error;
    if (!thumbFolder_ || !thumbFolder_->valid() ||
        !std::filesystem::is_directory(thumbFolder_->path(), error))
        thumbFolder_ = std::make_shared<PrivateTempFolder>();
    if (!thumbFolder_->valid()) return;  // never fall back to the shared temporary directory

    ++pendingTasks_;
    thumbPool_.start(
        [this, clip, folder = thumbFolder_, stop = thumbnailsStop_, limit = thumbnailTimeLimit_] {
            lowerThisThreadsPriority();
            // The lookup is made anew for each clip, off the main thread since it walks PATH.
            QImage image;
            std::optional<std::string> ffmpeg;
            if (!stop->requested()) ffmpeg = Tools::ffmpeg();
            if (ffmpeg)
                image = makeThumbnailImage(*ffmpeg, clip, folder->path(), CaptureLimits{limit, stop.get()});
            QMetaObject::invokeMethod(
                this,
                [this, id = clip.id(), image] {
                    if (!image.isNull()) setThumb(id, image);
                    finishTask();
                },
                Qt::QueuedConnection);
        });
}

QString AppModel::thumbnailFolder() const {
    return thumbFolder_ && thumbFolder_->valid() ? QString::fromStdString(thumbFolder_->path().string())
                                                 : QString();
}

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
    userPool_.start([this, snapshot = std::move(snapshot), out = *out, stop] {
        // Every progress value gets its own queued call, so all of them land before the outcome.
        auto progress = [this](double fraction) {
            QMetaObject::invokeMethod(
                this, [this, fraction] { setProgress(fraction); }, Qt::QueuedConnection);
        };
        std::optional<QString> summary;
        QString failure;
        try {
            ClipInfo written = merge(snapshot, out, progress, stop.get());
            summary = toQString(resultSummary(written));
        } catch (const MergeError& error) {
            failure = toQString(error.errorDescription());
        } catch (const std::exception& error) {
            failure = QString::fromLocal8Bit(error.what());
        } catch (...) {
            failure = QStringLiteral("알 수 없는 오류로 합치지 못했습니다.");
        }
        QMetaObject::invokeMethod(
            this,
            [this, summary, failure, out, stop] {
                if (mergeStop_ == stop) mergeStop_.reset();
                setRunning(false);
                if (summary) {
                    setStatus(*summary);
                    setLastResult(out);
                    std::vector<DoneItem> next = done_;
                    next.insert(next.begin(), DoneItem(out, *summary));
                    setDone(std::move(next));
                } else {
                    setStatus(failure);
                    setStatusIsError(true);
                }
                finishTask();
            },
            Qt::QueuedConnection);
    });
}

void AppModel::cancelMerge() {
    if (mergeStop_) mergeStop_->request();
}

void AppModel::finishTask() {
    if (--pendingTasks_ == 0) emit idle();
}

}  // namespace tessellane
