// Starting a child program with an argument vector (never a shell) and reaping it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessellane {

// A file descriptor closed when the owner goes away.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    int release();
    void reset();
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

enum class ChildOutput { pipe, discard };

struct ChildProcess {
    pid_t pid = -1;
    UniqueFd stdoutRead;  // valid when stdout was piped
    UniqueFd stderrRead;  // valid when stderr was piped
};

// Starts `executable` with `arguments` (argv[0] is the executable path). Standard input is /dev/null;
// the environment and working directory are inherited; SIGPIPE and the signal mask are reset to defaults.
// The child is killed when the thread that started it dies, so a child never outlives its supervisor,
// even when the program itself is killed.
// Throws std::system_error when the program cannot be started (missing file, no permission).
ChildProcess spawnChild(const std::string& executable, const std::vector<std::string>& arguments,
                        ChildOutput out, ChildOutput err);

// Waits for the child to end. Returns its exit code, or the number of the signal that killed it.
int waitForChild(pid_t pid);

class Cancellation;

// What stops a supervised child early. A stopped child is asked to end (SIGTERM) and killed after `grace`.
struct ChildLimits {
    std::chrono::milliseconds timeout{0};  // 0: no limit
    const Cancellation* cancel = nullptr;
    std::chrono::milliseconds grace{500};
};

struct ChildOutcome {
    int status = -1;       // as waitForChild reports it
    bool stopped = false;  // ended by the timeout or the cancellation
};

using ChunkHandler = std::function<void(std::string_view)>;

// Drives a started child to its end with one poll over both of its pipes (and the cancellation), handing
// every chunk read to its handler, then reaps it. Both pipes are drained for as long as the child runs.
// If a handler throws, the child is killed and reaped before the exception goes on.
ChildOutcome superviseChild(ChildProcess& child, const ChunkHandler& onStdout, const ChunkHandler& onStderr,
                            const ChildLimits& limits);

// Reads until end of file, retrying interrupted reads. Returns false on a read error.
bool readAll(int fd, std::string& into);

// A read of at most `capacity` bytes, retrying EINTR: >0 bytes read, 0 at end of file, -1 on error.
long readSome(int fd, char* buffer, std::size_t capacity);

// True when `bytes` is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

// `bytes` as well-formed UTF-8: each byte that does not start a well-formed character becomes U+FFFD.
std::string toValidUtf8(std::string_view bytes);

}  // namespace tessellane
