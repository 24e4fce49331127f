#include "engine/merge/tools.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "engine/core/utf8.h"
#include "engine/merge/child_process.h"

namespace tessellane {

namespace {

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

std::filesystem::path join(const std::string& directory, std::string_view name) {
    std::string path = directory;
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

std::vector<std::string> splitFolders(const char* list) {
    std::vector<std::string> folders;
    std::string_view rest = list ? list : "";
    while (!rest.empty()) {
        std::size_t colon = rest.find(':');
        std::string_view entry = rest.substr(0, colon);
        if (!entry.empty()) folders.emplace_back(entry);
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return folders;
}

// A packager, or a test that must not depend on the machine, names the folders to search instead.
std::vector<std::string> overrideFolders() { return splitFolders(std::getenv("TESSELLANE_TOOL_PATH")); }

}  // namespace

std::optional<std::filesystem::path> Tools::resourceFolder() {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    std::filesystem::path folder = executable.parent_path().parent_path() / "share" / "tessellane";
    if (!std::filesystem::is_directory(folder, error)) return std::nullopt;
    return folder;
}

std::vector<std::string> Tools::searchFolders() {
    std::vector<std::string> folders = overrideFolders();
    if (!folders.empty()) return folders;
    if (auto resources = resourceFolder()) folders.push_back((*resources / "bin").string());
#ifdef __APPLE__
    folders.insert(folders.end(), {"/opt/homebrew/bin", "/usr/local/bin"});
#else
    folders.push_back("/usr/local/bin");
#endif
    const std::vector<std::string> path = splitFolders(std::getenv("PATH"));
    folders.insert(folders.end(), path.begin(), path.end());
    return folders;
}

std::optional<std::string> Tools::find(std::string_view name) {
    for (const std::string& folder : searchFolders()) {
        std::filesystem::path candidate = join(folder, name);
        if (isExecutableFile(candidate)) return candidate.string();
    }
    return std::nullopt;
}

std::optional<std::string> Tools::ffmpeg() { return find("ffmpeg"); }

std::string Tools::missingFFmpegMessage() {
    const std::vector<std::string> override = overrideFolders();
    if (!override.empty()) {
        std::string folders;
        for (const std::string& folder : override) folders += (folders.empty() ? "" : ", ") + folder;
        return "ffmpeg를 찾을 수 없습니다 (" + folders + ")";
    }
#ifdef __APPLE__
    return "ffmpeg를 찾을 수 없습니다 (/opt/homebrew/bin, /usr/local/bin, PATH)";
#else
    return "ffmpeg를 찾을 수 없습니다 (/usr/local/bin, PATH)";
#endif
}

CaptureResult runCapture(const std::string& executable, const std::vector<std::string>& arguments,
                         const CaptureLimits& limits) {
    ChildProcess child;
    try {
        // Standard error goes to /dev/null: nobody reads it, and a full pipe would stall the child.
        child = spawnChild(executable, arguments, ChildOutput::pipe, ChildOutput::discard);
    } catch (const std::system_error&) {
        return CaptureResult{-1, {}, false};
    }
    std::string bytes;
    const ChildOutcome outcome = superviseChild(
        child, [&bytes](std::string_view chunk) { bytes.append(chunk); }, {},
        ChildLimits{.timeout = limits.timeout, .cancel = limits.cancel});
    CaptureResult result;
    // A signal death reports the signal's number, as the platform's own process API does.
    result.status = outcome.status.number;
    result.stopped = outcome.stopped;
    if (isValidUtf8(bytes)) result.output = std::move(bytes);
    return result;
}

}  // namespace tessellane
