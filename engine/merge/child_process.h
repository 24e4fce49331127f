// Starting a child program with an argument vector (never a shell) and reaping it.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/unique_fd.h"
#include "engine/merge/exit_status.h"

namespace tessellane {

enum class ChildOutput { pipe, discard };

struct ChildProcess {
    pid_t pid = -1;
    UniqueFd stdoutRead;  // valid when stdout was piped
    UniqueFd stderrRead;  // valid when stderr was piped
};

// What a child gets beyond its standard streams.
struct ChildExtras {
    // Descriptors of ours (close-on-exec here) that the child keeps under the same numbers, so that it can
    // open exactly these files as /proc/self/fd/N.
    std::vector<int> inherited;
    // The child's limit of open files, when it needs more than it would inherit (0: inherited as it is).
    rlim_t openFiles = 0;
};

// Starts `executable` with `arguments` (argv[0] is the executable path). Standard input is /dev/null;
// the environment and working directory are inherited; SIGPIPE and the signal mask are reset to defaults.
// The child is killed when the thread that started it dies, so a child never outlives its supervisor,
// even when the program itself is killed.
// Throws std::system_error when the program cannot be started (missing file, no permission).
ChildProcess spawnChild(const std::string& executable, const std::vector<std::string>& arguments,
                        ChildOutput out, ChildOutput err, const ChildExtras& extras = {});

// Waits for the child to end.
ExitStatus waitForChild(pid_t pid);

class Cancellation;

// What stops a supervised child early. A stopped child is asked to end (SIGTERM) and killed after `grace`.
struct ChildLimits {
    std::chrono::milliseconds timeout{0};  // 0: no limit
    const Cancellation* cancel = nullptr;
    std::chrono::milliseconds grace{500};
};

struct ChildOutcome {
    ExitStatus status;     // unknown when stopped
    bool stopped = false;  // ended by the timeout or the cancellation
};

using ChunkHandler = std::function<void(std::string_view)>;

// Drives a started child to its end with one poll over both of its pipes (and the cancellation), handing
// every chunk read to its handler, then reaps it. Both pipes are drained for as long as the child runs.
// If a handler throws, the child is killed and reaped before the exception goes on.
ChildOutcome superviseChild(ChildProcess& child, const ChunkHandler& onStdout, const ChunkHandler& onStderr,
                            const ChildLimits& limits);

}  // namespace tessellane
