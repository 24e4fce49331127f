// Finding external programs and running one to completion.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessellane {

class Cancellation;

namespace Tools {

// <directory of the executable>/../share/tessellane when it exists (an installed tree).
std::optional<std::filesystem::path> resourceFolder();

// The folders searched, in order: the resource folder's bin/, the fixed folders of this platform
// (/usr/local/bin; on macOS /opt/homebrew/bin first), then each PATH entry. When TESSELLANE_TOOL_PATH is set
// (folders separated by ':'), only its folders.
std::vector<std::string> searchFolders();

// The first executable file named `name` in searchFolders(), read anew on every call.
std::optional<std::string> find(std::string_view name);

// find("ffmpeg").
std::optional<std::string> ffmpeg();

// What the user is told when ffmpeg is not found: the folders searched.
std::string missingFFmpegMessage();

}  // namespace Tools

struct CaptureResult {
    int status = -1;     // exit status, or as the platform reports a signal death; -1 when it could not start
    std::string output;  // standard output as UTF-8; empty when it is not valid UTF-8
    bool stopped = false;  // ended by the time limit or the cancellation (status is then -1)
};

struct CaptureLimits {
    std::chrono::milliseconds timeout{0};  // 0: no limit
    const Cancellation* cancel = nullptr;
};

// Runs `executable` with `arguments` (no shell), stdin from /dev/null, stderr discarded; blocks until it ends
// or, with limits, until it has been stopped.
CaptureResult runCapture(const std::string& executable, const std::vector<std::string>& arguments,
                         const CaptureLimits& limits = {});

}  // namespace tessellane
