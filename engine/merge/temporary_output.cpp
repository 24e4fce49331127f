#include "engine/merge/temporary_output.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "engine/core/clip_info.h"
#include "engine/core/interrupted_calls.h"
#include "engine/core/messages.h"
#include "engine/core/utf8.h"
#include "engine/merge/merge_error.h"

namespace tessellane {

namespace {

std::string shown(const std::filesystem::path& path) { return escapeControls(path.string()); }

MergeError folderProblem(const std::filesystem::path& folder, int error) {
    if (error == ENOENT || error == ENOTDIR)
        return MergeError::refused(messages::outputFolderMissing(shown(folder)));
    return MergeError::refused(messages::outputFolderUnwritable(shown(folder), fileProblem(error)));
}

// A flush; file systems that have none to offer (some FUSE and network ones) say so with these errors.
bool flushed(int (*flush)(int), int fd) {
    return retryInterrupted([&] { return flush(fd); }) == 0 || errno == EINVAL || errno == ENOTSUP ||
           errno == ENOSYS;
}

bool lacksFeature(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM || error == EISDIR;
}

bool isNameError(int error) {
    return error == ENAMETOOLONG || error == EINVAL || error == EILSEQ || error == ENOENT;
}

// The final name, tried where a kill can leave nothing under it: in a run's hidden folder, beside it. 0
// when the file system took it, else the error.
int tryName(int run, const std::string& name) {
    const UniqueFd tried(
        outputCalls().openat(run, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!tried) return errno;
    ::unlinkat(run, name.c_str(), 0);
    return 0;
}

// Why a name isNameError() refused cannot be; `folder` is open on the folder it was tried in.
MergeError nameRefusal(int error, int folder, const std::string& name) {
    if (error == ENAMETOOLONG) {
        const long longest = ::fpathconf(folder, _PC_NAME_MAX);
        return MergeError::refused(messages::nameTooLong(name.size(), longest));
    }
    return MergeError::refused(messages::nameUnusableHere(escapeControls(name)));
}

}  // namespace

OutputPlaceProblems outputPlaceProblems(const std::filesystem::path& output) {
    const std::filesystem::path folder = output.parent_path();
    const std::string name = output.filename().string();
    OutputPlaceProblems problems;
    const UniqueFd opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!opened) {
        problems.folder = folderProblem(folder, errno).errorDescription();
        return problems;
    }
    std::optional<RunFolder> run;
    try {
        run.emplace(opened.get());
    } catch (const std::system_error& error) {
        problems.folder = folderProblem(folder, error.code().value()).errorDescription();
        return problems;
    }
    if (const int error = tryName(run->fd(), name); error != 0) {
        if (isNameError(error))
            problems.name = nameRefusal(error, opened.get(), name).errorDescription();
        else
            problems.folder = folderProblem(folder, error).errorDescription();
    }
    return problems;
}

OutputCalls& outputCalls() {
    static OutputCalls calls{[](int folder, const char* name, int flags, mode_t mode) {
                                 return ::openat(folder, name, flags, mode);
                             },
                             ::renameat2, ::linkat, ::fdatasync, ::fsync};
    return calls;
}

TemporaryOutput::TemporaryOutput(const std::filesystem::path& output)
    : output_(output), name_(output.filename().string()) {
    const std::filesystem::path folder = output.parent_path();
    folder_ = UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder_) throw folderProblem(folder, errno);
    struct stat taken {};
    if (::fstatat(folder_.get(), name_.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
        throw MergeError::exists(output.string());

    reclaimDeadRuns(folder_.get());
    try {
        run_.emplace(folder_.get());
    } catch (const std::system_error& error) {
        throw folderProblem(folder, error.code().value());
    }
    checkName();

    // Anonymous where the file system allows it: nothing to leave behind, whatever happens to this program.
    file_ = UniqueFd(outputCalls().openat(folder_.get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (file_) {
        run_.reset();
        return;
    }
    if (!lacksFeature(errno) && errno != ENOENT) throw folderProblem(folder, errno);
    // The same extension as the output, so a look at the folder shows what it is.
    const std::string extension = extensionOf(output);
    runEntry_ = extension.empty() ? "merge" : "merge." + extension;
    file_ = UniqueFd(
        outputCalls().openat(run_->fd(), runEntry_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file_) throw folderProblem(folder, errno);
    run_->adopt(runEntry_);
}

TemporaryOutput::~TemporaryOutput() = default;

void TemporaryOutput::checkName() {
    const int error = tryName(run_->fd(), name_);
    if (error == 0) return;
    if (isNameError(error)) throw nameRefusal(error, folder_.get(), name_);
    throw folderProblem(output_.parent_path(), error);
}

TemporaryOutput::Publish TemporaryOutput::publish() {
    const OutputCalls& calls = outputCalls();
    const auto failure = [this](int error) {
        return MergeError::storage(shown(output_) + ": " + fileProblem(error));
    };
    if (!flushed(calls.fdatasync, file_.get())) throw failure(errno);
    if (runEntry_.empty()) {
        // Linking an anonymous file refuses an existing name just as creating one does.
        if (calls.linkat(AT_FDCWD, path().c_str(), folder_.get(), name_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) return Publish::nameTaken;
            throw failure(errno);
        }
    } else if (moveIntoPlace() == Publish::nameTaken) {
        return Publish::nameTaken;
    }
    // The new name, and the file's own record of it, are flushed before success is reported.
    if (!flushed(calls.fsync, file_.get()) || !flushed(calls.fsync, folder_.get())) {
        const int error = errno;
        unpublish();
        throw failure(error);
    }
    return Publish::published;
}

TemporaryOutput::Publish TemporaryOutput::moveIntoPlace() {
    const OutputCalls& calls = outputCalls();
    const int from = run_->fd(), to = folder_.get();
    const char* entry = runEntry_.c_str();
    if (calls.renameat2(from, entry, to, name_.c_str(), RENAME_NOREPLACE) == 0) return Publish::published;
    if (errno == EEXIST) return Publish::nameTaken;
    if (!lacksFeature(errno)) throw MergeError::storage(shown(output_) + ": " + fileProblem(errno));
    // A hard link refuses an existing name just the same; the run's own name goes with its folder.
    if (calls.linkat(from, entry, to, name_.c_str(), 0) == 0) return Publish::published;
    if (errno == EEXIST) return Publish::nameTaken;
    if (!lacksFeature(errno) && errno != EMLINK)
        throw MergeError::storage(shown(output_) + ": " + fileProblem(errno));

    // Neither (FAT and exFAT through FUSE, some network shares): a look, then a plain rename, with the
    // folder locked against other runs of ours. The rename is atomic, so the name never holds part of a file.
    ::flock(to, LOCK_EX);
    struct stat taken {};
    Publish result = Publish::nameTaken;
    int error = 0;
    if (::fstatat(to, name_.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
        result = Publish::nameTaken;
    else if (errno != ENOENT)
        error = errno;
    else if (calls.renameat2(from, entry, to, name_.c_str(), 0) == 0)
        result = Publish::published;
    else
        error = errno;
    ::flock(to, LOCK_UN);
    if (error != 0) throw MergeError::storage(shown(output_) + ": " + fileProblem(error));
    return result;
}

// Takes back a name given to this run's file whose keeping failed, unless something else holds it by now.
void TemporaryOutput::unpublish() {
    struct stat mine {
    }, named{};
    if (::fstat(file_.get(), &mine) == 0 &&
        ::fstatat(folder_.get(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
        ::unlinkat(folder_.get(), name_.c_str(), 0);
}

}  // namespace tessellane
