#include "app/app_model.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/naming.h"
#include "engine/tools.h"

namespace tessellane {

namespace {

QString toQString(const std::string& utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

std::string toStd(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

AppModel::AppModel(PlatformServices* services, QObject* parent)
    : QObject(parent), services_(services), ffmpegMissing_(!Tools::ffmpeg().has_value()) {
    thumbPool_.setThreadPriority(QThread::LowPriority);
}

AppModel::~AppModel() {
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

// ---- operations (filled in with the background work) ----

void AppModel::add(const std::vector<FileURL>&) {}
void AppModel::clear() {}
void AppModel::deleteSelected() {}
void AppModel::click(const Uuid&) {}
void AppModel::selectAll() {}
void AppModel::move(const std::set<int>&, int) {}
void AppModel::chooseFolder() {}
void AppModel::openFiles() {}
void AppModel::reveal(const FileURL& file) {
    if (services_) services_->reveal(file);
}
void AppModel::makeThumb(const ClipInfo&) {}
void AppModel::runMerge() {}
QString AppModel::thumbnailFolder() const { return {}; }

void AppModel::finishTask() {
    if (--pendingTasks_ == 0) emit idle();
}

}  // namespace tessellane
