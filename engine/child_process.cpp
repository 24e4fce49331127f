#include "engine/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

extern char** environ;

namespace tessellane {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.release();
    }
    return *this;
}

int UniqueFd::release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset() {
    if (fd_ >= 0) ::close(fd_);  // never retried: the descriptor is gone whatever close reports
    fd_ = -1;
}

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

class SpawnSetup {
public:
    SpawnSetup() {
        ::posix_spawn_file_actions_init(&actions_);
        ::posix_spawnattr_init(&attributes_);
    }
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

void check(int error, const char* what) {
    if (error != 0) throw std::system_error(error, std::generic_category(), what);
}

}  // namespace

ChildProcess spawnChild(const std::string& executable, const std::vector<std::string>& arguments, ChildOutput out,
                        ChildOutput err) {
    SpawnSetup setup;
    check(::posix_spawn_file_actions_addopen(&setup.actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0),
          "spawn setup");

    Pipe outPipe, errPipe;
    if (out == ChildOutput::pipe) {
        outPipe = makePipe();
        check(::posix_spawn_file_actions_adddup2(&setup.actions_, outPipe.write.get(), STDOUT_FILENO), "spawn setup");
    } else {
        check(::posix_spawn_file_actions_addopen(&setup.actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0),
              "spawn setup");
    }
    if (err == ChildOutput::pipe) {
        errPipe = makePipe();
        check(::posix_spawn_file_actions_adddup2(&setup.actions_, errPipe.write.get(), STDERR_FILENO), "spawn setup");
    } else {
        check(::posix_spawn_file_actions_addopen(&setup.actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0),
              "spawn setup");
    }

    // The parent ignores SIGPIPE and may run threads with blocked signals; the child must not inherit either.
    sigset_t defaults, emptyMask;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigemptyset(&emptyMask);
    check(::posix_spawnattr_setsigdefault(&setup.attributes_, &defaults), "spawn setup");
    check(::posix_spawnattr_setsigmask(&setup.attributes_, &emptyMask), "spawn setup");
    check(::posix_spawnattr_setflags(&setup.attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK),
          "spawn setup");

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    int error = ::posix_spawn(&pid, executable.c_str(), &setup.actions_, &setup.attributes_, argv.data(), environ);
    if (error != 0) throw std::system_error(error, std::generic_category(), executable);

    // The child holds its own copies of the write ends; ours must go so that end of file can arrive.
    ChildProcess child;
    child.pid = pid;
    child.stdoutRead = std::move(outPipe.read);
    child.stderrRead = std::move(errPipe.read);
    return child;
}

int waitForChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return WTERMSIG(status);
    return -1;
}

long readSome(int fd, char* buffer, std::size_t capacity) {
    for (;;) {
        ssize_t n = ::read(fd, buffer, capacity);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

bool readAll(int fd, std::string& into) {
    char buffer[65536];
    for (;;) {
        long n = readSome(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) return false;
        into.append(buffer, static_cast<std::size_t>(n));
    }
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t length;
        char32_t min;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, min = 0x10000;
        } else {
            return false;
        }
        if (length > n - i) return false;
        char32_t cp = c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

}  // namespace tessellane
