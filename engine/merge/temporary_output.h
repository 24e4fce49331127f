// Where ffmpeg writes a merge before it is known to be good, and how a good one is kept. Everything happens
// relative to the output folder as opened at the start, so a folder renamed meanwhile still receives its
// result. Where the file system has anonymous files, ffmpeg writes one that vanishes by itself if anything
// dies; elsewhere a file in this run's hidden folder, which the next run there reclaims if this one dies.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

#include "engine/core/unique_fd.h"
#include "engine/merge/run_folder.h"

namespace tessellane {

// The system calls through which an output is created and kept. Tests replace them to act out file systems
// that lack a feature or fail.
struct OutputCalls {
    int (*openat)(int folder, const char* name, int flags, mode_t mode);
    int (*renameat2)(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags);
    int (*linkat)(int fromFolder, const char* from, int toFolder, const char* to, int flags);
    int (*fdatasync)(int fd);
    int (*fsync)(int fd);
};
OutputCalls& outputCalls();

// What would stop a merge from making `output` now, found as TemporaryOutput finds it: the folder does not
// open or takes no new entry, or its file system does not take the name (its length in bytes, its
// characters). Leaves nothing behind; whether the name is taken already is not asked.
struct OutputPlaceProblems {
    std::optional<std::string> folder;  // the same for any name in that folder
    std::optional<std::string> name;    // this name only; not tried when the folder fails
};
OutputPlaceProblems outputPlaceProblems(const std::filesystem::path& output);

class TemporaryOutput {
  public:
    // Opens the output's folder, reclaims what dead runs left in it, checks that its file system takes the
    // final name, and creates the file ffmpeg writes. Throws MergeError: exists, or refused with the reason.
    explicit TemporaryOutput(const std::filesystem::path& output);
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    int fd() const { return file_.get(); }
    // The file as ffmpeg opens it, /proc/self/fd/N: ffmpeg inherits the descriptor, so no name of the file
    // system is involved.
    std::string path() const { return "/proc/self/fd/" + std::to_string(file_.get()); }

    enum class Publish { published, nameTaken };
    // Flushes the file to disk, gives it the final name (atomically, never over anything that is there),
    // then flushes the name: once `published` is returned the result survives a power cut. Throws
    // MergeError::storage when the file system fails.
    Publish publish();

  private:
    void checkName();
    Publish moveIntoPlace();
    void unpublish();

    std::filesystem::path output_;
    std::string name_;
    UniqueFd folder_;
    std::optional<RunFolder> run_;  // only while needed: the name check, and the file where none is anonymous
    std::string runEntry_;          // the file's name in run_, when it has one
    UniqueFd file_;
};

}  // namespace tessellane
