// Finding external programs and running one to completion.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessellane {

namespace Tools {

// <directory of the executable>/../share/tessellane when it exists (an installed tree).
std::optional<std::filesystem::path> resourceFolder();

// The first executable named `name` in: the resource folder's bin/, /opt/homebrew/bin, /usr/local/bin,
// then each PATH entry. Searched anew on every call.
std::optional<std::string> find(std::string_view name);

// find("ffmpeg").
std::optional<std::string> ffmpeg();

}  // namespace Tools

struct CaptureResult {
    int status = -1;     // exit status, or as the platform reports a signal death; -1 when it could not start
    std::string output;  // standard output as UTF-8; empty when it is not valid UTF-8
};

// Runs `executable` with `arguments` (no shell), stdin from /dev/null, stderr discarded; blocks until it ends.
CaptureResult runCapture(const std::string& executable, const std::vector<std::string>& arguments);

}  // namespace tessellane
