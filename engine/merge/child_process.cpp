#include "engine/merge/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <system_error>

#include "engine/merge/cancellation.h"

extern char** environ;

namespace tessellane {

namespace {

struct Pipe {
    UniqueFd read;
    UniqueFd write;
};

// Close-on-exec, so that a pipe end never leaks into another child started concurrently
// (a leaked write end would hold back end of file until that other child exits).
Pipe makePipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    return Pipe{UniqueFd(fds[0]), UniqueFd(fds[1])};
}

// Between fork and exec only async-signal-safe calls: everything else is prepared before the fork.
[[noreturn]] void becomeChild(const char* executable, char* const* argv, pid_t parent, int stdoutFd,
                              int stderrFd, int reportFd, const ChildExtras& extras) {
    int error = 0;
    // Dies with the thread that supervises it; if that already happened before prctl, leave at once.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) error = errno;
    if (error == 0 && ::getppid() != parent) ::_exit(127);

    const int nullIn = error == 0 ? ::open("/dev/null", O_RDONLY) : -1;
    if (error == 0 && nullIn < 0) error = errno;
    if (error == 0 && ::dup2(nullIn, STDIN_FILENO) < 0) error = errno;
    const int targets[2] = {STDOUT_FILENO, STDERR_FILENO};
    const int sources[2] = {stdoutFd, stderrFd};
    for (int i = 0; i < 2 && error == 0; ++i) {
        int source = sources[i];
        if (source < 0) source = ::open("/dev/null", O_WRONLY);
        if (source < 0 || ::dup2(source, targets[i]) < 0) error = errno;
    }

    for (const int fd : extras.inherited)
        if (error == 0 && ::fcntl(fd, F_SETFD, 0) != 0) error = errno;
    if (error == 0 && extras.openFiles > 0) {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        if (limit.rlim_cur < extras.openFiles) {
            limit.rlim_cur = extras.openFiles;
            if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) error = errno;
        }
    }

    // The parent ignores SIGPIPE and may run threads with blocked signals; the child must not inherit either.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &defaultAction, nullptr);
    sigset_t emptyMask;
    sigemptyset(&emptyMask);
    ::sigprocmask(SIG_SETMASK, &emptyMask, nullptr);

    if (error == 0) {
        ::execve(executable, argv, environ);
        error = errno;
    }
    // The report pipe is close-on-exec: the parent reads either this errno or end of file at a good exec.
    [[maybe_unused]] const ssize_t written = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

ChildProcess spawnChild(const std::string& executable, const std::vector<std::string>& arguments,
                        ChildOutput out, ChildOutput err, const ChildExtras& extras) {
    Pipe outPipe, errPipe;
    if (out == ChildOutput::pipe) outPipe = makePipe();
    if (err == ChildOutput::pipe) errPipe = makePipe();
    Pipe report = makePipe();

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) throw std::system_error(errno, std::generic_category(), executable);
    if (pid == 0)
        becomeChild(executable.c_str(), argv.data(), parent, outPipe.write.get(), errPipe.write.get(),
                    report.write.get(), extras);

    // The child holds its own copies of the write ends; ours must go so that end of file can arrive.
    outPipe.write.reset();
    errPipe.write.reset();
    report.write.reset();
    int childError = 0;
    std::size_t got = 0;
    while (got < sizeof childError) {
        const ssize_t n =
            ::read(report.read.get(), reinterpret_cast<char*>(&childError) + got, sizeof childError - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got == sizeof childError) {
        waitForChild(pid);
        throw std::system_error(childError, std::generic_category(), executable);
    }

    ChildProcess child;
    child.pid = pid;
    child.stdoutRead = std::move(outPipe.read);
    child.stderrRead = std::move(errPipe.read);
    return child;
}

ExitStatus ExitStatus::decode(int raw) {
    if (WIFEXITED(raw)) return {Kind::exited, WEXITSTATUS(raw)};
    if (WIFSIGNALED(raw)) return {Kind::killed, WTERMSIG(raw)};
    return {};
}

ExitStatus waitForChild(pid_t pid) {
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0) {
        if (errno != EINTR) return {};
    }
    return ExitStatus::decode(raw);
}

namespace {

using Clock = std::chrono::steady_clock;

// Reaps without blocking; true once the child is gone.
bool reapIfEnded(pid_t pid, ExitStatus& status) {
    int raw = 0;
    pid_t result;
    do {
        result = ::waitpid(pid, &raw, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return false;
    status = result < 0 ? ExitStatus{} : ExitStatus::decode(raw);
    return true;
}

// Kills and reaps a child whose supervisor is leaving by an exception.
class KillOnUnwind {
  public:
    explicit KillOnUnwind(pid_t pid) : pid_(pid) {}
    ~KillOnUnwind() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        waitForChild(pid_);
    }
    void release() { pid_ = -1; }
    KillOnUnwind(const KillOnUnwind&) = delete;
    KillOnUnwind& operator=(const KillOnUnwind&) = delete;

  private:
    pid_t pid_;
};

}  // namespace

ChildOutcome superviseChild(ChildProcess& child, const ChunkHandler& onStdout, const ChunkHandler& onStderr,
                            const ChildLimits& limits) {
    KillOnUnwind guard(child.pid);
    // Readable once the child has exited, so its end is seen at once even after it closed its pipes early.
    const UniqueFd exitFd(static_cast<int>(::syscall(SYS_pidfd_open, child.pid, 0)));
    ChildOutcome outcome;
    const auto started = Clock::now();
    std::optional<Clock::time_point> killAt;  // set once the child has been asked to stop
    auto requestStop = [&] {
        if (killAt) return;
        outcome.stopped = true;
        ::kill(child.pid, SIGTERM);
        killAt = Clock::now() + limits.grace;
    };

    char chunk[16384];
    bool reaped = false;
    ExitStatus status;
    while (!reaped) {
        pollfd fds[3];
        const ChunkHandler* handlers[3] = {};
        UniqueFd* owners[3] = {};
        nfds_t count = 0;
        for (auto [fd, handler] :
             {std::pair{&child.stdoutRead, &onStdout}, std::pair{&child.stderrRead, &onStderr}}) {
            if (!*fd) continue;
            fds[count] = pollfd{fd->get(), POLLIN, 0};
            handlers[count] = handler;
            owners[count] = fd;
            ++count;
        }
        const bool pipesOpen = count > 0;
        const bool watchCancel = limits.cancel && !killAt;
        if (watchCancel) fds[count++] = pollfd{limits.cancel->waitFd(), POLLIN, 0};
        if (!pipesOpen && exitFd) fds[count++] = pollfd{exitFd.get(), POLLIN, 0};

        // With both pipes closed the child may still be running: without an exit descriptor (kernels before
        // 5.3), look again for its end every few ms.
        auto wait = pipesOpen || exitFd ? std::chrono::milliseconds(-1) : std::chrono::milliseconds(10);
        auto shorten = [&](Clock::time_point deadline) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() < 0) left = std::chrono::milliseconds(0);
            if (wait.count() < 0 || left < wait) wait = left;
        };
        if (limits.timeout.count() > 0 && !killAt) shorten(started + limits.timeout);
        if (killAt) shorten(*killAt);

        const int ready = ::poll(fds, count, static_cast<int>(wait.count()));
        if (ready < 0 && errno != EINTR) break;
        for (nfds_t i = 0; ready > 0 && i < count; ++i) {
            if (fds[i].revents == 0 || !owners[i]) continue;
            const long n = readSome(fds[i].fd, chunk, sizeof chunk);
            if (n <= 0) {
                owners[i]->reset();
                continue;
            }
            if (*handlers[i]) (*handlers[i])(std::string_view(chunk, static_cast<std::size_t>(n)));
        }

        if (limits.cancel && limits.cancel->requested()) requestStop();
        if (limits.timeout.count() > 0 && Clock::now() - started >= limits.timeout) requestStop();
        if (killAt && Clock::now() >= *killAt) {
            ::kill(child.pid, SIGKILL);
            child.stdoutRead.reset();
            child.stderrRead.reset();
            status = waitForChild(child.pid);
            reaped = true;
        } else if (!child.stdoutRead && !child.stderrRead) {
            reaped = reapIfEnded(child.pid, status);
        }
    }
    if (!reaped) {
        // poll itself failed: end the child rather than leave it unsupervised.
        ::kill(child.pid, SIGKILL);
        status = waitForChild(child.pid);
    }
    guard.release();
    child.pid = -1;
    child.stdoutRead.reset();
    child.stderrRead.reset();
    if (!outcome.stopped) outcome.status = status;
    return outcome;
}

long readSome(int fd, char* buffer, std::size_t capacity) {
    for (;;) {
        ssize_t n = ::read(fd, buffer, capacity);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

}  // namespace tessellane
