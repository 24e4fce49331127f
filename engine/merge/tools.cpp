#include "engine/merge/tools.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "engine/core/messages.h"
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

// Owned by root or this user and writable by no one else.
bool isGuarded(const struct stat& info) {
    return (info.st_uid == 0 || info.st_uid == ::geteuid()) && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
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

std::optional<std::filesystem::path> ownExecutable() {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::nullopt : std::optional(std::move(executable));
}

}  // namespace

std::optional<std::filesystem::path> tool_search::bundledFolder(const std::filesystem::path& executable) {
    const std::filesystem::path programs = executable.parent_path();
    if (programs.filename() != "bin") return std::nullopt;
    std::filesystem::path folder = programs.parent_path() / "share" / "tessellane" / "bin";
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || !isGuarded(info)) return std::nullopt;
    return folder;
}

std::optional<std::string> tool_search::bundledTool(const std::filesystem::path& executable,
                                                    std::string_view name) {
    const std::optional<std::filesystem::path> folder = bundledFolder(executable);
    if (!folder) return std::nullopt;
    const std::filesystem::path tool = join(folder->string(), name);
    struct stat info {};
    if (::stat(tool.c_str(), &info) != 0 || !isGuarded(info) || !isExecutableFile(tool)) return std::nullopt;
    return tool.string();
}

std::vector<std::string> tool_search::searchFolders() {
    std::vector<std::string> folders = overrideFolders();
    if (!folders.empty()) return folders;
    if (auto executable = ownExecutable()) {
        if (auto bundled = bundledFolder(*executable)) folders.push_back(bundled->string());
    }
    folders.push_back("/usr/local/bin");
    const std::vector<std::string> path = splitFolders(std::getenv("PATH"));
    folders.insert(folders.end(), path.begin(), path.end());
    return folders;
}

std::optional<std::string> tool_search::find(std::string_view name) {
    std::vector<std::string> folders = searchFolders();
    const std::optional<std::filesystem::path> executable = ownExecutable();
    if (overrideFolders().empty() && executable) {
        if (auto tool = bundledTool(*executable, name)) return tool;
        if (auto bundled = bundledFolder(*executable)) std::erase(folders, bundled->string());
    }
    for (const std::string& folder : folders) {
        std::filesystem::path candidate = join(folder, name);
        if (isExecutableFile(candidate)) return candidate.string();
    }
    return std::nullopt;
}

std::optional<std::string> tool_search::ffmpeg() { return find("ffmpeg"); }

std::string tool_search::missingFFmpegMessage() {
    const std::vector<std::string> override = overrideFolders();
    if (!override.empty()) {
        std::string folders;
        for (const std::string& folder : override) folders += (folders.empty() ? "" : ", ") + folder;
        return messages::ffmpegNotFound(folders);
    }
    return messages::ffmpegNotFound("/usr/local/bin, PATH");
}

CaptureResult runCapture(const std::string& executable, const std::vector<std::string>& arguments,
                         const CaptureLimits& limits) {
    ChildProcess child;
    try {
        // Standard error goes to /dev/null: nobody reads it, and a full pipe would stall the child.
        child = spawnChild(executable, arguments, ChildOutput::pipe, ChildOutput::discard);
    } catch (const std::system_error&) {
        return CaptureResult{};
    }
    std::string bytes;
    const ChildOutcome outcome = superviseChild(
        child, [&bytes](std::string_view chunk) { bytes.append(chunk); }, {},
        ChildLimits{.timeout = limits.timeout, .cancel = limits.cancel});
    CaptureResult result{outcome.status, {}, outcome.stopped};
    if (isValidUtf8(bytes)) result.output = std::move(bytes);
    return result;
}

}  // namespace tessellane
