#include "engine/probe/probe.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>

#include "engine/core/messages.h"
#include "engine/probe/byte_source.h"
#include "engine/probe/image_header.h"
#include "engine/probe/image_record.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/movie_record.h"

namespace tessellane {

namespace {

// A file that is not there (or a link to nothing), or that this user may not read, is told apart from one
// that is not media.
std::optional<std::string> openProblem(const FileURL& url, int error) {
    std::error_code ignored;
    if (error == ENOENT && std::filesystem::is_symlink(std::filesystem::symlink_status(url, ignored)))
        return std::string(messages::kLinkTargetMissing);
    if (error == ENOENT || error == ENOTDIR) return std::string(messages::kFileMissing);
    if (error == EACCES || error == EPERM) return std::string(messages::kNoReadPermission);
    return std::nullopt;
}

}  // namespace

FileStamp fileStamp(const FileURL& url) {
    struct stat info {};
    if (::stat(url.c_str(), &info) != 0) return {};
    return {S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0,
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

ClipInfo probe(const FileURL& url) {
    ClipInfo record(url);
    const FileStamp stamp = fileStamp(url);
    record.fileSize = stamp.size;
    record.modified = stamp.modified;

    if (hasImageExtension(url)) return probeImage(url, std::move(record));

    FileSource file;
    errno = 0;
    if (!file.open(url)) {
        // Not opened, or refused (a FIFO, a folder): nothing was read, so no reader's reason.
        record.error = openProblem(url, errno).value_or(std::string(messages::kMovieUnreadable));
        return record;
    }
    if (file.size() == 0) {
        record.error = std::string(messages::kEmptyFile);
        return record;
    }
    const MovieInfo movie = readMovie(file);
    if (movie.video) return movieRecord(std::move(record), *movie.video, movie.hasAudio, movie.audio);
    record.error = movieErrorText(movie.error);
    return record;
}

ClipInfo probeImage(const FileURL& url, ClipInfo started, std::optional<ImageKind>* kind) {
    FileSource file;
    errno = 0;
    const bool opened = file.open(url);
    const int openError = errno;
    if (opened && file.size() == 0) {
        started.error = std::string(messages::kEmptyFile);
        return started;
    }
    if (opened) {
        if (const auto header = readImageHeader(file)) {
            if (kind) *kind = header->kind;
            return imageRecord(std::move(started), *header);
        }
    }
    started.error = (opened ? std::nullopt : openProblem(url, openError))
                        .value_or(std::string(messages::kImageUnreadable));
    return started;
}

}  // namespace tessellane
