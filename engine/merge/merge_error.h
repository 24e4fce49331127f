// Why a merge did not succeed, in the words the window and the command line show.
#pragma once

#include <exception>
#include <string>

namespace tessellane {

class MergeError : public std::exception {
  public:
    enum class Kind { exists, invalid, failed, noFFmpeg, cancelled, unverified, refused, storage };

    static MergeError exists(std::string outputPath);
    static MergeError invalid(std::string blocking) { return MergeError(Kind::invalid, std::move(blocking)); }
    static MergeError failed(std::string lastLines) { return MergeError(Kind::failed, std::move(lastLines)); }
    // ffmpeg ended by a signal that nobody here sent (the kernel's out-of-memory killer, a file size limit).
    static MergeError killed(int signal);
    static MergeError noFFmpeg() { return MergeError(Kind::noFFmpeg, {}); }
    static MergeError cancelled() { return MergeError(Kind::cancelled, {}); }
    // ffmpeg reported success but what it wrote is not the expected result; the payload says how.
    static MergeError unverified(std::string problem) {
        return MergeError(Kind::unverified, std::move(problem));
    }
    // Found before ffmpeg starts, outside validation: the output's name or folder, the inputs as opened.
    static MergeError refused(std::string problem) { return MergeError(Kind::refused, std::move(problem)); }
    // The file system failed while the finished result was being kept.
    static MergeError storage(std::string problem) { return MergeError(Kind::storage, std::move(problem)); }

    Kind kind() const { return kind_; }
    const std::string& payload() const { return payload_; }
    // The Korean text the window and the command line show.
    std::string errorDescription() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

  private:
    MergeError(Kind kind, std::string payload);
    Kind kind_;
    std::string payload_;
    std::string description_;
};

// A file system error as the user reads it ("no such folder", "permission denied", ...); the system's
// own words for the rare ones.
std::string fileProblem(int error);

}  // namespace tessellane
