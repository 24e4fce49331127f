#include "program/cli.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/core/naming.h"
#include "engine/core/utf8.h"
#include "engine/core/validation.h"
#include "engine/merge/cancellation.h"
#include "engine/merge/merge.h"
#include "engine/merge/merge_plan.h"
#include "engine/merge/stop_signal_route.h"
#include "engine/probe/probe.h"
#include "program/shell_word.h"
#include "program/terminal_progress.h"

namespace tessellane {

namespace {

constexpr const char* synopsis = "사용법: Tessellane --cli <출력폴더> <접미사> <파일들...>";

std::string homeOf(const std::string& user) {
    if (user.empty()) {
        if (const char* home = std::getenv("HOME"); home && *home) return home;
        if (const passwd* entry = ::getpwuid(::getuid())) return entry->pw_dir;
        return {};
    }
    if (const passwd* entry = ::getpwnam(user.c_str())) return entry->pw_dir;
    return {};
}

// "~" and "~/x" use the home folder, "~name/x" that user's; an unknown user leaves the path as written.
std::string expandTilde(const std::string& path) {
    if (path.empty() || path[0] != '~') return path;
    const std::size_t slash = path.find('/');
    const std::string user = path.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
    std::string home = homeOf(user);
    if (home.empty()) return path;
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    return slash == std::string::npos ? home : home + path.substr(slash);
}

// A file URL is absolute: relative arguments are taken against the working directory. Single-dot
// components name the folder they stand in, so they are dropped: "." reports as the folder itself.
FileURL fileURL(const std::string& argument) {
    std::filesystem::path path = expandTilde(argument);
    if (path.is_relative()) path = std::filesystem::current_path() / path;
    std::filesystem::path tidy;
    for (const std::filesystem::path& part : path)
        if (part != ".") tidy /= part;
    return tidy;
}

// The command as a shell reads it back: pasted, it runs exactly this vector.
std::string commandLine(const std::vector<std::string>& arguments) {
    std::string line = "ffmpeg";
    for (const std::string& argument : arguments) {
        line += ' ';
        line += shellWord(argument);
    }
    return line;
}

void print(std::ostream& out, const std::string& line) { out << line << '\n' << std::flush; }

// The files in the order they are placed, left to right.
std::string orderLine(const std::vector<ClipInfo>& clips) {
    std::string order = "순서: ";
    for (std::size_t i = 0; i < clips.size(); ++i)
        order += (i > 0 ? ", " : "") + escapeControls(clips[i].name());
    return order;
}

// What the merge will do before it runs: the warnings, the output and the sound.
void printPlan(std::ostream& out, const MergePlan& plan) {
    for (const std::string& warning : plan.validation.warnings)
        print(out, "경고: " + escapeControls(warning));
    print(out, "출력: " + escapeControls(plan.output.string()));
    if (plan.audio) print(out, "소리: " + plan.audio->description);
}

}  // namespace

std::optional<std::vector<std::string>> cliArguments(int argc, const char* const* argv) {
    for (int i = 0; i < argc; ++i) {
        if (argv[i] != nullptr && std::strcmp(argv[i], "--") == 0) break;  // files from here on
        if (argv[i] != nullptr && std::strcmp(argv[i], "--cli") == 0)
            return std::vector<std::string>(argv + i + 1, argv + argc);
    }
    return std::nullopt;
}

int runCLI(const std::vector<std::string>& arguments, std::ostream& out, const MergeSettings& settings) {
    if (arguments.size() < 3) {
        print(out, synopsis);
        return 2;
    }
    // A suffix is part of one file name, the same rule as the window's: refused before anything is read.
    if (const std::optional<std::string> problem = suffixProblem(arguments[1])) {
        print(out, "오류: " + *problem);
        return 2;
    }
    // Interrupting the command line stops the merge the same way the window's cancel does: ffmpeg is stopped
    // and its temporary removed before the process ends.
    Cancellation cancel;
    const StopSignalRoute signals(cancel, StopSignalRoute::Repeat::eachStops);
    std::optional<TerminalProgress> meter;
    try {
        const FileURL folder = fileURL(arguments[0]);
        const std::string& suffix = arguments[1];
        std::vector<FileURL> inputs;
        for (std::size_t i = 2; i < arguments.size(); ++i) inputs.push_back(fileURL(arguments[i]));
        inputs = naturalSortedURLs(inputs);

        std::vector<ClipInfo> clips;
        for (const FileURL& url : inputs) clips.push_back(probe(url));

        print(out, orderLine(clips));
        const MergePlan plan = planMerge(clips, folder, suffix, settings);
        printPlan(out, plan);

        // Printed once ffmpeg runs: the same merge by hand, which never overwrites a file ("-n").
        auto started = [&out](const std::vector<std::string>& command) {
            print(out, "명령: " + commandLine(command));
        };
        meter.emplace(STDERR_FILENO, plan.progressTotal);
        const MergeResult result = merge(
            clips, plan.output, [&meter](double fraction) { meter->show(fraction); }, &cancel, started,
            settings);
        meter.reset();
        if (!result.warning.empty()) print(out, "경고: " + result.warning);
        print(out, "결과: " + resultSummary(result.output));
        return 0;
    } catch (const MergeError& error) {
        meter.reset();
        print(out, "오류: " + error.errorDescription());
        // The shell's convention for a process ended by a signal.
        if (error.kind() == MergeError::Kind::cancelled) return 128 + StopSignalRoute::received();
    } catch (const std::exception& error) {
        meter.reset();
        // A refused start of ffmpeg (or any other failure of the system) in its own words.
        print(out, "오류: " + escapeControls(error.what()));
    }
    return 1;
}

}  // namespace tessellane
