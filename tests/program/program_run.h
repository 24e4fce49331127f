// Runs the program itself, as a user would from a shell, for the command-line tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/merge/child_process.h"

namespace tessellane::testing {

struct ProgramRun {
    ExitStatus exit;
    std::string out, err;
};

// Runs the program in `cwd` with extra variables (and a launcher command before it, such as prlimit); a
// run past a minute is stopped and fails the test. `meanwhile` runs on its own thread with the program's pid
// while the program runs.
inline ProgramRun runProgram(const std::filesystem::path& cwd, const std::vector<std::string>& variables,
                             const std::vector<std::string>& args,
                             const std::function<void(pid_t)>& meanwhile = {},
                             const std::vector<std::string>& launcher = {}) {
    std::vector<std::string> full = {
        "-C", cwd, "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM"};
    full.insert(full.end(), variables.begin(), variables.end());
    full.insert(full.end(), launcher.begin(), launcher.end());
    full.push_back(TESSELLANE_BUILD_DIR "/tessellane");
    full.insert(full.end(), args.begin(), args.end());
    ChildProcess child = spawnChild("/usr/bin/env", full, ChildOutput::pipe, ChildOutput::pipe);
    std::jthread side;
    if (meanwhile) side = std::jthread(meanwhile, child.pid);
    ProgramRun run;
    const ChildOutcome outcome = superviseChild(
        child, [&](std::string_view bytes) { run.out += bytes; },
        [&](std::string_view bytes) { run.err += bytes; }, {.timeout = std::chrono::seconds(60)});
    EXPECT_FALSE(outcome.stopped) << "tessellane did not finish within a minute";
    run.exit = outcome.status;
    return run;
}

}  // namespace tessellane::testing
