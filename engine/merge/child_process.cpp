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

#include "engine/core/interrupted_calls.h"
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
        const long n =
            readSome(report.read.get(), reinterpret_cast<char*>(&childError) + got, sizeof childError - got);
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

ExitStatus waitForChild(pid_t pid) {
    int raw = 0;
    if (retryInterrupted([&] { return ::waitpid(pid, &raw, 0); }) < 0) return {};
    return ExitStatus::decode(raw);
}

namespace {

using Clock = std::chrono::steady_clock;

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

// One pipe of the child and the handler of what comes through it.
struct Stream {
    UniqueFd& fd;
    const ChunkHandler& handler;
};

// One child from its start to its reaping, a round at a time: wait for output, the cancellation, the
// child's end or the next deadline; read what is ready; stop a child past its limits; reap an ended one.
class Supervisor {
  public:
    Supervisor(ChildProcess& child, const ChunkHandler& onStdout, const ChunkHandler& onStderr,
               const ChildLimits& limits)
        : child_(child),
          streams_{Stream{child.stdoutRead, onStdout}, Stream{child.stderrRead, onStderr}},
          limits_(limits),
          started_(Clock::now()),
          // Readable once the child has exited, so its end is seen at once even after it closed its pipes
          // early.
          exitFd_(static_cast<int>(::syscall(SYS_pidfd_open, child.pid, 0))) {}

    // One round; false once the child is reaped.
    bool step() {
        // Fixed places: the two pipes, the cancellation, the child's end. poll passes over a negative
        // descriptor, which stands for one not watched in this round.
        pollfd fds[4] = {watch(child_.stdoutRead.get()), watch(child_.stderrRead.get()),
                         watch(limits_.cancel && !killAt_ ? limits_.cancel->waitFd() : -1),
                         watch(pipesOpen() ? -1 : exitFd_.get())};
        const int ready = ::poll(fds, std::size(fds), static_cast<int>(nextWait().count()));
        if (ready < 0 && errno != EINTR) {
            // poll itself failed: end the child rather than leave it unsupervised.
            killAndReap();
            return false;
        }
        for (std::size_t i = 0; ready > 0 && i < std::size(streams_); ++i)
            if (fds[i].revents != 0) readFrom(streams_[i]);
        enforceLimits();
        return !status_;
    }

    ChildOutcome finish() {
        child_.pid = -1;
        child_.stdoutRead.reset();
        child_.stderrRead.reset();
        return ChildOutcome{stopped_ ? ExitStatus{} : *status_, stopped_};
    }

  private:
    static pollfd watch(int fd) { return pollfd{fd, POLLIN, 0}; }
    bool pipesOpen() const { return child_.stdoutRead || child_.stderrRead; }

    // Until the nearest deadline. With both pipes closed the child may still be running: without an exit
    // descriptor (kernels before 5.3), look again for its end every few ms.
    std::chrono::milliseconds nextWait() const {
        auto wait = pipesOpen() || exitFd_ ? std::chrono::milliseconds(-1) : std::chrono::milliseconds(10);
        const auto shorten = [&](Clock::time_point deadline) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() < 0) left = std::chrono::milliseconds(0);
            if (wait.count() < 0 || left < wait) wait = left;
        };
        if (limits_.timeout.count() > 0 && !killAt_) shorten(started_ + limits_.timeout);
        if (killAt_) shorten(*killAt_);
        return wait;
    }

    // A pipe that reports its end, or an error, is closed; what a handler throws goes on to the caller.
    void readFrom(const Stream& stream) {
        const long n = readSome(stream.fd.get(), chunk_, sizeof chunk_);
        if (n <= 0) {
            stream.fd.reset();
            return;
        }
        if (stream.handler) stream.handler(std::string_view(chunk_, static_cast<std::size_t>(n)));
    }

    void enforceLimits() {
        if (limits_.cancel && limits_.cancel->requested()) requestStop();
        if (limits_.timeout.count() > 0 && Clock::now() - started_ >= limits_.timeout) requestStop();
        if (killAt_ && Clock::now() >= *killAt_)
            killAndReap();
        else if (!pipesOpen())
            reapIfEnded();
    }

    // Asks the child to end, once, and gives it the grace period before it is killed.
    void requestStop() {
        if (killAt_) return;
        stopped_ = true;
        ::kill(child_.pid, SIGTERM);
        killAt_ = Clock::now() + limits_.grace;
    }

    void killAndReap() {
        ::kill(child_.pid, SIGKILL);
        child_.stdoutRead.reset();
        child_.stderrRead.reset();
        status_ = waitForChild(child_.pid);
    }

    // Reaps without blocking, once the child is gone.
    void reapIfEnded() {
        int raw = 0;
        const pid_t result = retryInterrupted([&] { return ::waitpid(child_.pid, &raw, WNOHANG); });
        if (result != 0) status_ = result < 0 ? ExitStatus{} : ExitStatus::decode(raw);
    }

    ChildProcess& child_;
    const Stream streams_[2];
    const ChildLimits& limits_;
    const Clock::time_point started_;
    const UniqueFd exitFd_;
    std::optional<Clock::time_point> killAt_;  // set once the child has been asked to stop
    bool stopped_ = false;                     // by the timeout or the cancellation
    std::optional<ExitStatus> status_;         // set once the child is reaped
    char chunk_[16384];
};

}  // namespace

ChildOutcome superviseChild(ChildProcess& child, const ChunkHandler& onStdout, const ChunkHandler& onStderr,
                            const ChildLimits& limits) {
    KillOnUnwind guard(child.pid);
    Supervisor supervisor(child, onStdout, onStderr, limits);
    while (supervisor.step()) {
    }
    guard.release();
    return supervisor.finish();
}

}  // namespace tessellane
