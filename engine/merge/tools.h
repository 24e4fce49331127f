// Finding external programs and running one to completion.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/merge/exit_status.h"

namespace tessellane {

class Cancellation;

namespace tool_search {

// <prefix>/share/tessellane/bin for a program installed as <prefix>/bin/tessellane, when that folder exists
// and no one but root and this user can change it; absent for any other place of the program. Anyone who
// could write there could put an ffmpeg that runs as whoever starts Tessellane.
std::optional<std::filesystem::path> bundledFolder(const std::filesystem::path& executable);

// bundledFolder()/name when that program, too, can be changed by no one but root and this user.
std::optional<std::string> bundledTool(const std::filesystem::path& executable, std::string_view name);

// The folders searched, in order: the bundled folder of this program, /usr/local/bin, then each PATH entry.
// When TESSELLANE_TOOL_PATH is set (folders separated by ':'), only its folders.
std::vector<std::string> searchFolders();

// The first executable file named `name` in searchFolders(), read anew on every call; in the bundled
// folder only bundledTool().
std::optional<std::string> find(std::string_view name);

// find("ffmpeg").
std::optional<std::string> ffmpeg();

// What the user is told when ffmpeg is not found: the folders searched.
std::string missingFFmpegMessage();

}  // namespace tool_search

struct CaptureResult {
    ExitStatus status;     // unknown when it could not start or was stopped
    std::string output;    // standard output as UTF-8; empty when it is not valid UTF-8
    bool stopped = false;  // ended by the time limit or the cancellation
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
