// Runs one merge with ffmpeg: checks, progress from its frame lines, errors in the user's words.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

class Cancellation;

class MergeError : public std::exception {
  public:
    enum class Kind { exists, invalid, failed, noFFmpeg, cancelled, unverified };

    static MergeError exists(std::string outputPath) {
        return MergeError(Kind::exists, std::move(outputPath));
    }
    static MergeError invalid(std::string blocking) { return MergeError(Kind::invalid, std::move(blocking)); }
    static MergeError failed(std::string lastLines) { return MergeError(Kind::failed, std::move(lastLines)); }
    static MergeError noFFmpeg() { return MergeError(Kind::noFFmpeg, {}); }
    static MergeError cancelled() { return MergeError(Kind::cancelled, {}); }
    // ffmpeg reported success but what it wrote is not the expected picture; the payload says how.
    static MergeError unverified(std::string problem) {
        return MergeError(Kind::unverified, std::move(problem));
    }

    Kind kind() const { return kind_; }
    const std::string& payload() const { return payload_; }
    // The Korean text the window and the command line show.
    std::string errorDescription() const;
    const char* what() const noexcept override { return description_.c_str(); }

  private:
    MergeError(Kind kind, std::string payload);
    Kind kind_;
    std::string payload_;
    std::string description_;
};

using ProgressCallback = std::function<void(double)>;
// Called with ffmpeg's arguments just before it starts (they name the temporary it writes, not `output`).
using CommandCallback = std::function<void(const std::vector<std::string>&)>;

// Blocks until ffmpeg ends. Returns the probed output, or throws MergeError; a refused start of ffmpeg
// throws std::system_error. progress is called on the calling thread with fractions 0..1, 1 once at success.
// ffmpeg writes into a hidden temporary beside the output; only a result that probes as the expected
// picture is published, under the output's name, and never over a file that appeared meanwhile. A failed
// or cancelled run leaves nothing behind. When `cancel` is requested, ffmpeg is stopped and the call throws
// MergeError::cancelled().
ClipInfo merge(const std::vector<ClipInfo>& clips, const FileURL& output, const ProgressCallback& progress,
               const Cancellation* cancel = nullptr, const CommandCallback& started = {});

// "5760×1080 · ProRes 422 HQ · 1440f 완료", or for images "3840×1080 · PNG · rgb24 완료".
std::string resultSummary(const ClipInfo& clip);

}  // namespace tessellane
