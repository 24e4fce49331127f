#include "app/disk_check.h"

#include <sys/stat.h>

#include <QMetaObject>
#include <memory>
#include <utility>

#include "engine/probe/probe.h"

namespace tessellane {

namespace {

std::optional<FolderIdentity> folderIdentity(const FileURL& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return std::nullopt;
    return FolderIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                          static_cast<std::uint32_t>(info.st_mode), static_cast<std::uint32_t>(info.st_uid),
                          static_cast<std::uint32_t>(info.st_gid)};
}

DiskCheckResult look(const DiskCheck& check) {
    DiskCheckResult result;
    for (const ClipInfo& clip : check.clips) {
        if (!fileChanged(clip)) continue;
        ClipInfo again = clip;
        static_cast<ClipFields&>(again) = probe(clip.url());
        result.reprobed.push_back(std::move(again));
    }
    result.output = check.output;
    if (check.output.empty()) return result;
    result.folder = folderIdentity(check.output.parent_path());
    if (!result.folder || result.folder != check.lastTried) result.place = outputPlaceProblems(check.output);
    return result;
}

}  // namespace

bool fileChanged(const ClipInfo& clip) {
    if (clip.modified == 0 && !clip.error) return false;
    return fileStamp(clip.url()) != FileStamp{clip.fileSize, clip.modified};
}

void startDiskCheck(QThreadPool& pool, QObject* receiver, DiskCheck check,
                    std::function<void(DiskCheckResult)> done) {
    pool.start([receiver, check = std::move(check), done = std::move(done)] {
        auto result = std::make_shared<DiskCheckResult>(look(check));
        QMetaObject::invokeMethod(
            receiver, [done, result] { done(std::move(*result)); }, Qt::QueuedConnection);
    });
}

}  // namespace tessellane
